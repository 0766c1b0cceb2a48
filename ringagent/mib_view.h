// The MIB as a manager sees it: every object instance the cached answers give, in OID order,
// with its value. GET looks an OID up, GETNEXT takes the first one after it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ringagent/station_cache.h"
#include "smtmib/mib_tables.h"

constexpr size_t kMaxOidLength = 20;

struct MibOid {
    uint32_t ids[kMaxOidLength];
    size_t length;
};

struct MibValue {
    enum class Kind : uint8_t { kInteger, kCounter, kOctets } kind;
    int64_t number;
    uint8_t octets[32];
    size_t length;  // of octets
};

// Lexicographic order of OIDs: <0, 0 or >0.
int CompareOids(const uint32_t* a, size_t aLength, const uint32_t* b, size_t bLength);

// The instance `name` exactly; false when the MIB has no such instance now.
bool FindInstance(const StationCache& cache, const uint32_t* name, size_t length, MibValue* value);
// The first instance after `name`; false past the last one.
bool FindNextInstance(const StationCache& cache, const uint32_t* name, size_t length, MibOid* next,
                      MibValue* value);

// The value of `column` for one row, or false when the driver's answer does not carry it or
// carries a value outside the column's range.
struct MibRow {
    int instance;       // 0 to 2
    uint32_t resource;  // MAC, PATH or PORT index; 0 for SMT rows
    uint32_t token;     // PATH configuration position, from 1; 0 otherwise
};
bool ColumnValue(const MibColumn& column, const StationSnapshot& station, const MibRow& row,
                 MibValue* value);
