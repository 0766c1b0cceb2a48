// The FDDI SMT 7.3 MIB (subtree 1.3.6.1.2.1.10.15.73) as static tables: for every object the
// agent serves, its OID and the driver attribute it is taken from, with the conversion from
// the driver's encoding (enumerations from 0, times in 80 ns units) to the MIB's. The agent
// converts records to MIB values with it, and the monitor, watching a station over SNMP, turns
// MIB values back into the records the driver would have delivered (RecordOfColumn below), so
// the two directions cannot disagree about a column.
#pragma once

#include <cstddef>
#include <cstdint>

#include "smtmib/station_snapshot.h"

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

// Where a record keeps a column's number: SMT attributes from value byte 0, MAC, PATH and PORT
// attributes after two pad bytes and the 16-bit resource index.
constexpr size_t kSmtDatumAt = 0;
constexpr size_t kObjectDatumAt = 4;
constexpr size_t DatumAt(uint16_t type) {
    return type < 0x2000 ? kSmtDatumAt : kObjectDatumAt;
}

// The value bytes an octet-string column is taken from; count 0 for a numeric column.
struct OctetField {
    size_t at;
    size_t count;
};
constexpr OctetField OctetFieldOf(Conversion conversion) {
    switch (conversion) {
        case Conversion::kStationId:
            return {0, 8};
        case Conversion::kLongAddress:
            return {6, 6};  // after the index and two more pad bytes
        case Conversion::kUserData:
            return {0, 32};
        case Conversion::kRequestedPaths:
            return {5, 3};
        default:
            return {0, 0};
    }
}

// 12,500 units of 80 ns make a millisecond.
constexpr uint64_t kUnitsPerMilli = 12500;

// One value as a manager received it: a number (INTEGER, Counter32) or octets.
struct MibDatum {
    bool isOctets;
    int64_t number;
    const uint8_t* octets;
    size_t length;
};

// Writes the record the driver would have delivered for `column`'s value on resource
// `resource` (0 for SMT columns) into `slot`: type, length and value bytes, the rest zero.
// Returns false, leaving the slot alone, for a value the column cannot have: the wrong kind, a
// number outside the column's range, octets of another length, or an index or PATH
// configuration column (see StorePathConfigValue).
bool RecordOfColumn(const MibColumn& column, const MibDatum& datum, uint32_t resource,
                    ParamSlot& slot);

// Puts one value of the PATH configuration table's entry `token` (from 1, up to
// kPathConfigurationMaxEntries) into the snapshot's configuration record and its slot, as the
// driver lays the record out; the record's length grows to cover the entry. False for a value
// outside the column's range or a token beyond what the snapshot keeps.
bool StorePathConfigValue(const MibColumn& column, int64_t number, uint32_t token,
                          StationSnapshot& station);
