// The agent's side of net-snmp: an AgentX subagent that serves the fddimib subtree from the
// station cache.
#pragma once

#include <cstdint>
#include <string>

struct AgentOptions {
    std::string masterAddress;  // empty: net-snmp's default AgentX socket
    uint64_t cacheMs = 1000;
    // How long a station whose fetches fail with a transient refusal keeps its rows; -1: three
    // cache periods.
    int64_t graceMs = -1;
    int pingSeconds = 30;  // how often a connected master is checked
    bool foreground = false;
    // Watching: every adapter is fetched once per period and queries are answered from the
    // newest snapshots; its entries go to the log and, when named, to a JSON Lines file.
    int watchSeconds = 0;  // 0: not watching, fetch when queried
    std::string eventLogPath;
    bool noSnmp = false;  // watch without a master agent at all
};

// Runs until a termination signal; returns the process's exit status.
int RunAgent(const AgentOptions& options);
