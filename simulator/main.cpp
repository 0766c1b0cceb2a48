// qd4682sim: the stand-in for the adapter's driver. Serves \\.\qd4682 on its Unix socket with
// one to three simulated FDDI stations until it is interrupted or terminated.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
constexpr size_t kHelpWidth = 80;

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

// Appends `text` to `out` indented by `indent` blanks and broken into lines of at most
// kHelpWidth columns, each but the first indented by `hang`. A word longer than a line stays
// whole.
void AppendWrapped(std::string& out, const std::string& text, size_t indent, size_t hang) {
    out += std::string(indent, ' ');
    size_t column = indent;
    bool lineEmpty = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!lineEmpty && column + 1 + word.size() > kHelpWidth) {
            out += "\n" + std::string(hang, ' ');
            column = hang;
        } else if (!lineEmpty) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineEmpty = false;
        start = end + 1;
    }
    out += '\n';
}

std::string HelpFooter() {
    std::string text = "Scenarios (played by instance 0; the other instances stay healthy):\n";
    for (size_t i = 0; i < sim::kScenarioCount; ++i) {
        const sim::ScenarioInfo& info = sim::kScenarios[i];
        AppendWrapped(text, std::string(info.name) + ": " + info.description, 2, 4);
    }
    text += "\nRefusals (the status a request gets instead of an answer):\n";
    char line[64];
    for (const sim::RefusalCode& refusal : sim::kRefusalCodes) {
        std::snprintf(line, sizeof line, "0x%02X %s: ", refusal.status, refusal.name);
        AppendWrapped(text, line + std::string(refusal.when), 2, 4);
    }
    const std::string device(kDeviceName);
    text += '\n';
    AppendWrapped(text,
                  "The socket is $XDG_RUNTIME_DIR/" + device +
                      " when XDG_RUNTIME_DIR is an absolute path, otherwise /tmp/" + device +
                      "-UID/" + device +
                      ", in a directory made with mode 0700 that must belong to this user and "
                      "admit nobody else.",
                  0, 0);
    AppendWrapped(text,
                  "With --system (root only, as the system unit runs it) it is the host's "
                  "device, " +
                      std::string(platform::kSystemDeviceDirectory) + "/" + device + "/" + device +
                      ", which every user's monitors open when they have no driver of their "
                      "own.",
                  0, 0);
    text += "See qd4682sim(1).";
    return text;
}

// The host's device lives in a directory of root's that every user may enter, so that their
// monitors can reach it, and nobody else may change. An existing one must be just that (the
// system unit's RuntimeDirectory= makes it so); a missing one is made.
bool PrepareSystemDirectory(const std::string& directory, std::string* why) {
    if (mkdir(directory.c_str(), 0755) != 0 && errno != EEXIST) {
        *why = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (lstat(directory.c_str(), &st) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != 0 || (st.st_mode & 022) != 0) {
        *why = "it is not a directory of root's that only root may change";
        return false;
    }
    // mkdir's mode passed through the umask; others must be able to enter.
    if ((st.st_mode & 0755) != 0755 && chmod(directory.c_str(), 0755) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    return true;
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
    CLI::Option* seedOption = app.add_option("--seed", seed, "the same seed plays the same run");
    app.add_flag("--verbose", verbose, "one line per request on stderr");
    bool system = false;
    app.add_flag("--system", system, "serve the host's device, in /run (root only)");
    app.set_version_flag("-V,--version", std::string("qd4682sim ") + MONITORS_VERSION,
                         "show the version and exit");
    app.footer(HelpFooter());
    // Errors name the program, as every other tool's on a shared terminal or in the journal.
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("qd4682sim: ") + e.what() + "\nRun with --help for more information.\n";
    });
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
    mode_t socketMode = 0600;
    if (system) {
        platform::SystemDeviceSocketPath(kDeviceName, path);
        const std::string directory =
            std::string(platform::kSystemDeviceDirectory) + "/" + kDeviceName;
        // Every user's monitors trust whatever root serves there; nobody else may serve it.
        if (geteuid() != 0) {
            std::fprintf(stderr,
                         "qd4682sim: not serving at %s: --system is for root (the system unit "
                         "qd4682sim.service); without it the driver serves this user alone\n",
                         path);
            return 1;
        }
        std::string why;
        if (!PrepareSystemDirectory(directory, &why)) {
            std::fprintf(stderr, "qd4682sim: not serving at %s: %s: %s\n", path, directory.c_str(),
                         why.c_str());
            return 1;
        }
        socketMode = 0666;
    } else {
        switch (platform::PrepareDeviceSocket(kDeviceName, path)) {
            case platform::Place::kSafe:
                break;
            case platform::Place::kAbsent: {
                const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
                std::fprintf(stderr,
                             "qd4682sim: not serving: %s/%s does not fit a socket address\n",
                             runtimeDir != nullptr ? runtimeDir : "", kDeviceName);
                return 1;
            }
            case platform::Place::kUnsafe:
                // Somebody else may have made the directory to catch the monitors' requests.
                std::fprintf(stderr, "qd4682sim: not serving at %s: %s\n", path,
                             errno != 0 ? std::strerror(errno)
                                        : "its directory is not this user's own with mode 0700 "
                                          "(a symlink, another owner or open to others)");
                return 1;
        }
    }
    std::string message;
    if (server.Start(path, &message, socketMode) != sim::StartResult::kServing) {
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
    if (system) {
        // Gone with the driver, unless something else was put there.
        rmdir((std::string(platform::kSystemDeviceDirectory) + "/" + kDeviceName).c_str());
    } else {
        platform::RemoveDeviceSocketDirectory(kDeviceName);
    }
    return 0;
}
