// What each screen of ringeye reads over SNMP: every parameter its rows show that the MIB has a
// column for, once, with the gate, the port count and the SMT Number scalar first, and few
// enough to go in one request.
#include "ringeye/remote/screen_objects.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

// The MIB's column for a parameter type, or null.
const MibColumn* ColumnOf(uint16_t type) {
    for (size_t o = 0; o < kMibObjectCount; ++o) {
        const MibTable* table = kMibObjects[o].table;
        if (!table || table->rows == RowKind::kPathConfig) continue;
        for (size_t c = 0; c < table->columnCount; ++c) {
            if (table->columns[c].type == type) return &table->columns[c];
        }
    }
    return nullptr;
}

void ExpectShown(const ScreenReading& reading, const RowTable& rows, int shownPort) {
    for (size_t i = 0; i < rows.count; ++i) {
        const Row& row = rows.rows[i];
        if (row.type == 0 || !ColumnOf(row.type)) continue;
        const int port = row.port == kShownPort ? shownPort : row.port;
        bool found = false;
        for (size_t w = 0; w < reading.count; ++w) {
            const Wanted& wanted = reading.wanted[w];
            const bool portMatches = wanted.table->rows != RowKind::kPort ||
                                     wanted.resource == static_cast<uint32_t>(port + 1);
            found = found || (wanted.column->type == row.type && portMatches);
        }
        EXPECT_TRUE(found) << std::hex << row.type << " of port " << port;
    }
}

TEST(ScreenObjects, EachScreenReadsWhatItShowsOnceInOneRequest) {
    constexpr size_t kOneRequest = 64;  // what the monitor puts in one PDU at first
    for (int number = 1; number <= 7; ++number) {
        SCOPED_TRACE(number);
        const ScreenEntry* screen = FindScreen(number);
        ASSERT_NE(screen, nullptr);
        ScreenReading reading;
        PlanScreen(*screen, reading);
        ASSERT_GE(reading.count, 3u);
        EXPECT_LE(reading.count, kOneRequest);
        EXPECT_EQ(reading.wanted[0].column->type, kOpVersionIdType);
        EXPECT_EQ(reading.wanted[1].column->type, kNonMasterCtType);
        EXPECT_EQ(reading.wanted[2].column->subid, kSmtNumberColumn);
        EXPECT_EQ(reading.pathList, number == 7);
        const int shownPort = screen->portIndex == 1 ? 1 : 0;
        ExpectShown(reading, StationHeader, shownPort);
        ExpectShown(reading, screen->rows, shownPort);
        std::set<std::pair<const MibColumn*, uint32_t>> seen;
        for (size_t w = 0; w < reading.count; ++w) {
            EXPECT_TRUE(seen.insert({reading.wanted[w].column, reading.wanted[w].resource}).second)
                << reading.wanted[w].column->name;
        }
    }
}

}  // namespace
