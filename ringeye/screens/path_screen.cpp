// Screen 7: the station's first PATH object, its configuration values and the list of
// resources (MACs and PORTs) that make up the path.
#include <cstdio>

#include "ringeye/screens/screens.h"

namespace {

// The lowest of the four status bits that is set names the trace status.
const char* const TraceStatusTexts[] = {"initiated", "propogated", "terminated", "timeout"};
// Indexed by resource type; only 2 (a MAC) and 4 (a PORT) name a resource.
const char* const ResourceTypeTexts[] = {"None", "None", "MAC", "None", "PORT"};
const char* const ConfigPathTexts[] = {"isolated", "local",        "secondary",
                                       "primary",  "concatenated", "thru"};

constexpr TextTable kTraceStatuses = MakeTextTable(TraceStatusTexts, "none");
constexpr TextTable kResourceTypes = MakeTextTable(ResourceTypeTexts, "None");
// A path code without a text shows nothing: the path column stays blank.
constexpr TextTable kConfigPaths = MakeTextTable(ConfigPathTexts, "");

using R = Read;

constexpr const char* kTime = "%7.3f ms";
constexpr uint32_t kTraceStatusBits = 0x000F;
constexpr uint32_t kTraceInitiated = 1u << 0, kTracePropagated = 1u << 1,
                   kTraceTerminated = 1u << 2, kTraceTimedOut = 1u << 3;

// The four status bits, read as a number, for which a trace means trouble: one under way
// (initiated or propagated and not yet terminated) or one that timed out. A finished trace
// leaves its bits set until the next one; it is no trouble.
constexpr uint32_t TraceTroubleStates() {
    uint32_t states = 0;
    for (uint32_t bits = 0; bits <= kTraceStatusBits; ++bits) {
        const bool running =
            (bits & (kTraceInitiated | kTracePropagated)) != 0 && (bits & kTraceTerminated) == 0;
        if (running || (bits & kTraceTimedOut) != 0) states |= 1u << bits;
    }
    return states;
}

// The configuration list's five rows: no label, only a place.
constexpr int32_t kListRow = 9, kListColumn = 40, kListRows = 5;
static_assert(kListRows <= static_cast<int32_t>(kPathConfigurationMaxEntries),
              "the snapshot keeps every entry the list can show");

constexpr Row kPathRows[] = {
    Heading(6, 4, "Config Group"),
    At(7, 2, "Index               : ").Number(0x320B, R::k16At6, "%d"),
    At(8, 2, "RingLatency         : ").Time(0x320D, R::k32At4, kTime),
    // A trace is under way or timed out: a stuck beacon made the ring trace its path.
    At(9, 2, "TraceStatus         : ")
        .LowestBitText(0x320E, R::k16At6, kTraceStatuses, kTraceStatusBits)
        .OneOf(TraceTroubleStates()),
    At(10, 2, "SbaPayload          : ").Number(0x320F, R::k32At4, "0x%04X"),
    At(11, 2, "SbaOverhead         : ").Number(0x3210, R::k32At4, "0x%02X"),
    Heading(6, 46, "Configuration"),
    Heading(7, 40, "Type   Index   CurrentPath"),
    Heading(kListRow, kListColumn, ""),
    Heading(kListRow + 1, kListColumn, ""),
    Heading(kListRow + 2, kListColumn, ""),
    Heading(kListRow + 3, kListColumn, ""),
    Heading(kListRow + 4, kListColumn, ""),
    At(13, 2, "T_Rmode             : ").Number(0x3213, R::k32At4, "0x%08X"),
    At(14, 2, "SbaAvailable        : ").Number(0x3214, R::k32At4, "0x%08X"),
    At(15, 2, "TVXLowerBound       : ").Time(0x3215, R::k32At4, kTime),
    At(16, 2, "T_MaxLowerBound     : ").Time(0x3216, R::k32At4, kTime),
    At(17, 2, "MaxT_Req            : ").Time(0x3217, R::k32At4, kTime),
};
static_assert(ValidRows(kPathRows), "a value without its format or texts");

// Each list row's fields start at these offsets from its column.
constexpr int32_t kIndexColumn = 8, kPathColumn = 15;
// The mark of entries beyond the five rows goes on the last row, one blank after the longest
// path text ("concatenated"), at columns 68 to 77 whatever the texts before it. Its width holds
// the largest count a 16-bit length gives ("+8186 more").
constexpr int32_t kMoreColumn = kPathColumn + 13, kMoreWidth = 10;

// Blanks a list row up to the end of the widest path text; the mark's cells are left to
// PaintMoreMark. Every row is blanked before its entry is painted, so that no part of an earlier
// entry (a longer type, path or index) stays, and a row that a shorter list no longer uses is
// empty.
void BlankListRow(VtHandle pad, int32_t row) {
    PutTextInWidth(pad, "", kPathColumn + WidestText(kConfigPaths), kMoreColumn, row, kListColumn);
}

void PaintListEntry(VtHandle pad, int32_t row, const PathConfigEntry& entry) {
    PutAt(pad, TextOf(kResourceTypes, entry.resourceType), row, kListColumn);
    std::snprintf(TextBuffer, sizeof TextBuffer, "%2d", static_cast<int>(entry.resourceIndex));
    PutAt(pad, TextBuffer, row, kListColumn + kIndexColumn);
    PutAt(pad, TextOf(kConfigPaths, entry.currentPath), row, kListColumn + kPathColumn);
}

// Blanks where no entries are left out, so that a list that has become shorter wipes the mark.
void PaintMoreMark(VtHandle pad, int32_t leftOut) {
    char mark[24] = "";  // room for any int, though a 16-bit length gives at most 8186
    if (leftOut > 0) std::snprintf(mark, sizeof mark, "+%d more", static_cast<int>(leftOut));
    std::snprintf(TextBuffer, sizeof TextBuffer, "%-*s", static_cast<int>(kMoreWidth), mark);
    PutAt(pad, TextBuffer, kListRow + kListRows - 1, kListColumn + kMoreColumn);
}

// Up to five entries of the configuration record, in record order. The count comes from the
// record's length field; an entry that was not kept whole is not shown.
void PaintConfigurationList(PaintContext& context) {
    const PathConfigList list = PathConfigEntries(context.station);
    int32_t shown = 0;
    for (int32_t row = 0; row < kListRows; ++row) {
        BlankListRow(context.pad, kListRow + row);
        if (static_cast<uint32_t>(row) < list.declared && static_cast<uint32_t>(row) < list.whole) {
            PaintListEntry(context.pad, kListRow + row, list.entry[row]);
            ++shown;
        }
    }
    PaintMoreMark(context.pad, static_cast<int32_t>(list.declared) - shown);
}

}  // namespace

const ScreenEntry PathScreen = {7, "PATH Data", MakeRowTable(kPathRows), -1,
                                PaintConfigurationList};
