// qd4682sim: the stand-in for the adapter's driver. Serves \\.\qd4682 on its Unix socket with
// one to three simulated FDDI stations until it is interrupted or terminated.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "monitors_version.h"
#include "platform/clock.h"
#include "platform/wire/device_path.h"
#include "simulator/noise.h"
#include "simulator/refusal_codes.h"
#include "simulator/socket_server.h"
#include "simulator/station_driver.h"

namespace {

// The device this driver serves; the monitors open it as \\.\qd4682.
constexpr const char* kDeviceName = "qd4682";

sim::SocketServer* runningServer = nullptr;

void OnStopSignal(int) {
    if (runningServer != nullptr) runningServer->RequestStop();
}

void InstallSignalHandlers() {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    action.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &action, nullptr);
}

std::string HelpFooter() {
    std::string text = "Scenarios (played by instance 0; the other instances stay healthy):\n";
    for (size_t i = 0; i < sim::kScenarioCount; ++i) {
        const sim::ScenarioInfo& info = sim::kScenarios[i];
        text += "  " + std::string(info.name) + ": " + info.description + "\n";
    }
    text += "\nRefusals (the status a request gets instead of an answer):\n";
    char line[64];
    for (const sim::RefusalCode& refusal : sim::kRefusalCodes) {
        std::snprintf(line, sizeof line, "  0x%02X %s: ", refusal.status, refusal.name);
        text += line + std::string(refusal.when) + "\n";
    }
    text += "\nThe socket is $XDG_RUNTIME_DIR/" + std::string(kDeviceName) +
            " when XDG_RUNTIME_DIR is an absolute path, otherwise /tmp/" + kDeviceName + "-UID/" +
            kDeviceName +
            ",\nin a directory made with mode 0700 that must belong to this user and "
            "admit nobody else.\nSee qd4682sim(1).";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"qd4682sim: serves \\\\.\\qd4682, a simulated FDDI station, to the monitors"};
    uint32_t instances = 1;
    std::string station = "das";
    std::string scenario = "healthy";
    uint64_t seed = 0;
    bool verbose = false;
    app.add_option("--instances", instances, "number of adapters served, 1 to 3")
        ->check(CLI::Range(1, 3));
    app.add_option("--station", station, "dual (das) or single (sas) attachment")
        ->check(CLI::IsMember({"das", "sas"}));
    std::vector<std::string> scenarioNames;
    for (size_t i = 0; i < sim::kScenarioCount; ++i) {
        scenarioNames.push_back(sim::kScenarios[i].name);
    }
    app.add_option("--scenario", scenario, "what happens on the ring of instance 0")
        ->check(CLI::IsMember(scenarioNames));
    CLI::Option* seedOption =
        app.add_option("--seed", seed, "seed of the simulation; the same seed plays the same run");
    app.add_flag("--verbose", verbose, "one line per request on stderr");
    app.set_version_flag("-V,--version", std::string("qd4682sim ") + MONITORS_VERSION,
                         "show the version and exit");
    app.footer(HelpFooter());
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (seedOption->count() == 0) seed = static_cast<uint64_t>(std::time(nullptr));

    sim::DriverConfig config;
    config.instances = instances;
    config.attachment = station == "sas" ? sim::Attachment::kSingle : sim::Attachment::kDual;
    config.scenario = sim::FindScenario(scenario.c_str())->scenario;
    config.seed = seed;
    // The adapters have been up for a while: one hour to three days.
    config.uptimeSeconds = 3600 + static_cast<uint32_t>(sim::Mix64(seed) % (3 * 86400));

    FILE* log = verbose ? stderr : nullptr;
    platform::Clock& clock = platform::CurrentClock();
    sim::StationDriver driver(config, clock, log);
    sim::SocketServer server(driver, clock, log);
    server.SetIdleTask([&driver] { driver.CatchUp(); });
    runningServer = &server;
    InstallSignalHandlers();

    platform::SocketPath path;
    switch (platform::PrepareDeviceSocket(kDeviceName, path)) {
        case platform::Place::kSafe:
            break;
        case platform::Place::kAbsent:
            std::fprintf(stderr, "qd4682sim: the socket path of %s does not fit a socket address\n",
                         kDeviceName);
            return 1;
        case platform::Place::kUnsafe:
            // Somebody else may have made the directory to catch the monitors' requests.
            std::fprintf(stderr, "qd4682sim: not serving at %s: %s\n", path,
                         errno != 0 ? std::strerror(errno)
                                    : "its directory is not this user's own with mode 0700 (a "
                                      "symlink, another owner or open to others)");
            return 1;
    }
    std::string message;
    if (server.Start(path, &message) != sim::StartResult::kServing) {
        std::fprintf(stderr, "qd4682sim: %s\n", message.c_str());
        return 1;
    }
    std::printf(
        "qd4682sim: serving \\\\.\\%s at %s: %u instance(s), %s, scenario %s on instance 0, "
        "seed %llu\n",
        kDeviceName, path, instances, station.c_str(), scenario.c_str(),
        static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    server.Run();
    runningServer = nullptr;
    server.Close();
    platform::RemoveDeviceSocketDirectory(kDeviceName);
    return 0;
}
