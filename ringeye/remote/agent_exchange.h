// The SNMP side of the station read through an agent: the one net-snmp session, each request
// sent on it and waited for with an eye on the keyboard, and the answered variables decoded back
// into the station's snapshot. One request is under way at a time and its answer arrives through
// net-snmp's callback, so what the exchange holds belongs to the process.
#pragma once

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <cstddef>
#include <cstdint>

#include "ringeye/monitor_state.h"
#include "ringeye/remote/screen_objects.h"

namespace agent_exchange {

enum class Sent { kAnswered, kFailed, kAbandoned };

// The session as the command line describes it: net-snmp's own parser fills it in, and every
// opening of the session starts from it.
netsnmp_session& Settings();

// Opens the session when none is open; false with `outcome` saying why.
bool OpenSession(AgentOutcome* outcome);
void CloseSession();

uint64_t PdusSent();

// What the last request came to; the caller's retry decisions read its error status.
const AgentOutcome& Outcome();

// The agent's answers only tell that it serves the MIB when the scalar is among them, so each
// refresh starts from not knowing.
void StartRefresh();
bool SmtNumberAnswered();

// One GET of `count` instances of SMT row `smtIndex`; their values go into `station`.
Sent Get(const Wanted* const* wanted, size_t count, uint32_t smtIndex, StationSnapshot& station,
         ContinueCheck continueCycle);

// The PATH configuration list of SMT row `smtIndex`, read from its first entry on: one GETBULK
// (`bulk`) takes the whole list, one GETNEXT (SNMPv1) the entry after the last one answered,
// until the answers leave the list.
void StartPathList(uint32_t smtIndex);
Sent GetPathEntries(bool bulk, StationSnapshot& station, ContinueCheck continueCycle);
bool PathListGoesOn();

}  // namespace agent_exchange
