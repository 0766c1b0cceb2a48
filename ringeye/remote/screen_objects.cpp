#include "ringeye/remote/screen_objects.h"

#include <initializer_list>

const MibScalar* SmtNumberScalar() {
    for (size_t o = 0; o < kMibObjectCount; ++o) {
        if (kMibObjects[o].scalar && kMibObjects[o].scalar->counts == RowKind::kSmt) {
            return kMibObjects[o].scalar;
        }
    }
    return nullptr;
}

namespace {

// The types a screen's rows read, the station header's included.
struct TypeSet {
    uint16_t types[128];
    int ports[128];  // bit 0: port index 0 wanted, bit 1: port index 1
    size_t count;
    void Add(uint16_t type, int port) {
        if (type == 0) return;
        for (size_t i = 0; i < count; ++i) {
            if (types[i] == type) {
                ports[i] |= 1 << port;
                return;
            }
        }
        if (count < sizeof types / sizeof types[0]) {
            types[count] = type;
            ports[count++] = 1 << port;
        }
    }
    int PortsOf(uint16_t type) const {
        for (size_t i = 0; i < count; ++i) {
            if (types[i] == type) return ports[i];
        }
        return 0;
    }
};

void AddRows(TypeSet& set, RowTable table, int shownPort) {
    for (size_t i = 0; i < table.count; ++i) {
        const Row& row = table.rows[i];
        const int port = row.port == kShownPort ? shownPort : row.port;
        set.Add(row.type, port);
        set.Add(row.other, port);
        set.Add(row.presentFlag, port);
    }
}

void AddWanted(ScreenReading& reading, const MibTable* table, const MibColumn* column,
               uint32_t resource) {
    if (reading.count < kMaxWanted) reading.wanted[reading.count++] = {table, column, resource};
}

}  // namespace

void PlanScreen(const ScreenEntry& entry, ScreenReading& reading) {
    TypeSet set = {};
    const int shownPort = entry.portIndex == 1 ? 1 : 0;
    set.Add(kOpVersionIdType, 0);
    set.Add(kNonMasterCtType, 0);
    AddRows(set, StationHeader, shownPort);
    AddRows(set, entry.rows, shownPort);
    reading = {};
    reading.pathList = entry.paintList != nullptr;  // the only list is the PATH configuration
    static const MibTable kScalarTable = {"", {0, 0, 0}, RowKind::kSmt, nullptr, 0};
    static const MibColumn kScalarColumn = {kSmtNumberColumn, "", 0, Conversion::kInteger, 0, 0};
    for (uint32_t type : {kOpVersionIdType, kNonMasterCtType}) {
        for (size_t o = 0; o < kMibObjectCount; ++o) {
            const MibTable* table = kMibObjects[o].table;
            if (!table || table->rows != RowKind::kSmt) continue;
            for (size_t c = 0; c < table->columnCount; ++c) {
                if (table->columns[c].type == type)
                    AddWanted(reading, table, &table->columns[c], 0);
            }
        }
    }
    AddWanted(reading, &kScalarTable, &kScalarColumn, 0);
    for (size_t o = 0; o < kMibObjectCount; ++o) {
        const MibTable* table = kMibObjects[o].table;
        if (!table || table->rows == RowKind::kPathConfig) continue;
        for (size_t c = 0; c < table->columnCount; ++c) {
            const MibColumn& column = table->columns[c];
            const int ports = set.PortsOf(column.type);
            if (column.type == 0 || ports == 0) continue;
            if (column.type == kOpVersionIdType || column.type == kNonMasterCtType) continue;
            switch (table->rows) {
                case RowKind::kSmt:
                    AddWanted(reading, table, &column, 0);
                    break;
                case RowKind::kPort:
                    if (ports & 1) AddWanted(reading, table, &column, 1);
                    if (ports & 2) AddWanted(reading, table, &column, 2);
                    break;
                default:
                    AddWanted(reading, table, &column, 1);
                    break;
            }
        }
    }
}
