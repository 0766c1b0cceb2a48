#include "ringeye/remote/agent_station.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "common/command_line.h"
#include "ringeye/remote/agent_exchange.h"
#include "ringeye/remote/screen_objects.h"
#include "ringeye/screens/screens.h"
#include "smtmib/mib_tables.h"

namespace {

using agent_exchange::Sent;

constexpr uint32_t kRequiredOpVersion = 2;

struct AgentState {
    char title[128] = "ringeye SMT 7.3";
    ScreenReading screens[kScreenCount];
    size_t perPdu = 64;         // halved when the agent answers tooBig
    bool unserved[kMaxWanted];  // SNMPv1: variables the agent answered noSuchName for
    const ScreenReading* unservedFor = nullptr;
    uint32_t unservedRow = 0;
};
AgentState Agent;

int Fail(StationSnapshot& station, const AgentOutcome& outcome) {
    station.agent = outcome;
    station.end = CycleEnd::kAgentFailed;
    return -1;
}

int Abandon(StationSnapshot& station) {
    station.end = CycleEnd::kAbandoned;
    return -1;
}

// GETs of every wanted instance, as many to a PDU as the agent takes.
Sent ReadInstances(const ScreenReading& reading, uint32_t smtIndex, StationSnapshot& station,
                   ContinueCheck continueCycle) {
    size_t next = 0;
    while (next < reading.count) {
        const Wanted* batch[kMaxWanted];
        size_t count = 0;
        size_t i = next;
        for (; i < reading.count && count < Agent.perPdu; ++i) {
            if (!Agent.unserved[i]) batch[count++] = &reading.wanted[i];
        }
        if (count == 0) break;
        const Sent sent = agent_exchange::Get(batch, count, smtIndex, station, continueCycle);
        if (sent == Sent::kAbandoned) return sent;
        if (sent == Sent::kFailed) {
            const AgentOutcome& outcome = agent_exchange::Outcome();
            if (outcome.fault == AgentFault::kErrorStatus && outcome.code == SNMP_ERR_TOOBIG &&
                Agent.perPdu > 1) {
                Agent.perPdu /= 2;
                continue;
            }
            // SNMPv1 refuses a whole GET for one instance it lacks: that one is left out (and
            // shown blank) from now on for this screen and row, and the others asked again.
            const bool one = outcome.fault == AgentFault::kErrorStatus &&
                             outcome.code == SNMP_ERR_NOSUCHNAME && outcome.errorIndex >= 1 &&
                             static_cast<size_t>(outcome.errorIndex) <= count;
            if (one) {
                const size_t index =
                    static_cast<size_t>(batch[outcome.errorIndex - 1] - reading.wanted);
                Agent.unserved[index] = true;
                continue;
            }
            return sent;
        }
        next = i;
    }
    return Sent::kAnswered;
}

// The PATH configuration list: one GETBULK over its three columns (SNMPv2c, v3), or GETNEXT
// entry by entry (SNMPv1).
Sent ReadPathList(uint32_t smtIndex, StationSnapshot& station, ContinueCheck continueCycle) {
    agent_exchange::StartPathList(smtIndex);
    const bool bulk = agent_exchange::Settings().version != SNMP_VERSION_1;
    for (size_t entry = 0; entry < kPathConfigurationMaxEntries; ++entry) {
        const Sent sent = agent_exchange::GetPathEntries(bulk, station, continueCycle);
        const AgentOutcome& outcome = agent_exchange::Outcome();
        // SNMPv1 ends a walk past the MIB's last object with noSuchName.
        if (sent == Sent::kFailed && !bulk && outcome.fault == AgentFault::kErrorStatus &&
            outcome.code == SNMP_ERR_NOSUCHNAME) {
            return Sent::kAnswered;
        }
        if (sent != Sent::kAnswered || bulk || !agent_exchange::PathListGoesOn()) return sent;
    }
    return Sent::kAnswered;
}

// The PATH's index is the row's own index in the MIB, not a column: a PATH row that answered is
// PATH 1, the one row the monitor reads.
void NotePathIndex(StationSnapshot& station) {
    constexpr uint16_t kPathIndexType = 0x320B, kPathValueTypes[] = {0x3215, 0x3216, 0x3217};
    for (uint16_t type : kPathValueTypes) {
        if (!SlotDelivered(SlotOf(station, type))) continue;
        if (ParamSlot* slot = MutableSlotOf(station, kPathIndexType)) {
            *slot = {{0x32, 0x0B}, {0, 8}, {0, 0, 0, 1, 0, 0, 0, 1}};
        }
        return;
    }
}

int FetchFromAgent(StationSnapshot& station, int32_t instance, const ScreenEntry& screen,
                   ContinueCheck continueCycle) {
    const uint32_t smtIndex = static_cast<uint32_t>(instance) + 1;
    const size_t number = screen.number > 0 && static_cast<size_t>(screen.number) < kScreenCount
                              ? static_cast<size_t>(screen.number)
                              : 0;
    const ScreenReading& reading = Agent.screens[number];
    if (Agent.unservedFor != &reading || Agent.unservedRow != smtIndex) {
        std::memset(Agent.unserved, 0, sizeof Agent.unserved);
        Agent.unservedFor = &reading;
        Agent.unservedRow = smtIndex;
    }
    AgentOutcome outcome = {AgentFault::kNone, 0, 0};
    if (!agent_exchange::OpenSession(&outcome)) return Fail(station, outcome);
    if (continueCycle && !continueCycle()) return Abandon(station);

    // Nothing of an earlier refresh may stay: what this one does not deliver is blank.
    std::memset(station.slots, 0, sizeof station.slots);
    station.pathConfiguration = {};
    station.absentIsBlank = true;
    agent_exchange::StartRefresh();
    Sent sent = ReadInstances(reading, smtIndex, station, continueCycle);
    if (sent == Sent::kAnswered && reading.pathList) {
        sent = ReadPathList(smtIndex, station, continueCycle);
    }
    if (sent == Sent::kAbandoned) return Abandon(station);
    if (sent == Sent::kFailed) return Fail(station, agent_exchange::Outcome());

    if (!SlotDelivered(SlotOf(station, kOpVersionIdType))) {
        // The Number scalar answers whenever the MIB is served, with or without this row.
        return Fail(station, {agent_exchange::SmtNumberAnswered() ? AgentFault::kRowGone
                                                                  : AgentFault::kNoFddiMib,
                              0, 0});
    }
    NotePathIndex(station);
    const ParamSlot& gate = SlotOf(station, kOpVersionIdType);
    const uint32_t version = Value32(gate, 0);
    if (version != kRequiredOpVersion) {
        station.opVersionId = version;
        station.end = CycleEnd::kVersionRefused;
        return -1;
    }
    station.PortCount = ValueByte(SlotOf(station, kNonMasterCtType), 3);
    station.end = CycleEnd::kComplete;
    return 0;
}

}  // namespace

namespace {

void DescribeFailure(const StationSnapshot& station, int32_t instance, char* text, size_t size) {
    const AgentOutcome& outcome = station.agent;
    const netsnmp_session& settings = agent_exchange::Settings();
    const char* agent = settings.peername ? settings.peername : "the agent";
    switch (outcome.fault) {
        case AgentFault::kNoAnswer:
            std::snprintf(text, size,
                          "***Error***: No answer from %s within %.1f s and %d retries: the agent "
                          "is down or unreachable, or refused the community or user\n",
                          agent, static_cast<double>(settings.timeout) / 1e6, settings.retries);
            return;
        case AgentFault::kErrorStatus:
            std::snprintf(text, size, "***Error***: %s answered with SNMP error %s (variable %d)\n",
                          agent, snmp_errstring(outcome.code),
                          static_cast<int>(outcome.errorIndex));
            return;
        case AgentFault::kSecurity:
            std::snprintf(text, size,
                          "***Error***: SNMPv3 authentication or privacy failed with %s: %s\n",
                          agent, snmp_api_errstring(outcome.code));
            return;
        case AgentFault::kRowGone:
            std::snprintf(text, size,
                          "***Error***: %s has no station of SMT index %d (device instance %d)\n",
                          agent, static_cast<int>(instance) + 1, static_cast<int>(instance));
            return;
        case AgentFault::kNoFddiMib:
            std::snprintf(text, size, "***Error***: %s does not serve the FDDI SMT MIB (%s)\n",
                          agent, "1.3.6.1.2.1.10.15.73");
            return;
        case AgentFault::kLocal:
        case AgentFault::kNone:
            break;
    }
    std::snprintf(text, size, "***Error***: SNMP request to %s failed: %s\n", agent,
                  snmp_api_errstring(outcome.code));
}

const StationSource kAgentSource = {Agent.title, FetchFromAgent, DescribeFailure};

}  // namespace

int ParseAgentCommandLine(int argc, char** argv) {
    // No MIB files: every name the monitor asks for is numeric, and the library should not read
    // or complain about MIBs at start-up. An -m or -M on the command line still takes effect.
    setenv("MIBS", "", 0);
    netsnmp_session& settings = agent_exchange::Settings();
    const int arg = snmp_parse_args(argc, argv, &settings, nullptr, nullptr);
    switch (arg) {
        case NETSNMP_PARSE_ARGS_SUCCESS_EXIT:
            return 0;
        case NETSNMP_PARSE_ARGS_ERROR_USAGE:
        case NETSNMP_PARSE_ARGS_ERROR:
            std::fprintf(stderr, "usage: ringeye [SNMP options] AGENT (see ringeye --help)\n");
            return kUsageErrorStatus;
        default:
            break;
    }
    if (arg < argc) {
        std::fprintf(stderr, "ringeye: unrecognised argument '%s' after the agent\n", argv[arg]);
        std::fprintf(stderr, "usage: ringeye [SNMP options] AGENT (see ringeye --help)\n");
        return kUsageErrorStatus;
    }
    std::snprintf(Agent.title, sizeof Agent.title, "ringeye SMT 7.3 - %s",
                  settings.peername ? settings.peername : "");
    for (size_t number = 1; number < kScreenCount; ++number) {
        if (const ScreenEntry* screen = FindScreen(static_cast<int>(number))) {
            PlanScreen(*screen, Agent.screens[number]);
        }
    }
    return -1;
}

const StationSource* AgentStationSource() {
    return &kAgentSource;
}

uint64_t AgentPdusSent() {
    return agent_exchange::PdusSent();
}

void CloseAgentStation() {
    agent_exchange::CloseSession();
}
