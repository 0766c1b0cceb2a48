// ringagent: the adapters' FDDI SMT MIB over SNMP, as an AgentX subagent of the host's agent.
#include <CLI/CLI.hpp>
#include <string>

#include "monitors_version.h"
#include "ringagent/snmp_agent.h"

int main(int argc, char** argv) {
    CLI::App app{
        "ringagent: serves the FDDI SMT 7.3 MIB (1.3.6.1.2.1.10.15.73) of the 4682 "
        "adapters to the host's SNMP agent over AgentX"};
    app.set_version_flag("--version", "ringagent " MONITORS_VERSION);
    AgentOptions options;
    app.add_option("-x", options.masterAddress,
                   "the master agent's AgentX address (default: net-snmp's, "
                   "/var/agentx/master)");
    app.add_option("--cache-ms", options.cacheMs,
                   "how long one fetch of each adapter answers queries, in ms")
        ->capture_default_str();
    app.add_option("--grace-ms", options.graceMs,
                   "how long a station whose driver refuses for a while (not ready) keeps its "
                   "rows, in ms (default: three cache periods)")
        ->check(CLI::Range(int64_t{0}, int64_t{86400000}));
    app.add_option("--ping-interval", options.pingSeconds,
                   "seconds between checks of a connected master agent (a lost one is "
                   "redialled every 2 s)")
        ->check(CLI::Range(1, 3600))
        ->capture_default_str();
    CLI::Option* watch =
        app.add_option("--watch", options.watchSeconds,
                       "fetch every adapter once per period (1 to 60 s), journal what changed, "
                       "and answer queries from the newest fetch (in place of --cache-ms)")
            ->check(CLI::Range(1, 60))
            ->type_name("SECONDS");
    app.add_option("--event-log", options.eventLogPath,
                   "also append each journal entry to FILE as a JSON line (reopened on SIGHUP)")
        ->type_name("FILE")
        ->needs(watch);
    app.add_flag("--no-snmp", options.noSnmp, "watch without a master agent: journal only")
        ->needs(watch);
    app.add_flag("-f", options.foreground,
                 "stay in the foreground and log to stderr (else syslog)");
    app.footer(
        "The driver: the user's own ($XDG_RUNTIME_DIR/qd4682, or /tmp/qd4682-UID/qd4682)\n"
        "when one serves there, otherwise the host's device, /run/qd4682/qd4682.\n"
        "With --event-log, SIGHUP reopens the file instead of ending the agent.\n"
        "Exit status: 0 after SIGTERM, SIGINT or SIGHUP; 1 when the master agent refuses\n"
        "the subtree (another agent serves it, or the master denies it) or the agent\n"
        "cannot start; 2 for a wrong option. See ringagent(8).");
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("ringagent: ") + e.what() + "\nRun with --help for more information.\n";
    });
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    return RunAgent(options);
}
