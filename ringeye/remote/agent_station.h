// A station watched through an SNMP agent that serves the FDDI SMT MIB: each refresh reads the
// objects the current screen shows, in as few requests as the agent takes, and turns the MIB's
// values back into the records the local driver would have delivered, so that the screens paint
// them with their own code. Linux only: net-snmp's library does all of SNMP.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ringeye/monitor_state.h"

// Reads net-snmp's command line, as snmpget does (options, then AGENT), and prepares the
// session; prints net-snmp's own complaint on stderr. Returns -1 when the monitor should run
// with AgentStationSource(), otherwise the status to exit with.
int ParseAgentCommandLine(int argc, char** argv);

// The source that reads the agent named on the command line.
const StationSource* AgentStationSource();

// What one refresh cost, for the benchmarks: PDUs sent since the program started.
uint64_t AgentPdusSent();

// Closes the session.
void CloseAgentStation();
