#include "ringagent/station_events.h"

#include <cstdio>
#include <cstring>

namespace {

// Where a datum sits in a record's value: SMT attributes start with it, MAC and PORT ones
// after two pad bytes and the resource index. 8-bit data are the last byte of their field.
constexpr size_t kSmtByte = 3;
constexpr size_t kObjectAt = 4;
constexpr size_t kObjectByte = 7;
constexpr size_t kAddressAt = 6;  // a long address: after the index and two pad bytes
constexpr size_t kAddressBytes = 6;
constexpr size_t kMacPathAt = 6;  // the MAC's current path: 16 bits after the index

// The names the screens and the MIB give each code; a code past a table reads as a number.
const char* const kEcmStates[] = {"Out",       "In",     "Trace", "Leave",
                                  "Path_Test", "Insert", "Check", "Deinsert"};
const char* const kCfStates[] = {"Isolated", "Local_A",  "Local_B", "Local_AB", "Local_S",
                                 "Wrap_A",   "Wrap_B",   "Wrap_AB", "Wrap_S",   "C_Wrap_A",
                                 "C_Wrap_B", "C_Wrap_S", "Thru"};
const char* const kRmtStates[] = {"Isolated",   "Non_Op",      "Ring_Op",  "Detect",
                                  "Non_Op_Dup", "Ring_Op_Dup", "Directed", "Trace"};
const char* const kPcmStates[] = {"Off",    "Break", "Trace",  "Connect", "Next",
                                  "Signal", "Join",  "Verify", "Active",  "Maint"};
const char* const kConnectStates[] = {"Disabled", "Connecting", "Standby", "Active"};
const char* const kPaths[] = {"Isolated", "Local", "Secondary", "Primary", "Concatenated", "Thru"};
const char* const kHoldStates[] = {"Not_Holding", "None", "Holding_Prm", "Holding_Sec"};
const char* const kWithholds[] = {"None", "M-M", "Other_Incompatible", "Path_Not_Available"};

template <size_t N>
void NameOf(const char* const (&names)[N], uint32_t code, char* out, size_t size) {
    if (code < N) {
        std::snprintf(out, size, "%s", names[code]);
    } else {
        std::snprintf(out, size, "%u", static_cast<unsigned>(code));
    }
}

uint32_t SmtByte(const StationSnapshot& s, uint16_t type) {
    return ValueByte(SlotOf(s, type), kSmtByte);
}
uint32_t ObjectByte(const StationSnapshot& s, uint16_t type, int port = 0) {
    return ValueByte(SlotOf(s, type, port), kObjectByte);
}
uint32_t Object32(const StationSnapshot& s, uint16_t type, int port = 0) {
    return Value32(SlotOf(s, type, port), kObjectAt);
}

int PortsOf(const StationSnapshot& s) {
    return s.PortCount < kMaxPorts ? static_cast<int>(s.PortCount) : static_cast<int>(kMaxPorts);
}

// A single-attachment station's one port is S; a dual one has A and B.
void PortObject(const StationSnapshot& s, int port, char* out, size_t size) {
    const char letter = PortsOf(s) == 1 ? 'S' : static_cast<char>('A' + port);
    std::snprintf(out, size, "PORT %c", letter);
}

enum class Scope : uint8_t { kSmt, kMac, kPort };

void ObjectName(Scope scope, const StationSnapshot& s, int port, char* out, size_t size) {
    switch (scope) {
        case Scope::kSmt:
            std::snprintf(out, size, "SMT");
            return;
        case Scope::kMac:
            std::snprintf(out, size, "MAC 1");
            return;
        case Scope::kPort:
            PortObject(s, port, out, size);
            return;
    }
}

// ---- Conditions -------------------------------------------------------------------------

constexpr uint16_t kPeerWrapFlag = 0x102E, kHoldState = 0x102B, kDaFlag = 0x2070,
                   kUnaDaFlag = 0x2071, kFrameErrorFlag = 0x2072, kNotCopiedFlag = 0x2073,
                   kLerFlag = 0x4040, kLerEstimate = 0x4033, kLerAlarm = 0x403B,
                   kLerCutoff = 0x403A, kEbErrorCt = 0x4029, kFrameErrorRatio = 0x2060,
                   kFrameErrorThreshold = 0x205F, kNotCopiedRatio = 0x2069,
                   kNotCopiedThreshold = 0x2067;
constexpr uint32_t kHoldingFirst = 2;  // HoldState 2 and 3: holding on a path

struct ConditionRule {
    const char* name;
    const char* report;
    Scope scope;
    Severity severity;
    bool (*holds)(const StationSnapshot* previous, const StationSnapshot& s, int port);
    // The values an asserted condition shows: its state as new value, and more in detail.
    void (*describe)(const StationSnapshot& s, int port, JournalEntry& e);
};

void NoDetail(const StationSnapshot&, int, JournalEntry&) {}

const ConditionRule kConditions[kConditionCount] = {
    {"PeerWrap", "SMT Peer Wrap", Scope::kSmt, Severity::kWarning,
     [](const StationSnapshot*, const StationSnapshot& s, int) {
         return SmtByte(s, kPeerWrapFlag) != 0;
     },
     NoDetail},
    {"Hold", "SMT Hold", Scope::kSmt, Severity::kWarning,
     [](const StationSnapshot*, const StationSnapshot& s, int) {
         return SmtByte(s, kHoldState) >= kHoldingFirst;
     },
     [](const StationSnapshot& s, int, JournalEntry& e) {
         NameOf(kHoldStates, SmtByte(s, kHoldState), e.newValue, sizeof e.newValue);
     }},
    {"DuplicateAddress", "MAC Duplicate Address", Scope::kMac, Severity::kWarning,
     [](const StationSnapshot*, const StationSnapshot& s, int) {
         return ObjectByte(s, kDaFlag) != 0 || ObjectByte(s, kUnaDaFlag) != 0;
     },
     [](const StationSnapshot& s, int, JournalEntry& e) {
         std::snprintf(e.detail, sizeof e.detail, "DA_Flag %s, UNDA_Flag %s",
                       ObjectByte(s, kDaFlag) ? "True" : "False",
                       ObjectByte(s, kUnaDaFlag) ? "True" : "False");
     }},
    {"FrameError", "MAC Frame Error", Scope::kMac, Severity::kWarning,
     [](const StationSnapshot*, const StationSnapshot& s, int) {
         return ObjectByte(s, kFrameErrorFlag) != 0;
     },
     [](const StationSnapshot& s, int, JournalEntry& e) {
         std::snprintf(e.detail, sizeof e.detail, "FrameErrorRatio %u, threshold %u",
                       static_cast<unsigned>(Object32(s, kFrameErrorRatio) & 0xFFFF),
                       static_cast<unsigned>(Object32(s, kFrameErrorThreshold) & 0xFFFF));
     }},
    {"NotCopied", "MAC Not Copied", Scope::kMac, Severity::kNotice,
     [](const StationSnapshot*, const StationSnapshot& s, int) {
         return ObjectByte(s, kNotCopiedFlag) != 0;
     },
     [](const StationSnapshot& s, int, JournalEntry& e) {
         std::snprintf(e.detail, sizeof e.detail, "NotCopiedRatio %u, threshold %u",
                       static_cast<unsigned>(Object32(s, kNotCopiedRatio) & 0xFFFF),
                       static_cast<unsigned>(Object32(s, kNotCopiedThreshold) & 0xFFFF));
     }},
    {"Ler", "PORT LER", Scope::kPort, Severity::kWarning,
     [](const StationSnapshot*, const StationSnapshot& s, int port) {
         return ObjectByte(s, kLerFlag, port) != 0;
     },
     [](const StationSnapshot& s, int port, JournalEntry& e) {
         std::snprintf(e.newValue, sizeof e.newValue, "%u",
                       static_cast<unsigned>(ObjectByte(s, kLerEstimate, port)));
         std::snprintf(e.detail, sizeof e.detail, "Ler_Estimate %u, Ler_Alarm %u, Ler_Cutoff %u",
                       static_cast<unsigned>(ObjectByte(s, kLerEstimate, port)),
                       static_cast<unsigned>(ObjectByte(s, kLerAlarm, port)),
                       static_cast<unsigned>(ObjectByte(s, kLerCutoff, port)));
     }},
    // The elasticity buffer's errors are only counted: the condition holds while the count
    // rises from one fetch to the next.
    {"EbError", "PORT EB Error", Scope::kPort, Severity::kWarning,
     [](const StationSnapshot* previous, const StationSnapshot& s, int port) {
         return previous && Object32(s, kEbErrorCt, port) > Object32(*previous, kEbErrorCt, port);
     },
     [](const StationSnapshot& s, int port, JournalEntry& e) {
         std::snprintf(e.newValue, sizeof e.newValue, "%u",
                       static_cast<unsigned>(Object32(s, kEbErrorCt, port)));
         std::snprintf(e.detail, sizeof e.detail, "EB_Error_Ct %u",
                       static_cast<unsigned>(Object32(s, kEbErrorCt, port)));
     }},
};

int ScopePorts(Scope scope, const StationSnapshot& s) {
    return scope == Scope::kPort ? PortsOf(s) : 1;
}

// ---- Events and state changes ------------------------------------------------------------

struct StateRule {
    const char* name;
    const char* report;
    EntryKind kind;
    Severity severity;
    Scope scope;
    uint16_t type;
    uint32_t (*read)(const StationSnapshot& s, uint16_t type, int port);
    void (*nameOf)(uint32_t code, char* out, size_t size);
};

uint32_t ReadSmtByte(const StationSnapshot& s, uint16_t type, int) {
    return SmtByte(s, type);
}
uint32_t ReadObjectByte(const StationSnapshot& s, uint16_t type, int port) {
    return ObjectByte(s, type, port);
}
uint32_t ReadMacPath(const StationSnapshot& s, uint16_t type, int) {
    return Value16(SlotOf(s, type), kMacPathAt);
}

const StateRule kStates[] = {
    {"EcmState", "ECM state", EntryKind::kState, Severity::kInfo, Scope::kSmt, 0x1029, ReadSmtByte,
     [](uint32_t c, char* o, size_t n) { NameOf(kEcmStates, c, o, n); }},
    {"CfState", "CF state", EntryKind::kState, Severity::kInfo, Scope::kSmt, 0x102A, ReadSmtByte,
     [](uint32_t c, char* o, size_t n) { NameOf(kCfStates, c, o, n); }},
    {"RmtState", "RMT state", EntryKind::kState, Severity::kInfo, Scope::kMac, 0x206F,
     ReadObjectByte, [](uint32_t c, char* o, size_t n) { NameOf(kRmtStates, c, o, n); }},
    {"MacPathChange", "MAC Path Change", EntryKind::kEvent, Severity::kNotice, Scope::kMac, 0x2017,
     ReadMacPath, [](uint32_t c, char* o, size_t n) { NameOf(kPaths, c, o, n); }},
    {"PortPathChange", "PORT Path Change", EntryKind::kEvent, Severity::kNotice, Scope::kPort,
     0x4010, ReadObjectByte, [](uint32_t c, char* o, size_t n) { NameOf(kPaths, c, o, n); }},
    {"ConnectState", "connect state", EntryKind::kState, Severity::kInfo, Scope::kPort, 0x403D,
     ReadObjectByte, [](uint32_t c, char* o, size_t n) { NameOf(kConnectStates, c, o, n); }},
    {"PcmState", "PCM state", EntryKind::kState, Severity::kInfo, Scope::kPort, 0x403E,
     ReadObjectByte, [](uint32_t c, char* o, size_t n) { NameOf(kPcmStates, c, o, n); }},
};

constexpr uint16_t kUpstreamNbr = 0x2018, kDownstreamNbr = 0x2019, kRingOpCt = 0x2056,
                   kPcWithhold = 0x403F;

void FormatAddress(const StationSnapshot& s, uint16_t type, char* out, size_t size) {
    const ParamSlot& slot = SlotOf(s, type);
    uint32_t b[kAddressBytes];
    for (size_t i = 0; i < kAddressBytes; ++i)
        b[i] = ValueByte(slot, kAddressAt + i);
    std::snprintf(out, size, "%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
}

bool SameAddress(const StationSnapshot& a, const StationSnapshot& b, uint16_t type) {
    for (size_t i = 0; i < kAddressBytes; ++i) {
        if (ValueByte(SlotOf(a, type), kAddressAt + i) !=
            ValueByte(SlotOf(b, type), kAddressAt + i))
            return false;
    }
    return true;
}

JournalEntry* Start(EntryList& out, const char* name, const char* report, EntryKind kind,
                    Severity severity, Scope scope, const StationSnapshot& s, int port) {
    JournalEntry* e = out.Add();
    if (!e) return nullptr;
    e->name = name;
    e->report = report;
    e->kind = kind;
    e->severity = severity;
    ObjectName(scope, s, port, e->object, sizeof e->object);
    return e;
}

void CompareNeighbours(const StationSnapshot& previous, const StationSnapshot& current,
                       EntryList& out) {
    const struct {
        uint16_t type;
        const char* which;
    } neighbours[] = {{kUpstreamNbr, "upstream"}, {kDownstreamNbr, "downstream"}};
    for (const auto& n : neighbours) {
        if (SameAddress(previous, current, n.type)) continue;
        JournalEntry* e = Start(out, "NeighborChange", "MAC Neighbor Change", EntryKind::kEvent,
                                Severity::kNotice, Scope::kMac, current, 0);
        if (!e) return;
        FormatAddress(previous, n.type, e->oldValue, sizeof e->oldValue);
        FormatAddress(current, n.type, e->newValue, sizeof e->newValue);
        std::snprintf(e->detail, sizeof e->detail, "%s neighbour", n.which);
    }
}

void CompareRingOps(const StationSnapshot& previous, const StationSnapshot& current,
                    EntryList& out) {
    const uint32_t before = Object32(previous, kRingOpCt), after = Object32(current, kRingOpCt);
    if (after <= before) return;  // unchanged, or a restarted counter: the new base
    JournalEntry* e = Start(out, "RingInit", "ring re-initialised", EntryKind::kEvent,
                            Severity::kNotice, Scope::kMac, current, 0);
    if (!e) return;
    std::snprintf(e->oldValue, sizeof e->oldValue, "%u", static_cast<unsigned>(before));
    std::snprintf(e->newValue, sizeof e->newValue, "%u", static_cast<unsigned>(after));
    std::snprintf(e->detail, sizeof e->detail, "RingOp_Ct rose by %u",
                  static_cast<unsigned>(after - before));
}

void CompareWithholds(const StationSnapshot& previous, const StationSnapshot& current,
                      EntryList& out) {
    for (int port = 0; port < PortsOf(current); ++port) {
        const uint32_t before = ObjectByte(previous, kPcWithhold, port);
        const uint32_t after = ObjectByte(current, kPcWithhold, port);
        if (before != 0 || after == 0) continue;
        JournalEntry* e = Start(out, "UndesiredConnection", "PORT Undesired Connection",
                                EntryKind::kEvent, Severity::kWarning, Scope::kPort, current, port);
        if (!e) return;
        NameOf(kWithholds, before, e->oldValue, sizeof e->oldValue);
        NameOf(kWithholds, after, e->newValue, sizeof e->newValue);
        std::snprintf(e->detail, sizeof e->detail, "withheld: %s", e->newValue);
    }
}

}  // namespace

JournalEntry* EntryList::Add() {
    if (count >= kMaxEntriesPerFetch) {
        ++dropped;
        return nullptr;
    }
    entries[count] = JournalEntry{};
    return &entries[count++];
}

ConditionSet ConditionsOf(const StationSnapshot* previous, const StationSnapshot& current) {
    ConditionSet set;
    for (size_t c = 0; c < kConditionCount; ++c) {
        const ConditionRule& rule = kConditions[c];
        for (int port = 0; port < ScopePorts(rule.scope, current); ++port)
            set.on[c][port] = rule.holds(previous, current, port);
    }
    return set;
}

void CompareConditions(const ConditionSet& before, const ConditionSet& after,
                       const StationSnapshot& current, const ConditionTimes& times, uint64_t nowMs,
                       EntryList& out) {
    for (size_t c = 0; c < kConditionCount; ++c) {
        const ConditionRule& rule = kConditions[c];
        for (size_t port = 0; port < kMaxPorts; ++port) {
            if (before.on[c][port] == after.on[c][port]) continue;
            JournalEntry* e = Start(out, rule.name, rule.report, EntryKind::kCondition,
                                    rule.severity, rule.scope, current, static_cast<int>(port));
            if (!e) return;
            if (after.on[c][port]) {
                e->assertion = Assertion::kAsserted;
                rule.describe(current, static_cast<int>(port), *e);
            } else {
                e->assertion = Assertion::kDeasserted;
                e->severity = Severity::kNotice;
                const uint64_t since = times.since[c][port];
                e->durationMs = nowMs >= since ? nowMs - since : 0;
                e->hasDuration = true;
            }
        }
    }
}

void CompareSnapshots(const StationSnapshot& previous, const StationSnapshot& current,
                      EntryList& out) {
    const int ports = PortsOf(previous) < PortsOf(current) ? PortsOf(previous) : PortsOf(current);
    for (const StateRule& rule : kStates) {
        const int count = rule.scope == Scope::kPort ? ports : 1;
        for (int port = 0; port < count; ++port) {
            const uint32_t before = rule.read(previous, rule.type, port);
            const uint32_t after = rule.read(current, rule.type, port);
            if (before == after) continue;
            JournalEntry* e = Start(out, rule.name, rule.report, rule.kind, rule.severity,
                                    rule.scope, current, port);
            if (!e) return;
            rule.nameOf(before, e->oldValue, sizeof e->oldValue);
            rule.nameOf(after, e->newValue, sizeof e->newValue);
        }
    }
    CompareNeighbours(previous, current, out);
    CompareWithholds(previous, current, out);
    CompareRingOps(previous, current, out);
}

void FormatStationId(const StationSnapshot& station, char* out, size_t size) {
    const ParamSlot& slot = SlotOf(station, 0x100B);
    uint32_t b[8];
    for (size_t i = 0; i < 8; ++i)
        b[i] = ValueByte(slot, i);
    std::snprintf(out, size, "%02X-%02X-%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3],
                  b[4], b[5], b[6], b[7]);
}
