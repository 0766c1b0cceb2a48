// The stand-in driver checked through the station monitor's own reading of it: ringeye's fetch
// cycle runs against the simulated station and the slots every screen reads must hold the
// reference values of a healthy station.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/win32_on_linux/in_process_device.h"
#include "ringeye/layout.h"
#include "ringeye/monitor_state.h"
#include "simulator/station_driver.h"
#include "smtmib/smt_retrieval.h"
#include "tests/harness/monitor_harness.h"

namespace {

// Counts the requests on their way to the simulated station.
class CountingDevice : public wire::DeviceHandler {
  public:
    explicit CountingDevice(wire::DeviceHandler& inner) : inner_(inner) {}
    uint32_t Serve(uint32_t code, const uint8_t* in, uint32_t inLength, uint8_t* out,
                   uint32_t outLength, uint32_t* answered) override {
        ++requests;
        return inner_.Serve(code, in, inLength, out, outLength, answered);
    }
    int requests = 0;

  private:
    wire::DeviceHandler& inner_;
};

struct SimulatedRun {
    MonitorHarness harness;
    sim::StationDriver driver;
    CountingDevice counter{driver};
    explicit SimulatedRun(sim::Attachment attachment, uint32_t instances = 1)
        : driver(sim::DriverConfig{instances, attachment, sim::Scenario::kHealthy, 7, 3600},
                 harness.clock) {
        platform::RegisterInProcessDevice("qd4682", &counter);
    }
};

// How a screen reads one number from its slot.
struct Expected {
    const char* name;
    uint16_t type;
    int port;
    std::function<uint32_t(const ParamSlot&)> read;
    uint32_t value;
};

uint32_t Byte3(const ParamSlot& s) {
    return ValueByte(s, 3);
}
uint32_t Byte7(const ParamSlot& s) {
    return ValueByte(s, 7);
}
uint32_t Smt16(const ParamSlot& s) {
    return Value16(s, 2);
}
uint32_t Object16(const ParamSlot& s) {
    return Value16(s, 6);
}
uint32_t Smt32(const ParamSlot& s) {
    return Value32(s, 0);
}
uint32_t Object32(const ParamSlot& s) {
    return Value32(s, 4);
}
// Times in microseconds, as the screens' milliseconds with three decimals show them.
uint32_t SmtMicroseconds(const ParamSlot& s) {
    return static_cast<uint32_t>(std::lround(TimeToMs(static_cast<int32_t>(Smt32(s))) * 1000));
}
uint32_t ObjectMicroseconds(const ParamSlot& s) {
    return static_cast<uint32_t>(std::lround(TimeToMs(static_cast<int32_t>(Object32(s))) * 1000));
}

void CheckAll(const std::vector<Expected>& expected) {
    for (const Expected& e : expected) {
        EXPECT_EQ(e.read(SlotOf(Monitor.station, e.type, e.port)), e.value) << e.name;
    }
}

const std::vector<Expected> kStationValues = {
    {"OpVersionId", 0x100D, 0, Smt16, 2},
    {"HiVersionId", 0x100E, 0, Smt16, 2},
    {"LoVersionId", 0x100F, 0, Smt16, 2},
    {"MAC-Ct", 0x1015, 0, Byte3, 1},
    {"Master-Ct", 0x1017, 0, Byte3, 0},
    {"ConnectionPolicy", 0x101B, 0, Smt16, 0x8021},
    {"T_Notify", 0x101D, 0, Smt16, 10},
    {"StatRptPolicy", 0x101E, 0, Byte3, 1},
    {"Trace_MaxExpiration", 0x101F, 0, SmtMicroseconds, 7000000},
    {"MACIndexes", 0x1021, 0, Smt16, 1},
    {"ECM In", 0x1029, 0, Smt32, 1},
    {"HoldState", 0x102B, 0, Byte3, 0},
    {"PeerWrapFlag", 0x102E, 0, Byte3, 0},
    {"T_MaxCapability", 0x200D, 0, ObjectMicroseconds, 165000},
    {"TVXCapability", 0x200E, 0, ObjectMicroseconds, 5200},
    {"MAC CurrentPath primary", 0x2017, 0, Object16, 3},
    {"Dup_Addr_Test pass", 0x201D, 0, Object16, 1},
    {"RequestedPaths", 0x2020, 0, Byte7, 0x07},
    {"T_Req", 0x2033, 0, ObjectMicroseconds, 8000},
    {"T_Neg", 0x2034, 0, ObjectMicroseconds, 8000},
    {"T_Max", 0x2035, 0, ObjectMicroseconds, 165000},
    {"TvxValue", 0x2036, 0, ObjectMicroseconds, 2500},
    {"FrameErrorThreshold", 0x205F, 0, Object16, 1},
    {"RMT Ring_Op", 0x206F, 0, Byte7, 2},
    {"DA_Flag", 0x2070, 0, Byte7, 0},
    {"MA_UnitdataAvailable", 0x2074, 0, Byte7, 1},
    {"HardwarePresent", 0x2075, 0, Byte7, 1},
    {"PATH index", 0x320B, 0, Object16, 1},
    {"TraceStatus", 0x320E, 0, Object16, 0},
    {"TVXLowerBound", 0x3215, 0, ObjectMicroseconds, 2500},
    {"T_MaxLowerBound", 0x3216, 0, ObjectMicroseconds, 165000},
    {"MaxT_Req", 0x3217, 0, ObjectMicroseconds, 165000},
};

std::vector<Expected> PortValues(int port, uint32_t myType, uint32_t neighbor, uint32_t path) {
    return {
        {"My_Type", 0x400C, port, Byte7, myType},
        {"NeighborType", 0x400D, port, Byte7, neighbor},
        {"CurrentPath", 0x4010, port, Byte7, path},
        {"Loop_Time", 0x4015, port, ObjectMicroseconds, 200000},
        {"PMD multimode", 0x4016, port, Byte7, 0},
        {"PC_LS Active", 0x4022, port, Byte7, 4},
        {"Ler_Estimate", 0x4033, port, Byte7, 15},
        {"Ler_Cutoff", 0x403A, port, Byte7, 7},
        {"Ler_Alarm", 0x403B, port, Byte7, 8},
        {"Connect State Active", 0x403D, port, Byte7, 3},
        {"PCM Active", 0x403E, port, Byte7, 8},
        {"Hardware Present", 0x4041, port, Byte7, 1},
    };
}

struct ListEntry {
    uint32_t type, index, path;
};

std::vector<ListEntry> ConfigurationList() {
    std::vector<ListEntry> entries;
    const PathConfigList list = PathConfigEntries(Monitor.station);
    for (uint32_t i = 0; i < list.declared && i < list.whole; ++i) {
        entries.push_back(
            {list.entry[i].resourceType, list.entry[i].resourceIndex, list.entry[i].currentPath});
    }
    return entries;
}

bool operator==(const ListEntry& a, const ListEntry& b) {
    return a.type == b.type && a.index == b.index && a.path == b.path;
}

TEST(MonitorReadsSimulator, DualAttachmentStationHasTheReferenceValues) {
    SimulatedRun run(sim::Attachment::kDual);
    std::string header;
    int perCycle = 0;
    run.harness.At(1500, [&] {
        header = run.harness.Cells(1, 35, 38);
        const int before = run.counter.requests;
        run.harness.display.PushKey('1');  // one refresh more, at once
        run.harness.At(1501, [&, before] { perCycle = run.counter.requests - before; });
    });
    run.harness.RunRingeye(2000);
    EXPECT_EQ(perCycle, 26);
    EXPECT_EQ(header, "ECM-IN       CFM-THRU     RMT-RING_OP ");
    EXPECT_EQ(Monitor.station.PortCount, 2u);
    CheckAll(kStationValues);
    CheckAll({{"CF Thru", 0x102A, 0, Smt32, 12},
              {"StationStatus thru", 0x102D, 0, Byte3, 2},
              {"AvailablePaths", 0x1018, 0, Byte3, 3},
              {"DownstreamPORTType B", 0x2021, 0, Object16, 1}});
    CheckAll(PortValues(0, 0, 1, 5));
    CheckAll(PortValues(1, 1, 0, 5));
    const std::vector<ListEntry> dual = {{4, 1, 3}, {2, 1, 3}, {4, 2, 3}};
    EXPECT_TRUE(ConfigurationList() == dual);
}

TEST(MonitorReadsSimulator, SingleAttachmentStationHasTheReferenceValues) {
    SimulatedRun run(sim::Attachment::kSingle);
    std::string bar;
    int perCycle = 0;
    run.harness.At(1500, [&] {
        bar = run.harness.Cells(23, 36, 16);
        const int before = run.counter.requests;
        run.harness.display.PushKey('1');
        run.harness.At(1501, [&, before] { perCycle = run.counter.requests - before; });
    });
    run.harness.RunRingeye(2000);
    EXPECT_EQ(perCycle, 21);
    EXPECT_EQ(bar, "5:Port-S 6:     ");
    EXPECT_EQ(Monitor.station.PortCount, 1u);
    CheckAll(kStationValues);
    CheckAll({{"CF C_Wrap_S", 0x102A, 0, Smt32, 11},
              {"StationStatus concatenated", 0x102D, 0, Byte3, 0},
              {"AvailablePaths", 0x1018, 0, Byte3, 1},
              {"DownstreamPORTType S", 0x2021, 0, Object16, 2}});
    CheckAll(PortValues(0, 2, 3, 4));
    const std::vector<ListEntry> single = {{4, 1, 3}, {2, 1, 3}};
    EXPECT_TRUE(ConfigurationList() == single);
}

TEST(MonitorReadsSimulator, AnInstanceNotServedIsRefused) {
    SimulatedRun run(sim::Attachment::kDual, 1);
    std::string message;
    run.harness.KeyAt(300, '8');
    run.harness.KeysAt(310, "1\n");
    run.harness.At(500, [&] { message = run.harness.Cells(0, 1, 50); });  // column 0: spinner
    run.harness.RunRingeye(600);
    EXPECT_EQ(message, "IOCTL Failed for DevInstance 1, GetLastError = 1f ");
}

}  // namespace
