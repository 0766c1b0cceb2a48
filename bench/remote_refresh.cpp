// Times ringeye's refresh of each screen over SNMP, the way the loop runs it between two waits:
// the requests to the agent, the painting and the showing (on the headless display), and
// counts the PDUs each refresh sends. Prints tab-separated rows: figure, value, goal.
//
//   remote_refresh REFRESHES [SNMP options] AGENT
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/vtwin/headless_display.h"
#include "platform/vtwin/vtwin.h"
#include "ringeye/monitor_state.h"
#include "ringeye/remote/agent_station.h"
#include "ringeye/ringeye_main.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: remote_refresh REFRESHES [SNMP options] AGENT\n");
        return 2;
    }
    const int refreshes = std::atoi(argv[1]);
    argv[1] = argv[0];
    const int status = ParseAgentCommandLine(argc - 1, argv + 1);
    if (status >= 0) return status;
    RemoteSource = AgentStationSource();
    vtwin::HeadlessDisplay display;
    vtwin::SetDisplay(&display);
    RingeyeStartUp(nullptr, nullptr, 0);
    for (int screen = 1; screen <= 7; ++screen) {
        EnterScreen(screen);
        std::vector<double> ms;
        const uint64_t before = AgentPdusSent();
        for (int n = 0; n < refreshes; ++n) {
            const auto start = std::chrono::steady_clock::now();
            RefreshScreen();
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        std::sort(ms.begin(), ms.end());
        if (display.Row(0).find("***Error") != std::string::npos ||
            display.Row(1).find("StationID") == std::string::npos) {
            std::printf("ringeye over SNMP, screen %d\tfailed: %s\t-\n", screen,
                        display.Row(0).c_str());
            continue;
        }
        const double pdus = static_cast<double>(AgentPdusSent() - before) / refreshes;
        std::printf("ringeye over SNMP, screen %d: PDUs per refresh\t%.1f\t<= 3\n", screen, pdus);
        std::printf(
            "ringeye over SNMP, screen %d: one refresh over loopback, median (ms)\t%.2f\t%s\n",
            screen, ms[ms.size() / 2], screen == 1 ? "< 10" : "-");
    }
    vtEnd();
    vtwin::SetDisplay(nullptr);
    CloseAgentStation();
    return 0;
}
