// The FDDI SMT 7.3 MIB (subtree 1.3.6.1.2.1.10.15.73) as static tables: for every object the
// agent serves, its OID and the driver attribute it is taken from, with the conversion from
// the driver's encoding (enumerations from 0, times in 80 ns units) to the MIB's.
#pragma once

#include <cstddef>
#include <cstdint>

// 1.3.6.1.2.1.10.15.73
constexpr uint32_t kFddimibOid[] = {1, 3, 6, 1, 2, 1, 10, 15, 73};
constexpr size_t kFddimibOidLength = sizeof kFddimibOid / sizeof kFddimibOid[0];

enum class Conversion : uint8_t {
    kSmtIndex,             // the row's SMT index (device instance + 1)
    kResourceIndex,        // the row's MAC, PATH or PORT index
    kTokenOrder,           // the row's position in the PATH configuration
    kInteger,              // the datum as it is
    kEnumeration,          // the driver counts from 0, the MIB from 1
    kFlag,                 // nonzero true(1), zero false(2)
    kTimeNano,             // negative count of 80 ns units, as nanoseconds
    kTimeMilli,            // negative count of 80 ns units, as milliseconds
    kStampMilli,           // 64-bit count of 80 ns units since power-up, as milliseconds
    kCounter,              // Counter32
    kStationId,            // 8 octets from value byte 0
    kLongAddress,          // 6 octets from value byte 6 (two pad bytes after the resource index)
    kUserData,             // 32 octets from value byte 0
    kRequestedPaths,       // 3 octets: value bytes 5 to 7
    kMacIndicated,         // T_Val (value byte 4) and R_Val (value byte 7) as one of four values
    kConfigResourceType,   // PATH configuration entry: resource type (2 MAC, 4 PORT)
    kConfigResourceIndex,  // PATH configuration entry: resource index
    kConfigCurrentPath,    // PATH configuration entry: current path, as an enumeration
};

// One column of a table (or a scalar, whose column is its own subidentifier).
struct MibColumn {
    uint32_t subid;  // the column's number under the table's entry
    const char* name;
    uint16_t type;  // the driver's parameter type; 0 for index columns
    Conversion conversion;
    // The MIB's range of the converted value: a value outside it is not served. Octet strings
    // ignore it.
    int64_t min;
    int64_t max;
};

// What a table's rows are.
enum class RowKind : uint8_t {
    kSmt,         // one per device instance that answers
    kMac,         // one per station that has a MAC (index 1)
    kPath,        // one per station that has a PATH (index 1)
    kPathConfig,  // one per entry of the PATH configuration
    kPort,        // one per port of the station
};

struct MibTable {
    const char* name;
    uint32_t entryOid[3];  // below fddimib: group, table, entry (1)
    RowKind rows;
    const MibColumn* columns;
    size_t columnCount;
};

// The Number scalars (fddimibSMTNumber ...), each the count of rows of one kind.
struct MibScalar {
    const char* name;
    uint32_t oid[2];  // below fddimib: group, scalar
    RowKind counts;
};

// In OID order; scalars and tables interleave as the MIB has them.
struct MibObject {
    const MibScalar* scalar;  // one of the two is null
    const MibTable* table;
};
extern const MibObject kMibObjects[];
extern const size_t kMibObjectCount;
