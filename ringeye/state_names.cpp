#include "ringeye/layout.h"

namespace {

const char* const kEcmStates[] = {"OUT",       "IN",     "TRACE", "LEAVE",
                                  "PATH_TEST", "INSERT", "CHECK", "DEINSERT"};
const char* const kCfStates[] = {"ISOLATED", "LOCAL_A",  "LOCAL_B", "LOCAL_AB", "LOCAL_S",
                                 "WRAP_A",   "WRAP_B",   "WRAP_AB", "WRAP_S",   "C_WRAP_A",
                                 "C_WRAP_B", "C_WRAP_S", "THRU"};
const char* const kRmtStates[] = {"ISOLATED",   "NON_OP",      "RING_OP",  "DETECT",
                                  "NON_OP_DUP", "RING_OP_DUP", "DIRECTED", "TRACE"};
const char* const kPcmStates[] = {"OFF",    "BREAK", "TRACE",  "CONNECT", "NEXT",
                                  "SIGNAL", "JOIN",  "VERIFY", "ACTIVE",  "MAINT"};
const char* const kConnectStates[] = {"DISABLED", "CONNECTING", "STANDBY", "ACTIVE"};
const char* const kPortTypes[] = {"A", "B", "S", "M", "?"};

}  // namespace

const TextTable EcmStateNames = MakeTextTable(kEcmStates, kUnknownName);
const TextTable CfStateNames = MakeTextTable(kCfStates, kUnknownName);
const TextTable RmtStateNames = MakeTextTable(kRmtStates, kUnknownName);
const TextTable PcmStateNames = MakeTextTable(kPcmStates, kUnknownName);
const TextTable ConnectStateNames = MakeTextTable(kConnectStates, kUnknownName);
const TextTable PortTypeLetters = MakeTextTable(kPortTypes, kUnknownName);
// Both five characters wide, so either covers the other.
const char* const TrueFalseTexts[2] = {"True ", "False"};
