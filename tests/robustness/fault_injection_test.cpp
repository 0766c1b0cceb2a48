// Both monitors against a driver that misbehaves in every way the transport allows, and the
// station monitor against answers whose records lie about themselves. Whatever happens, the
// program shows the report it owes, keeps turning its spinner, and paints values again with
// the first good cycle; ten thousand failed cycles leave no descriptor and no heap block behind.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32_on_linux/in_process_device.h"
#include "tests/robustness/allocation_counter.h"
#include "tests/robustness/faulty_run.h"
#include "tests/support/open_fds.h"

namespace {

using test_support::DriverFault;

// The fault begins in the wait after the cycle of second 2, so the cycles of seconds 3, 4 and 5
// fail; it ends in the wait after that, so the cycle of second 6 is good again.
constexpr uint64_t kFaultFromMs = 2500, kFaultUntilMs = 5500;
constexpr uint64_t kDuringMs[] = {3500, 4500};
constexpr uint64_t kAfterMs = 6500;
constexpr int kFailedCycles = 3;

const char kOpenFailure[] = "***Error***: Cannot detect 4682 device";

struct TransportFault {
    const char* name;
    std::function<void(FaultyRun&)> begin;
    std::function<void(FaultyRun&)> end;
    const char* errorCode;  // as the report prints it; nullptr for a failed open
};

std::function<void(FaultyRun&)> Queue(DriverFault fault) {
    return [fault](FaultyRun& run) { run.driver->InjectFault(fault, kFailedCycles); };
}

void Nothing(FaultyRun&) {}

const std::vector<TransportFault>& TransportFaults() {
    static const std::vector<TransportFault> faults = {
        {"driver absent", [](FaultyRun& run) { run.StopDriver(); },
         [](FaultyRun& run) { run.StartDriver(); }, nullptr},
        {"every request refused", [](FaultyRun& run) { run.h.station.RefuseWith(0x1F); },
         [](FaultyRun& run) { run.h.station.RefuseWith(0); }, "1f"},
        {"stall beyond the reply limit", [](FaultyRun& run) { run.Stall(kFailedCycles); },
         [](FaultyRun& run) { run.StopStalling(); }, "79"},
        {"hang-up after the status", Queue(DriverFault::kCloseMidReply), Nothing, "48f"},
        {"hang-up one byte short", Queue(DriverFault::kShortReply), Nothing, "48f"},
        {"count larger than the buffer", Queue(DriverFault::kCountAboveOutput), Nothing, "d"},
    };
    return faults;
}

std::string RequestFailure(const char* prefix, int instance, const char* errorCode) {
    return std::string(prefix) + "IOCTL Failed for DevInstance " + std::to_string(instance) +
           ", GetLastError = " + errorCode;
}

// What each monitor shows, and where.
struct MonitorView {
    const char* name;
    std::function<int(FaultyRun&, uint64_t)> run;
    // The failure report as it should read from column 1 of its row.
    std::function<std::string(int instance, const char* errorCode)> report;
    int reportRow;
    // A value that only a good cycle paints.
    std::function<std::string(FaultyRun&)> value;
    std::string goodValue;
    const char* dialogKey;  // opens the device-instance dialog
};

const std::vector<MonitorView>& Monitors() {
    static const std::vector<MonitorView> monitors = {
        {"ringeye", [](FaultyRun& run, uint64_t end) { return run.h.RunRingeye(end); },
         [](int instance, const char* code) {
             return code ? RequestFailure("", instance, code) : std::string(kOpenFailure);
         },
         0, [](FaultyRun& run) { return run.h.Cells(1, 19, 14); }, "0800 3E12 3456", "8"},
        {"Tallyer", [](FaultyRun& run, uint64_t end) { return run.h.RunTallyer(end); },
         [](int instance, const char* code) {
             return code ? RequestFailure("***ERROR***: ", instance, code)
                         : std::string(kOpenFailure);
         },
         1, [](FaultyRun& run) { return run.h.Cells(3, 0, 38); },
         "Xmit packets                         7", "1"},
    };
    return monitors;
}

std::string ReportCells(FaultyRun& run, const MonitorView& monitor, size_t length) {
    return run.h.Cells(monitor.reportRow, 1, static_cast<int>(length));
}

TEST(TransportFaults, EachIsReportedSurvivedAndForgottenByTheNextGoodCycle) {
    for (const MonitorView& monitor : Monitors()) {
        for (const TransportFault& fault : TransportFaults()) {
            SCOPED_TRACE(std::string(monitor.name) + ": " + fault.name);
            FaultyRun run;
            const std::string expected = monitor.report(0, fault.errorCode);
            std::vector<std::string> reports, spinner;
            std::string valueAfter;
            run.h.At(kFaultFromMs, [&] { fault.begin(run); });
            for (uint64_t at : kDuringMs) {
                run.h.At(at, [&] {
                    reports.push_back(ReportCells(run, monitor, expected.size() + 1));
                    spinner.push_back(run.h.Cells(0, 0, 1));
                });
            }
            run.h.At(kFaultUntilMs, [&] { fault.end(run); });
            run.h.At(kAfterMs, [&] { valueAfter = monitor.value(run); });
            monitor.run(run, kAfterMs + 100);

            ASSERT_EQ(reports.size(), 2u);
            for (const std::string& report : reports)
                EXPECT_EQ(report, expected + " ");
            EXPECT_NE(spinner[0], spinner[1]) << "the loop went on";
            EXPECT_EQ(valueAfter, monitor.goodValue);
        }
    }
}

TEST(TransportFaults, InstanceRefusedAfterTheDialogShowsThatInstance) {
    for (const MonitorView& monitor : Monitors()) {
        SCOPED_TRACE(monitor.name);
        FaultyRun run;
        run.h.station.ServeInstances(1);
        std::string report, valueAfter;
        const std::string expected = monitor.report(2, "1f");
        run.h.KeysAt(1500, monitor.dialogKey);
        run.h.KeysAt(1600, "2\n");
        run.h.At(3500, [&] { report = ReportCells(run, monitor, expected.size() + 1); });
        run.h.KeysAt(4200, monitor.dialogKey);
        run.h.KeysAt(4300, "0\n");
        run.h.At(kAfterMs, [&] { valueAfter = monitor.value(run); });
        monitor.run(run, kAfterMs + 100);
        EXPECT_EQ(report, expected + " ");
        EXPECT_EQ(valueAfter, monitor.goodValue);
    }
}

// Station identification answers (group 0x100A, whose slots 0 and 5 are the station ID and the
// user data that the header shows) that lie about their records.
const FakeStation::Bytes kOtherStationId = {0x00, 0x00, 0x08, 0x00, 0x3E, 0x00, 0x00, 0x99};
const std::string kHealthyId = "0800 3E12 3456", kOtherId = "0800 3E00 0099",
                  kClearedId = "0000 0000 0000";
const std::string kHealthyUser = "Lab ring, rack 3                ";

struct AnswerFault {
    const char* name;
    FakeStation::Bytes answer;
    std::string stationId;  // what the header shows while the fault lasts
    std::string userData;
};

std::vector<AnswerFault> AnswerFaults() {
    const FakeStation::Bytes longValue(
        reinterpret_cast<const uint8_t*>("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd"),
        reinterpret_cast<const uint8_t*>("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd") + 40);
    RecordWriter eightUnknown;
    for (int i = 0; i < 8; ++i)
        eightUnknown.Add(0x7777, {1, 2, 3, 4});
    eightUnknown.Add(0x100B, kOtherStationId);
    return {
        {"first record runs past the answer",
         RecordWriter().Add(0x100B, kOtherStationId, 600).Bytes(), kClearedId, kHealthyUser},
        {"second record runs past the answer",
         RecordWriter().Add(0x100B, kOtherStationId).Add(0x1011, {'X', 'Y'}, 505).Bytes(), kOtherId,
         kHealthyUser},
        {"value longer than a slot", RecordWriter().Add(0x1011, longValue).Bytes(), kClearedId,
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
        {"unknown type before a known one",
         RecordWriter().Add(0x7777, {1, 2, 3, 4}).Add(0x100B, kOtherStationId).Bytes(), kOtherId,
         kHealthyUser},
        {"known record after the bound of seven", eightUnknown.Bytes(), kClearedId, kHealthyUser},
        {"type-0 answer", {}, kClearedId, kHealthyUser},
    };
}

TEST(AnswerFaults, RingeyeShowsWhatTheRecordsHoldWithinTheirSlotsAndRecovers) {
    for (const AnswerFault& fault : AnswerFaults()) {
        SCOPED_TRACE(fault.name);
        FaultyRun run;
        std::string during, userDuring, title, after, userAfter;
        run.h.At(kFaultFromMs, [&] { run.answers.Override(0x100A, 0, fault.answer); });
        run.h.At(kDuringMs[0], [&] {
            during = run.h.Cells(1, 19, 14);
            userDuring = run.h.Cells(3, 19, 32);
            title = run.h.Cells(0, 35, 14);
        });
        run.h.At(kFaultUntilMs, [&] { run.answers.Clear(); });
        run.h.At(kAfterMs, [&] {
            after = run.h.Cells(1, 19, 14);
            userAfter = run.h.Cells(3, 19, 32);
        });
        run.h.RunRingeye(kAfterMs + 100);
        EXPECT_EQ(title, "Composite Data") << "no failure report took the screen";
        EXPECT_EQ(during, fault.stationId);
        EXPECT_EQ(userDuring, fault.userData);
        EXPECT_EQ(after, kHealthyId);
        EXPECT_EQ(userAfter, kHealthyUser);
    }
}

// Ten thousand failed cycles: a thousand without a driver, then nine thousand against one that
// stalls, hangs up, overflows or refuses, in turn.
TEST(FailedCycles, TenThousandLeaveNoDescriptorAndNoHeapBlock) {
    constexpr int kAbsentCycles = 1000, kFaultedCycles = 9000;
    constexpr uint64_t kCycleMs = 1000;
    const DriverFault kinds[] = {DriverFault::kErrorStatus, DriverFault::kCloseMidReply,
                                 DriverFault::kShortReply, DriverFault::kCountAboveOutput,
                                 DriverFault::kStall};
    for (const MonitorView& monitor : Monitors()) {
        SCOPED_TRACE(monitor.name);
        FaultyRun run;
        int fdsBefore = -1, fdsAfter = -2, faultedRequests = 0, openHandles = -1;
        long allocations = -1;
        const uint64_t driverBackMs = 500 + kAbsentCycles * kCycleMs;
        const uint64_t endMs = driverBackMs + kFaultedCycles * kCycleMs;
        run.h.At(400, [&] {
            run.StopDriver();
            fdsBefore = test_support::CountOpenFds();
            allocations = -alloc_count::Count();
            alloc_count::Resume();
        });
        run.h.At(driverBackMs, [&] {
            alloc_count::Paused testCode;
            run.StartDriver();
        });
        // One fault in each wait, for the next cycle's request: only a stalled request gets the
        // short reply limit, so every other one is served, and counted, however loaded the
        // machine is.
        for (int i = 0; i < kFaultedCycles; ++i) {
            const DriverFault kind = kinds[i % std::size(kinds)];
            run.h.At(driverBackMs + i * kCycleMs, [&run, kind] {
                alloc_count::Paused testCode;
                if (kind == DriverFault::kStall) {
                    run.Stall(1);
                } else {
                    run.StopStalling();
                    run.driver->InjectFault(kind);
                }
            });
        }
        run.h.At(endMs, [&] {
            alloc_count::Pause();
            allocations += alloc_count::Count();
            openHandles = platform::OpenDeviceHandleCount();
            run.WaitForRequestsReceived(kFaultedCycles - 1);
            faultedRequests = run.driver->RequestsReceived();
            run.StopDriver();
            fdsAfter = test_support::CountOpenFds();
        });
        monitor.run(run, endMs + 100);
        EXPECT_GE(faultedRequests, kFaultedCycles - 1);
        EXPECT_EQ(openHandles, 0);
        EXPECT_EQ(fdsAfter, fdsBefore);
        EXPECT_EQ(allocations, 0);
    }
}

}  // namespace
