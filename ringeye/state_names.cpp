#include "ringeye/layout.h"

const char* const EcmStateNames[8] = {"OUT",       "IN",     "TRACE", "LEAVE",
                                      "PATH_TEST", "INSERT", "CHECK", "DEINSERT"};
const char* const CfStateNames[13] = {"ISOLATED", "LOCAL_A",  "LOCAL_B", "LOCAL_AB", "LOCAL_S",
                                      "WRAP_A",   "WRAP_B",   "WRAP_AB", "WRAP_S",   "C_WRAP_A",
                                      "C_WRAP_B", "C_WRAP_S", "THRU"};
const char* const RmtStateNames[8] = {"ISOLATED",   "NON_OP",      "RING_OP",  "DETECT",
                                      "NON_OP_DUP", "RING_OP_DUP", "DIRECTED", "TRACE"};
const char* const PcmStateNames[10] = {"OFF",    "BREAK", "TRACE",  "CONNECT", "NEXT",
                                       "SIGNAL", "JOIN",  "VERIFY", "ACTIVE",  "MAINT"};
const char* const ConnectStateNames[4] = {"DISABLED", "CONNECTING", "STANDBY", "ACTIVE"};
const char* const PortTypeLetters[5] = {"A", "B", "S", "M", "?"};
// Both five characters wide, so either covers the other.
const char* const TrueFalseTexts[2] = {"True ", "False"};
