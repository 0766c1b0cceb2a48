// The stand-in driver under load: eight clients that behave as the monitors do, all at once for
// ten seconds, and one client that sends garbage, floods connections and stalls. Every
// well-behaved request is answered, the driver's memory does not grow, and it still serves
// afterwards. bench/run reads the request rate this test prints.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/win32_on_linux/in_process_device.h"
#include "tests/simulator/sim_process.h"
#include "tests/simulator_load/load_clients.h"

namespace {

constexpr int kClients = 8;
constexpr uint32_t kInstances = 3;
constexpr auto kLoad = std::chrono::seconds(10);
// The driver's buffers are made at start-up; what is left is noise of the C library and the
// kernel's accounting.
constexpr long kGrowthAllowanceKb = 512;

TEST(SimulatorUnderLoad, EightClientsAndAGarbageClientAreServedInBoundedMemory) {
    sim_test::TempDir runtimeDir, logDir;
    ASSERT_EQ(setenv("XDG_RUNTIME_DIR", runtimeDir.path().c_str(), 1), 0);
    // The well-behaved clients wait to connect and for their replies as long as a loaded machine
    // may need: the driver's answers are counted here, not its speed.
    platform::SetOpenTimeoutMs(60000);
    platform::SetReplyTimeoutMs(60000);
    sim_test::SimProcess simulator(runtimeDir.path(), logDir.path(),
                                   {"--instances", std::to_string(kInstances), "--seed", "8"});
    ASSERT_TRUE(simulator.WaitUntilServing(10000)) << simulator.Errors();
    const pid_t driver = load::DriverPid();
    ASSERT_GT(driver, 0);

    // A second of load first, so that everything the driver sets up lazily is there.
    load::Run(kClients, kInstances, std::chrono::seconds(1), true);
    const long residentBefore = load::ResidentKb(driver);
    const load::LoadRun run = load::Run(kClients, kInstances, kLoad, true);
    const long residentAfter = load::ResidentKb(driver);
    const load::LoadRun after = load::Run(1, kInstances, std::chrono::milliseconds(200), false);
    platform::SetOpenTimeoutMs(2000);
    platform::SetReplyTimeoutMs(2000);

    std::printf(
        "simulator load: %llu requests in %.1f s, %.0f requests per second, %llu failed; "
        "garbage: %llu connections, %llu bytes; driver resident %ld kB -> %ld kB\n",
        static_cast<unsigned long long>(run.Requests()), run.seconds, run.Requests() / run.seconds,
        static_cast<unsigned long long>(run.Failures()),
        static_cast<unsigned long long>(run.garbage.connections),
        static_cast<unsigned long long>(run.garbage.bytes), residentBefore, residentAfter);
    for (size_t i = 0; i < run.clients.size(); ++i) {
        EXPECT_EQ(run.clients[i].failures, 0u)
            << "client " << i << ": " << run.clients[i].firstFailure;
        EXPECT_GT(run.clients[i].requests, 0u) << "client " << i;
    }
    EXPECT_GT(run.garbage.connections, 0u);
    EXPECT_GT(residentBefore, 0);
    EXPECT_LE(residentAfter - residentBefore, kGrowthAllowanceKb);
    EXPECT_EQ(after.Failures(), 0u) << after.clients[0].firstFailure;
    EXPECT_GT(after.Requests(), 0u);
}

}  // namespace
