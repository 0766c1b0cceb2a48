// ringagent: the adapters' FDDI SMT MIB over SNMP, as an AgentX subagent of the host's agent.
#include <CLI/CLI.hpp>

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
    app.add_flag("-f", options.foreground,
                 "stay in the foreground and log to stderr (else syslog)");
    CLI11_PARSE(app, argc, argv);
    return RunAgent(options);
}
