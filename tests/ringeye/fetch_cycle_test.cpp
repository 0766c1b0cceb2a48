// One refresh's requests and how their answers land in the slots.
#include <gtest/gtest.h>

#include <algorithm>

#include "ringeye/monitor_state.h"
#include "smtmib/smt_retrieval.h"
#include "tests/harness/monitor_harness.h"

namespace {

using Bytes = FakeStation::Bytes;

struct CycleCase {
    uint32_t ports;
    std::vector<std::pair<uint32_t, uint32_t>> expected;  // (code, index) in order
};

std::vector<std::pair<uint32_t, uint32_t>> FirstCycle(uint32_t ports) {
    MonitorHarness h;
    h.station.FillHealthy(ports);
    h.RunRingeye(100);
    std::vector<std::pair<uint32_t, uint32_t>> cycle;
    // The first of the two passes before the first wait.
    const size_t perCycle = h.station.requests.size() / 2;
    for (size_t i = 0; i < perCycle; ++i) {
        cycle.push_back({h.station.requests[i].code, h.station.requests[i].index});
    }
    return cycle;
}

TEST(FetchCycle, RequestsInOrderForEachPortCount) {
    const std::vector<std::pair<uint32_t, uint32_t>> head = {{0x2014, 1}, {0x100D, 0}, {0x1016, 0}};
    const std::vector<std::pair<uint32_t, uint32_t>> smt = {{0x100A, 0}, {0x1014, 0}, {0x1028, 0}};
    const std::vector<std::pair<uint32_t, uint32_t>> firstPort = {
        {0x1032, 1}, {0x200A, 1}, {0x2014, 1}, {0x2028, 1}, {0x2032, 1},
        {0x2046, 1}, {0x205A, 1}, {0x2064, 1}, {0x206E, 1}, {0x320A, 1},
        {0x400A, 1}, {0x401E, 1}, {0x4028, 1}, {0x4032, 1}, {0x403C, 1}};
    const std::vector<std::pair<uint32_t, uint32_t>> secondPort = {
        {0x400A, 2}, {0x401E, 2}, {0x4028, 2}, {0x4032, 2}, {0x403C, 2}};
    auto join = [](std::initializer_list<std::vector<std::pair<uint32_t, uint32_t>>> parts) {
        std::vector<std::pair<uint32_t, uint32_t>> all;
        for (const auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const CycleCase cases[] = {
        {2, join({head, smt, firstPort, secondPort})},
        {1, join({head, smt, firstPort})},
        {0, join({head, smt})},
    };
    for (const CycleCase& c : cases) {
        const auto cycle = FirstCycle(c.ports);
        EXPECT_EQ(cycle, c.expected) << "ports " << c.ports;
    }
    EXPECT_EQ(FirstCycle(2).size(), 26u);
    EXPECT_EQ(FirstCycle(1).size(), 21u);
    EXPECT_EQ(FirstCycle(0).size(), 6u);
}

TEST(FetchCycle, RefusesAStationOfAnotherVersion) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    std::string message, overflow, bar;
    uint32_t portCount = 0;
    size_t requestsInRefusedCycle = 0;
    h.At(500, [&] {
        h.station.SetSmt(0x100D, 3);
        h.station.SetSmt(0x1016, 1);
        h.station.requests.clear();
    });
    h.At(1500, [&] {
        message = h.Row(0);
        overflow = h.Row(1);
        bar = h.Cells(23, 0, 47);
        portCount = Monitor.station.PortCount;
        requestsInRefusedCycle = h.station.requests.size();
    });
    h.RunRingeye(1600);
    // 81 characters from column 1, after the spinner: the last two go on at column 1 of the
    // next row.
    std::string expected =
        "***Error***: ringeye73 incompatible with firmware. Try ringeye6. OpVersionId=00";
    expected.resize(83, ' ');
    EXPECT_EQ(message.substr(1), expected);
    EXPECT_EQ(overflow, " 03" + std::string(81, ' '));
    EXPECT_EQ(bar, " 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-A 6:");
    EXPECT_EQ(portCount, 2u);
    EXPECT_EQ(requestsInRefusedCycle, 2u);
}

// Sized once and filled in place: growing a four-byte vector by insert() makes GCC 12 at -O3
// see a copy past its end that cannot happen.
Bytes Record(uint16_t type, const Bytes& value) {
    Bytes record(4 + value.size());
    record[0] = static_cast<uint8_t>(type >> 8);
    record[1] = static_cast<uint8_t>(type);
    record[2] = static_cast<uint8_t>(value.size() >> 8);
    record[3] = static_cast<uint8_t>(value.size());
    std::copy(value.begin(), value.end(), record.begin() + 4);
    return record;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The snapshot one fetch cycle makes of a healthy station whose answer for (code, index) is
// `answer`, as the driver sent it.
StationSnapshot FetchWithAnswer(uint32_t code, uint32_t index, const Bytes& answer) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    h.station.SetRawAnswer(code, index, answer);
    InitDevicePath();
    StationSnapshot station = {};
    EXPECT_EQ(FetchCycle(station, 0), 0);
    EXPECT_EQ(station.end, CycleEnd::kComplete);
    return station;
}

TEST(SmtGetUnpacking, RecordsInAnotherOrderFillTheirOwnSlots) {
    const StationSnapshot s =
        FetchWithAnswer(0x1028, 0, Concat({Record(0x102E, Be32(1)), Record(0x1029, Be32(5))}));
    EXPECT_EQ(Value32(SlotOf(s, 0x102E), 0), 1u);
    EXPECT_EQ(Value32(SlotOf(s, 0x1029), 0), 5u);
}

TEST(SmtGetUnpacking, RecordsAfterTheBoundAreIgnored) {
    // The frame error group has two slots: two records of 36 bytes at most.
    const StationSnapshot s = FetchWithAnswer(
        0x205A, 1,
        Concat({Record(0x205F, Be32(7)), Record(0x2060, Be32(8)), Record(0x205F, Be32(9))}));
    EXPECT_EQ(Value32(SlotOf(s, 0x205F), 0), 7u);
    EXPECT_EQ(Value32(SlotOf(s, 0x2060), 0), 8u);
}

TEST(SmtGetUnpacking, AnUnknownTypeCountsAgainstTheBound) {
    const StationSnapshot s = FetchWithAnswer(
        0x205A, 1,
        Concat({Record(0x7777, Be32(1)), Record(0x205F, Be32(2)), Record(0x2060, Be32(3))}));
    EXPECT_EQ(Value32(SlotOf(s, 0x205F), 0), 2u);
    EXPECT_EQ(Value32(SlotOf(s, 0x2060), 0), 0u);
}

TEST(SmtGetUnpacking, TypeZeroClearsTheFirstSlotOnly) {
    MonitorHarness h;
    h.station.FillHealthy(2);
    InitDevicePath();
    StationSnapshot s = {};
    ASSERT_EQ(FetchCycle(s, 0), 0);
    h.station.SetRawAnswer(0x1028, 0, Bytes(8, 0));
    ASSERT_EQ(FetchCycle(s, 0), 0);
    EXPECT_EQ(Value32(SlotOf(s, 0x1029), 0), 0u);   // slot 0 cleared
    EXPECT_EQ(Value32(SlotOf(s, 0x102A), 0), 12u);  // the others keep their values
}

TEST(SmtGetUnpacking, LongValueKeepsItsFirst32BytesAndTheWholeListIsStored) {
    Bytes configuration = {0, 0, 0, 1};
    for (uint8_t entry = 0; entry < 5; ++entry) {
        const Bytes e = {0, 0, 0, 4, 0, entry, 0, 3};
        configuration.insert(configuration.end(), e.begin(), e.end());
    }
    const StationSnapshot s = FetchWithAnswer(
        0x320A, 1,
        Concat({Record(0x3212, configuration), Record(0x3213, {0, 0, 0, 1, 0, 0, 0, 9})}));
    const ParamSlot& slot = SlotOf(s, 0x3212);
    EXPECT_EQ(Value16(slot, 0), 0u);
    EXPECT_EQ(slot.length[1], 44);
    EXPECT_EQ(ValueByte(slot, 27), 3u);  // last byte of the third entry
    EXPECT_EQ(ValueByte(slot, 31), 4u);  // the fourth entry begins in the slot
    const PathConfigList list = PathConfigEntries(s);
    EXPECT_EQ(list.declared, 5u);
    EXPECT_EQ(list.whole, 5u);
    EXPECT_EQ(list.entry[4].resourceType, 4u);
    EXPECT_EQ(list.entry[4].resourceIndex, 4u);  // the fifth entry, beyond the slot
    EXPECT_EQ(list.entry[4].currentPath, 3u);
    EXPECT_EQ(Value32(SlotOf(s, 0x3213), 4), 9u);  // the walk went on after the long record
}

TEST(SmtGetUnpacking, ARecordRunningPastTheAnswerEndsTheWalk) {
    // The second record starts at byte 8; 500 value bytes end it exactly at the answer's end.
    for (const uint16_t length : {500, 501}) {
        Bytes answer = Record(0x205F, Be32(4));
        answer.resize(512, 0);
        answer[8] = 0x20, answer[9] = 0x60;
        answer[10] = static_cast<uint8_t>(length >> 8), answer[11] = static_cast<uint8_t>(length);
        answer[12] = 0xAB;
        const StationSnapshot s = FetchWithAnswer(0x205A, 1, answer);
        EXPECT_EQ(Value32(SlotOf(s, 0x205F), 0), 4u);
        EXPECT_EQ(ValueByte(SlotOf(s, 0x2060), 0), length == 500 ? 0xABu : 0u) << length;
    }
}

}  // namespace
