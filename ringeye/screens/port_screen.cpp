#include "ringeye/screens/screens.h"
#include "ringeye/smt_retrieval.h"

const LabelEntry PortLabels[] = {
    {0, 1, 1, ":Poll Rate "},
    {2, 2, 1, "ManufactureData: "},
    {3, 2, 1, "UserData       : "},
    {1, 2, 1, "StationID      : "},
    {0, 35, 2, "  PORT Data"},
    {0, 0, 0, nullptr},
};

int PaintPortScreen() {
    if (FetchCycle() != 0) return -1;
    StationHeader(PortLabels);
    return 0;
}
