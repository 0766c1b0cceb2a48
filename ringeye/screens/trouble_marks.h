// Trouble at a glance: after a screen has painted its values, the values that differ from what a
// healthy ring shows are given the trouble style, so they stand out in red (or reverse video)
// while every text stays as painted. Each screen keeps a trouble table beside its value table:
// one rule per value that can mean trouble, with the reason beside it. The station header's
// states are checked on every screen.
//
// A mark covers exactly the value's visible characters (blanks around them excluded). Before it
// is set, the whole field the value can occupy is cleared, so neither a value that recovered
// nor the tail of a longer text painted earlier keeps a mark. Erasing the pad (a screen change,
// a failure report) clears every mark with it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ringeye/layout.h"
#include "ringeye/screens/value_fields.h"

enum class TroubleTest : uint8_t {
    kUnless,     // trouble unless the number is `operand`, the healthy value
    kOneOf,      // trouble when the number n has bit n set in `operand`
    kSet,        // a flag that shows "True "
    kClear,      // a flag that shows "False"
    kRose,       // a count that rose since the previous refresh of the same screen
    kAtOrBelow,  // at or below the number of parameter `other` of the same object, read alike
};

// Where a value stands when it does not follow its label directly: at `*row`, `*column`,
// computed from the label and the port.
using TroublePlace = void (*)(const LabelEntry& label, int port, int32_t* row, int32_t* column);

// The port of a PORT parameter: the port the screen shows, or a fixed one.
constexpr int kShownPort = -1;

struct TroubleRule {
    ValueField value;  // the value as its screen paints it: label, parameter, bytes, format
    TroubleTest test;
    uint32_t operand = 0;   // kUnless, kOneOf
    uint16_t other = 0;     // kAtOrBelow
    int port = kShownPort;  // port 1 named here holds only while the station has two ports
    // A PORT flag that must be set for the rule to hold (the port's hardware is present).
    uint16_t presentFlag = 0;
    TroublePlace place = nullptr;  // nullptr: at the label's value column
};

// The rules of one screen.
struct TroubleTable {
    const TroubleRule* rules;
    size_t count;
};

template <size_t N>
constexpr TroubleTable MakeTroubleTable(const TroubleRule (&rules)[N]) {
    return {rules, N};
}

// Most counts one screen watches for a rise.
constexpr size_t kMaxTroubleRules = 48;

// Marks the station header's states and every rule of `table` on TargetWindow, after the
// screen painted `labels`' values; `port` is the port the screen shows. Call it once per
// successful refresh, after the last value is painted.
void MarkTrouble(const TroubleTable& table, const LabelEntry* labels, int port = 0);

// Forgets what the counts read, as at process start, so a first refresh marks no rise.
void ForgetTroubleHistory();

// True when every rule names a label before the table's end and carries what its way of
// showing needs, as ValidFieldTable checks a value table.
template <size_t R, size_t L>
constexpr bool ValidTroubleTable(const TroubleRule (&rules)[R], const LabelEntry (&labels)[L]) {
    if (R > kMaxTroubleRules) return false;
    for (const TroubleRule& rule : rules) {
        if (!ValidField(rule.value, labels)) return false;
        if (rule.test == TroubleTest::kAtOrBelow && rule.other == 0) return false;
    }
    return true;
}
