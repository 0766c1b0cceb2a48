#include "simulator/traffic.h"

#include "simulator/noise.h"
#include "simulator/statistics_record.h"

namespace sim {
namespace {

// Separate noise streams for the draws of one second.
enum Stream : uint64_t {
    kTokensStream,
    kFramesStream,
    kSmtStream,
    kErrorStream,
    kHostStream,
    kXmitStream = 16,  // 8 streams for each direction
    kRecvStream = 24,
};

// Rarer events, as the chance per second.
constexpr uint64_t kLoopbackMilli = 2;            // a loopback frame every 8 minutes or so
constexpr uint32_t kSecondsPerCrcError = 7200;    // CRC and E-flag errors together: one an hour
constexpr uint32_t kSecondsPerLinkError = 28800;  // a clean link: three errors a day

uint32_t Noisy(uint64_t seed, uint64_t second, uint64_t stream, uint64_t milli, uint32_t percent) {
    const uint64_t h = Hash(seed, Draw::kTraffic, second, stream);
    return CountFromMilli(Mix64(h), WithNoise(h, milli, percent));
}

uint32_t Pick(uint64_t seed, uint64_t second, uint64_t stream, uint32_t lo, uint32_t hi) {
    return Uniform(Hash(seed, Draw::kTraffic, second, stream), lo, hi);
}

uint32_t TotalPackets(const DirectionTraffic& d) {
    return d.broadcast.packets + d.multicast.packets + d.loopback.packets + d.directed.packets;
}

uint32_t TotalBytes(const DirectionTraffic& d) {
    return d.broadcast.bytes + d.multicast.bytes + d.loopback.bytes + d.directed.bytes;
}

DirectionTraffic DrawDirection(uint64_t seed, uint64_t second, uint64_t stream,
                               uint64_t packetsMilli, uint64_t broadcastMilli,
                               uint64_t multicastMilli, uint32_t averageBytes) {
    DirectionTraffic d;
    const uint32_t packets = Noisy(seed, second, stream, packetsMilli, 15);
    d.broadcast.packets = Noisy(seed, second, stream + 1, broadcastMilli, 50);
    d.multicast.packets = Noisy(seed, second, stream + 2, multicastMilli, 50);
    d.loopback.packets = Noisy(seed, second, stream + 3, kLoopbackMilli, 0);
    const uint32_t others = d.broadcast.packets + d.multicast.packets + d.loopback.packets;
    d.directed.packets = packets > others ? packets - others : 0;
    // ARP requests are short, multicast a little longer, the directed frames carry the data.
    d.broadcast.bytes = d.broadcast.packets * Pick(seed, second, stream + 4, 60, 90);
    d.multicast.bytes = d.multicast.packets * Pick(seed, second, stream + 5, 100, 400);
    d.loopback.bytes = d.loopback.packets * Pick(seed, second, stream + 6, 64, 128);
    d.directed.bytes =
        d.directed.packets * Pick(seed, second, stream + 7, averageBytes - 100, averageBytes + 100);
    return d;
}

bool RingOperational(const StationState& state) {
    return state.mac.rmtState == rmt::kRingOp || state.mac.rmtState == rmt::kRingOpDup;
}

// Link errors of port p in one second. Under the ler scenario the first port's errors grow in
// steps after it comes up: none, a few, tens, then hundreds per 8 s window, which drives its
// link error estimate past the alarm and then to the cutoff.
uint32_t LinkErrors(uint64_t seed, uint64_t second, uint64_t secondStartMs,
                    const StationState& state, size_t p) {
    const PortState& port = state.ports[p];
    if (port.pcmState != pcm::kActive) return 0;
    const uint64_t h = Hash(seed, Draw::kLinkErrors, second, p);
    if (p == 0 && state.lerStressOnFirstPort) {
        const uint64_t since =
            secondStartMs > port.activeSinceMs ? (secondStartMs - port.activeSinceMs) / 1000 : 0;
        if (since >= 80) return Uniform(h, 20, 60);
        if (since >= 40) return Uniform(h, 3, 9);
        if (since >= 16) return CountFromMilli(h, 500);
    }
    return h % kSecondsPerLinkError == 0 ? 1 : 0;
}

template <typename Visit>
void ForEachGrowth(const SecondTraffic& t, Visit visit) {
    using namespace stat_word;
    visit(kTokenCt, t.tokens);
    visit(kFrameCt, t.frames);
    visit(kCopiedCt, TotalPackets(t.recv) + t.smtCopied);
    visit(kTransmitCt, TotalPackets(t.xmit) + t.smtSent);
    const DirectionTraffic* directions[2] = {&t.xmit, &t.recv};
    for (size_t d = 0; d < 2; ++d) {
        const DirectionTraffic& dir = *directions[d];
        visit(StatisticId(kXmitPackets + d), TotalPackets(dir));
        visit(StatisticId(kXmitBytes + d), TotalBytes(dir));
        visit(StatisticId(kXmitBroadcastPackets + d), dir.broadcast.packets);
        visit(StatisticId(kXmitBroadcastBytes + d), dir.broadcast.bytes);
        visit(StatisticId(kXmitMulticastPackets + d), dir.multicast.packets);
        visit(StatisticId(kXmitMulticastBytes + d), dir.multicast.bytes);
        visit(StatisticId(kXmitLoopbackPackets + d), dir.loopback.packets);
        visit(StatisticId(kXmitLoopbackBytes + d), dir.loopback.bytes);
        visit(StatisticId(kXmitDirectedPackets + d), dir.directed.packets);
        visit(StatisticId(kXmitDirectedBytes + d), dir.directed.bytes);
    }
    visit(StatisticId(kRecvErrors), t.crcErrors + t.eFlagErrors);
    visit(StatisticId(kRecvCrcErrors), t.crcErrors);
    visit(StatisticId(kRecvEFlagErrors), t.eFlagErrors);
    visit(StatisticId(kNoXmitBuffers), t.noXmitBuffers);
    visit(StatisticId(kXmitRingFull), t.ringFull);
    visit(StatisticId(kFsiInterrupts), t.fsiInterrupts);
    visit(StatisticId(kRcInterrupts), t.rcInterrupts);
    for (size_t p = 0; p < 2; ++p)
        visit(PortCounterId(p, PortCounter::kLemCt), t.linkErrors[p]);
}

}  // namespace

TrafficProfile DrawTrafficProfile(uint64_t seed) {
    auto level = [seed](uint64_t what, uint32_t lo, uint32_t hi) {
        return static_cast<uint64_t>(Uniform(Hash(seed, Draw::kProfile, what), lo, hi));
    };
    TrafficProfile p;
    p.tokensMilli = level(1, 17000, 23000) * 1000;
    p.framesMilli = level(2, 5500, 7500) * 1000;
    p.xmitPacketsMilli = level(3, 180, 350) * 1000;
    p.recvPacketsMilli = level(4, 250, 550) * 1000;
    p.xmitBroadcastMilli = level(5, 500, 5000);
    p.recvBroadcastMilli = level(6, 2000, 15000);
    p.xmitMulticastMilli = level(7, 100, 2000);
    p.recvMulticastMilli = level(8, 500, 8000);
    p.xmitAverageBytes = level(9, 700, 900);
    p.recvAverageBytes = level(10, 500, 700);
    return p;
}

SecondTraffic DrawSecond(const TrafficProfile& profile, uint64_t seed, uint64_t second,
                         uint64_t secondStartMs, const StationState& state) {
    SecondTraffic t;
    for (size_t p = 0; p < state.portCount; ++p) {
        t.linkErrors[p] = LinkErrors(seed, second, secondStartMs, state, p);
    }
    if (!RingOperational(state)) {
        // The host keeps queueing frames that cannot go out.
        if (state.smt.ecmState != ecm::kOut) {
            t.noXmitBuffers = Noisy(seed, second, kHostStream, profile.xmitPacketsMilli / 50, 50);
            t.ringFull = Pick(seed, second, kHostStream + 1, 0, 2);
        }
        t.fsiInterrupts = t.ringFull;
        return t;
    }
    t.tokens = Noisy(seed, second, kTokensStream, profile.tokensMilli, 8);
    t.frames = Noisy(seed, second, kFramesStream, profile.framesMilli, 10);
    t.smtSent = Noisy(seed, second, kSmtStream, 500, 50);
    t.smtCopied = Noisy(seed, second, kSmtStream + 1, 2000, 50);
    if (state.mac.unitdataAvailable) {
        t.xmit = DrawDirection(seed, second, kXmitStream, profile.xmitPacketsMilli,
                               profile.xmitBroadcastMilli, profile.xmitMulticastMilli,
                               profile.xmitAverageBytes);
        t.recv = DrawDirection(seed, second, kRecvStream, profile.recvPacketsMilli,
                               profile.recvBroadcastMilli, profile.recvMulticastMilli,
                               profile.recvAverageBytes);
        const uint64_t e = Hash(seed, Draw::kTraffic, second, kErrorStream);
        t.crcErrors = e % kSecondsPerCrcError == 0 ? 1 : 0;
        t.eFlagErrors = (e >> 32) % kSecondsPerCrcError == 0 ? 1 : 0;
    }
    t.fsiInterrupts = TotalPackets(t.xmit) + t.smtSent + Pick(seed, second, kHostStream + 2, 0, 3);
    t.rcInterrupts = TotalPackets(t.recv) + t.smtCopied;
    return t;
}

SecondTraffic MeanTraffic(const TrafficProfile& profile, uint64_t seconds) {
    // Unsigned arithmetic keeps every sum modulo 2^32, as the counters themselves do.
    auto over = [seconds](uint64_t milli) { return static_cast<uint32_t>(milli * seconds / 1000); };
    auto direction = [&](uint64_t packets, uint64_t broadcast, uint64_t multicast,
                         uint32_t averageBytes) {
        DirectionTraffic d;
        d.broadcast.packets = over(broadcast);
        d.multicast.packets = over(multicast);
        d.directed.packets = over(packets) - d.broadcast.packets - d.multicast.packets;
        d.broadcast.bytes = d.broadcast.packets * 75u;
        d.multicast.bytes = d.multicast.packets * 250u;
        d.directed.bytes = d.directed.packets * averageBytes;
        return d;
    };
    SecondTraffic t;
    t.tokens = over(profile.tokensMilli);
    t.frames = over(profile.framesMilli);
    t.xmit = direction(profile.xmitPacketsMilli, profile.xmitBroadcastMilli,
                       profile.xmitMulticastMilli, profile.xmitAverageBytes);
    t.recv = direction(profile.recvPacketsMilli, profile.recvBroadcastMilli,
                       profile.recvMulticastMilli, profile.recvAverageBytes);
    t.fsiInterrupts = TotalPackets(t.xmit) + over(1000);
    t.rcInterrupts = TotalPackets(t.recv) + over(2000);
    return t;
}

void SetSecondGrowth(const SecondTraffic& traffic, CounterBank* counters) {
    ForEachGrowth(traffic, [counters](CounterId id, uint32_t n) { counters->SetPerSecond(id, n); });
}

void AddTraffic(const SecondTraffic& traffic, CounterBank* counters) {
    ForEachGrowth(traffic, [counters](CounterId id, uint32_t n) { counters->Add(id, n); });
}

void AddReinitialisationBurst(uint64_t seed, uint64_t eventNumber, CounterBank* counters) {
    using namespace stat_word;
    auto amount = [=](uint64_t what, uint32_t lo, uint32_t hi) {
        return Uniform(Hash(seed, Draw::kRingEvent, eventNumber, what), lo, hi);
    };
    counters->Add(kRingOpCt, 1);
    counters->Add(kErrorCt, amount(1, 1, 5));
    counters->Add(kLostCt, amount(2, 1, 2));
    counters->Add(kTvxExpiredCt, amount(3, 1, 2));
    counters->Add(kLateCt, amount(4, 1, 2));
    // Frames in flight when the ring broke: aborted on the way out, damaged on the way in.
    const uint32_t aborted = amount(5, 0, 3);
    const uint32_t underruns = amount(6, 0, 1);
    counters->Add(StatisticId(kXmitAbortErrors), aborted);
    counters->Add(StatisticId(kUnderrunErrors), underruns);
    counters->Add(StatisticId(kXmitErrors), aborted + underruns);
    const uint32_t eFlag = amount(7, 0, 2);
    const uint32_t crc = amount(8, 0, 2);
    counters->Add(StatisticId(kRecvEFlagErrors), eFlag);
    counters->Add(StatisticId(kRecvCrcErrors), crc);
    counters->Add(StatisticId(kRecvErrors), eFlag + crc);
    counters->Add(StatisticId(kNoXmitBuffers), amount(9, 0, 20));
    counters->Add(StatisticId(kXmitRingFull), amount(10, 0, 5));
}

}  // namespace sim
