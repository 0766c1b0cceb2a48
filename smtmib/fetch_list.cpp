#include "smtmib/fetch_list.h"

// Each group's record bound is its slot count; a PORT group's answer may hold twice as many
// records as one port has slots.
const FetchRequest FetchList[] = {
    {0x100A, 0, 252}, {0x1014, 0, 468}, {0x1028, 0, 216}, {0x1032, 1, 144}, {0x200A, 1, 144},
    {0x2014, 1, 360}, {0x2028, 1, 108}, {0x2032, 1, 396}, {0x2046, 1, 360}, {0x205A, 1, 72},
    {0x2064, 1, 72},  {0x206E, 1, 288}, {0x320A, 1, 396}, {0x400A, 1, 864}, {0x401E, 1, 216},
    {0x4028, 1, 144}, {0x4032, 1, 360}, {0x403C, 1, 360}, {0x400A, 2, 864}, {0x401E, 2, 216},
    {0x4028, 2, 144}, {0x4032, 2, 360}, {0x403C, 2, 360}, {0, 0, 0},
};
