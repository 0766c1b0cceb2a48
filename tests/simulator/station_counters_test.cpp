// The counters grow at the reference rates, with a little noise, and wrap at 32 bits.
#include <gtest/gtest.h>

#include "simulator/statistics_record.h"
#include "tests/simulator/station_probe.h"

namespace {

using sim::Attachment;
using sim::Scenario;

// Reads a MAC counter (a parameter type) or a word of the statistics record.
struct CounterRef {
    const char* name;
    uint16_t macType;  // 0: a statistics word
    uint8_t word;
};

uint32_t Read(const sim::Station& station, const CounterRef& c) {
    if (c.macType != 0) return sim_test::FieldOf(station, c.macType);
    return station.Counter(sim::StatisticId(c.word));
}

struct Rate {
    CounterRef counter;
    double lowPerSecond;
    double highPerSecond;
};

// Per-second rates of a 100 Mbit/s ring of about 20 stations at 25 % load.
const Rate kRates[] = {
    {{"Token_Ct", 0x204A, 0}, 15000, 25000},
    {{"Frame_Ct", 0x2047, 0}, 5000, 8000},
    {{"Copied_Ct", 0x2048, 0}, 200, 1000},
    {{"Transmit_Ct", 0x2049, 0}, 150, 600},
    {{"Error_Ct", 0x2051, 0}, 0, 0},
    {{"Lost_Ct", 0x2052, 0}, 0, 0},
    {{"NotCopied_Ct", 0x2054, 0}, 0, 0},
    {{"RingOp_Ct", 0x2056, 0}, 0, 0},
    {{"Xmit packets", 0, sim::stat_word::kXmitPackets}, 150, 400},
    {{"Recv packets", 0, sim::stat_word::kRecvPackets}, 200, 600},
    {{"Xmit bytes", 0, sim::stat_word::kXmitBytes}, 150 * 600, 400 * 1000},
    {{"Xmit Broadcast packets", 0, sim::stat_word::kXmitBroadcastPackets}, 0.2, 20},
    {{"Recv Broadcast packets", 0, sim::stat_word::kRecvBroadcastPackets}, 0.2, 20},
    {{"Xmit Multicast packets", 0, sim::stat_word::kXmitMulticastPackets}, 0.1, 10},
    {{"Recv Multicast packets", 0, sim::stat_word::kRecvMulticastPackets}, 0.1, 10},
    {{"Xmit Loopback packets", 0, sim::stat_word::kXmitLoopbackPackets}, 0, 0.05},
    {{"Underrun errors", 0, sim::stat_word::kUnderrunErrors}, 0, 0},
    {{"Overrun errors", 0, sim::stat_word::kOverrunErrors}, 0, 0},
    {{"Recv CRC errors", 0, sim::stat_word::kRecvCrcErrors}, 0, 2.0 / 3600},
    {{"Total FSI Interrupts", 0, sim::stat_word::kFsiInterrupts}, 150, 600},
    {{"Total RC Interrupts", 0, sim::stat_word::kRcInterrupts}, 200, 1000},
};

TEST(StationCountersTest, CountersGrowAtTheReferenceRates) {
    for (uint64_t seed : {1, 2, 3}) {
        sim::Station station(sim_test::Config(Attachment::kDual, Scenario::kHealthy, seed));
        station.AdvanceTo(1000);
        uint32_t start[std::size(kRates)];
        for (size_t i = 0; i < std::size(kRates); ++i)
            start[i] = Read(station, kRates[i].counter);
        const double seconds = 600;
        station.AdvanceTo(1000 + static_cast<uint64_t>(seconds) * 1000);
        for (size_t i = 0; i < std::size(kRates); ++i) {
            const Rate& r = kRates[i];
            const double perSecond = (Read(station, r.counter) - start[i]) / seconds;
            EXPECT_GE(perSecond, r.lowPerSecond) << r.counter.name << " seed " << seed;
            EXPECT_LE(perSecond, r.highPerSecond) << r.counter.name << " seed " << seed;
        }
    }
}

// Within a second a counter is read as if it grew evenly, and from one second to the next
// its growth varies a little.
TEST(StationCountersTest, CountersGrowSmoothlyWithNoise) {
    sim::Station station(sim_test::Config(Attachment::kDual, Scenario::kHealthy));
    uint32_t previous = sim_test::FieldOf(station, 0x204A);
    uint32_t lowest = UINT32_MAX;
    uint32_t highest = 0;
    for (uint64_t t = 250; t <= 30000; t += 250) {
        station.AdvanceTo(t);
        const uint32_t now = sim_test::FieldOf(station, 0x204A);
        const uint32_t growth = now - previous;
        EXPECT_GT(growth, 15000u / 4 - 1000) << t;
        EXPECT_LT(growth, 25000u / 4 + 1000) << t;
        if (t % 1000 == 0 && t > 1000) {
            lowest = std::min(lowest, growth);
            highest = std::max(highest, growth);
        }
        previous = now;
    }
    EXPECT_LT(lowest, highest);
}

// Each byte counter belongs to its packet counter: ARP broadcasts are short, multicasts a
// little longer, directed frames carry the data.
TEST(StationCountersTest, FrameSizesFitTheirClasses) {
    using namespace sim::stat_word;
    struct SizeRange {
        uint8_t bytes;
        uint8_t packets;
        uint32_t low;
        uint32_t high;
    };
    const SizeRange sizes[] = {
        {kXmitBroadcastBytes, kXmitBroadcastPackets, 60, 90},
        {kRecvBroadcastBytes, kRecvBroadcastPackets, 60, 90},
        {kXmitMulticastBytes, kXmitMulticastPackets, 100, 400},
        {kRecvMulticastBytes, kRecvMulticastPackets, 100, 400},
        {kXmitDirectedBytes, kXmitDirectedPackets, 600, 1000},
        {kRecvDirectedBytes, kRecvDirectedPackets, 400, 800},
    };
    sim::StationConfig config = sim_test::Config(Attachment::kDual, Scenario::kHealthy);
    config.uptimeSeconds = 3600;
    sim::Station station(config);
    station.AdvanceTo(600000);
    for (const SizeRange& s : sizes) {
        const uint32_t packets = station.Counter(sim::StatisticId(s.packets));
        ASSERT_GT(packets, 0u) << "word " << int{s.packets};
        const uint32_t average = station.Counter(sim::StatisticId(s.bytes)) / packets;
        EXPECT_GE(average, s.low) << "word " << int{s.bytes};
        EXPECT_LE(average, s.high) << "word " << int{s.bytes};
    }
}

// The statistics words agree with each other: packets and bytes are the sums of their
// classes, and the error totals the sums of the errors.
TEST(StationCountersTest, StatisticsAddUp) {
    using namespace sim::stat_word;
    sim::StationConfig config = sim_test::Config(Attachment::kDual, Scenario::kWrap);
    sim::Station station(config);
    station.AdvanceTo(300000);  // several wraps, with their error bursts
    auto word = [&](uint8_t w) { return station.Counter(sim::StatisticId(w)); };
    for (uint8_t d = 0; d < 2; ++d) {
        EXPECT_EQ(word(kXmitPackets + d),
                  word(kXmitBroadcastPackets + d) + word(kXmitMulticastPackets + d) +
                      word(kXmitLoopbackPackets + d) + word(kXmitDirectedPackets + d));
        EXPECT_EQ(word(kXmitBytes + d),
                  word(kXmitBroadcastBytes + d) + word(kXmitMulticastBytes + d) +
                      word(kXmitLoopbackBytes + d) + word(kXmitDirectedBytes + d));
    }
    EXPECT_EQ(word(kXmitErrors), word(kXmitPortErrors) + word(kXmitAbortErrors) +
                                     word(kUnderrunErrors) + word(kXmitParityErrors) +
                                     word(kXmitBadPackets));
    EXPECT_EQ(word(kRecvErrors), word(kRecvEFlagErrors) + word(kRecvCrcErrors) +
                                     word(kOverrunErrors) + word(kRecvParityErrors) +
                                     word(kRecvBadPackets));
}

// A station that has been up long enough for a counter to come close to 2^32 sees it wrap,
// and the growth across the wrap, taken modulo 2^32, is the usual one.
TEST(StationCountersTest, CountersWrapAtThirtyTwoBits) {
    const CounterRef counters[] = {
        {"Token_Ct", 0x204A, 0},
        {"Frame_Ct", 0x2047, 0},
        {"Xmit bytes", 0, sim::stat_word::kXmitBytes},
        {"Recv bytes", 0, sim::stat_word::kRecvBytes},
    };
    for (const CounterRef& c : counters) {
        // The mean rate from a station up for a day, where nothing has wrapped yet.
        sim::StationConfig config = sim_test::Config(Attachment::kDual, Scenario::kHealthy);
        config.uptimeSeconds = 3600;
        const double perSecond = Read(sim::Station(config), c) / 3600.0;
        // Up long enough that the counter wraps about 30 s after start.
        config.uptimeSeconds = static_cast<uint32_t>(4294967296.0 / perSecond) - 30;
        sim::Station station(config);
        uint32_t previous = Read(station, c);
        int wraps = 0;
        for (uint64_t t = 1000; t <= 60000; t += 1000) {
            station.AdvanceTo(t);
            const uint32_t now = Read(station, c);
            if (now < previous) ++wraps;
            EXPECT_GT(now - previous, perSecond * 0.6) << c.name;
            EXPECT_LT(now - previous, perSecond * 1.4) << c.name;
            previous = now;
        }
        EXPECT_EQ(wraps, 1) << c.name;
    }
}

TEST(StationCountersTest, StatisticsRecordIsLittleEndianWithTheInstanceLast) {
    sim::Station station(sim_test::Config(Attachment::kDual, Scenario::kHealthy));
    station.AdvanceTo(5000);
    uint8_t record[sim::kStatisticsRecordSize];
    sim::FillStatisticsRecord(station, 2, record);
    for (size_t w = 0; w < sim::kStatisticsCounters; ++w) {
        const uint32_t value = static_cast<uint32_t>(record[4 * w]) |
                               static_cast<uint32_t>(record[4 * w + 1]) << 8 |
                               static_cast<uint32_t>(record[4 * w + 2]) << 16 |
                               static_cast<uint32_t>(record[4 * w + 3]) << 24;
        EXPECT_EQ(value, station.Counter(sim::StatisticId(w))) << "word " << w;
    }
    EXPECT_EQ(record[144], 2);
    EXPECT_EQ(record[145] | record[146] | record[147], 0);
}

}  // namespace
