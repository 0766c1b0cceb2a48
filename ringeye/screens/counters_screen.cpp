#include "ringeye/screens/screens.h"
#include "ringeye/smt_retrieval.h"

const LabelEntry CountersLabels[] = {
    {0, 1, 1, ":Poll Rate "},
    {2, 2, 1, "ManufactureData: "},
    {3, 2, 1, "UserData       : "},
    {1, 2, 1, "StationID      : "},
    {0, 35, 2, "MAC Counters & Status Data"},
    {0, 0, 0, nullptr},
};

int PaintCountersScreen() {
    if (FetchCycle() != 0) return -1;
    StationHeader(CountersLabels);
    return 0;
}
