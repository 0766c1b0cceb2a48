// The Linux program: --help and --version are answered before the screen is touched. With no
// argument the monitor watches the local adapter; with net-snmp's options and an agent's address
// it watches the station that agent serves.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "common/command_line.h"
#include "ringeye/monitor_state.h"
#include "ringeye/remote/agent_station.h"
#include "ringeye/ringeye_main.h"

namespace {

const ProgramUsage kUsage = {
    "ringeye",
    "Shows the FDDI SMT 7.3 management information of the 4682 adapter's station on seven\n"
    "screens, refreshed once a second; or, given an SNMP agent that serves the FDDI SMT MIB\n"
    "(RFC 1512), the information of the station that agent manages.",
    "  1-7     show a screen            Space   the other page of the screen\n"
    "  8       choose the adapter (with an agent: SMT row 1 to 3 of the agent)\n"
    "  9       choose the refresh period\n"
    "  Esc, 0  quit\n",
    1,
    "[SNMP options] AGENT",
    "SNMP options, read as snmpget reads them (see snmpcmd(1)):\n"
    "  -v 1|2c|3  protocol version        -c COMMUNITY  community (v1, v2c)\n"
    "  -u USER    security name (v3)      -l noAuthNoPriv|authNoPriv|authPriv\n"
    "  -a MD5|SHA|SHA-256|...  -A PASSPHRASE   authentication protocol and passphrase\n"
    "  -x DES|AES|...          -X PASSPHRASE   privacy protocol and passphrase\n"
    "  -t SECONDS timeout of a request    -r N          retries of a request\n"
    "AGENT is HOST[:PORT], or any net-snmp address such as udp6:[::1]:161. Values the\n"
    "MIB has no object for stay blank.\n\n",
};

bool IsHelpOrVersion(const char* argument) {
    for (const char* known : {"-h", "--help", "-V", "--version"}) {
        if (std::strcmp(argument, known) == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc <= 2 && (argc == 1 || IsHelpOrVersion(argv[1]))) {
        const int status = HandleCommandLine(kUsage, argc, argv, stdout, stderr);
        if (status >= 0) return status;
        return RingeyeMain(nullptr, nullptr, nullptr, 0);
    }
    const int status = ParseAgentCommandLine(argc, argv);
    if (status >= 0) return status;
    RemoteSource = AgentStationSource();
    const int exitStatus = RingeyeMain(nullptr, nullptr, nullptr, 0);
    CloseAgentStation();
    return exitStatus;
}
