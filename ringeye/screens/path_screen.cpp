// Screen 7: the station's first PATH object, its configuration values and the list of
// resources (MACs and PORTs) that make up the path.
#include <cstdio>

#include "ringeye/screens/screens.h"
#include "ringeye/screens/trouble_marks.h"
#include "ringeye/screens/value_fields.h"
#include "smtmib/smt_retrieval.h"

constexpr LabelEntry PathLabels[] = {
    {0, 1, 1, ":Poll Rate "},
    {2, 2, 1, "ManufactureData: "},
    {3, 2, 1, "UserData       : "},
    {1, 2, 1, "StationID      : "},
    {6, 4, 1, "Config Group"},
    {7, 2, 2, "Index               : "},
    {8, 2, 2, "RingLatency         : "},
    {9, 2, 2, "TraceStatus         : "},
    {10, 2, 2, "SbaPayload          : "},
    {11, 2, 2, "SbaOverhead         : "},
    {6, 46, 1, "Configuration"},
    {7, 40, 1, "Type   Index   CurrentPath"},
    // The five rows of the configuration list: no text, only a place.
    {9, 40, 2, ""},
    {10, 40, 2, ""},
    {11, 40, 2, ""},
    {12, 40, 2, ""},
    {13, 40, 2, ""},
    {13, 2, 2, "T_Rmode             : "},
    {14, 2, 2, "SbaAvailable        : "},
    {15, 2, 2, "TVXLowerBound       : "},
    {16, 2, 2, "T_MaxLowerBound     : "},
    {17, 2, 2, "MaxT_Req            : "},
    {0, 35, 2, "PATH Data"},
    {0, 0, 0, nullptr},
};

namespace {

// The lowest of the four status bits that is set names the trace status.
const char* const TraceStatusTexts[] = {"initiated", "propogated", "terminated", "timeout"};
// Indexed by resource type; only 2 (a MAC) and 4 (a PORT) name a resource.
const char* const ResourceTypeTexts[] = {"None", "None", "MAC", "None", "PORT"};
const char* const ConfigPathTexts[] = {"isolated", "local",        "secondary",
                                       "primary",  "concatenated", "thru"};

const TextTable kTraceStatuses = MakeTextTable(TraceStatusTexts, "none");
const TextTable kResourceTypes = MakeTextTable(ResourceTypeTexts, "None");
// A path code without a text shows nothing: the path column stays blank.
const TextTable kConfigPaths = MakeTextTable(ConfigPathTexts, "");

constexpr const char* kTime = "%7.3f ms";
constexpr uint32_t kTraceStatusBits = 0x000F;

// The left column above the configuration list, in painting order.
constexpr ValueField kUpperFields[] = {
    {5, 0x320B, ValueRead::k16At6, ValueShow::kNumber, "%d"},  // Index
    {6, 0x320D, ValueRead::k32At4, ValueShow::kTime, kTime},   // RingLatency
    {7, 0x320E, ValueRead::k16At6, ValueShow::kLowestBitText, nullptr, kTraceStatusBits,
     &kTraceStatuses},                                             // TraceStatus
    {8, 0x320F, ValueRead::k32At4, ValueShow::kNumber, "0x%04X"},  // SbaPayload
    {9, 0x3210, ValueRead::k32At4, ValueShow::kNumber, "0x%02X"},  // SbaOverhead
};
static_assert(ValidFieldTable(kUpperFields, PathLabels),
              "a value without its label, format or texts");

// The left column beside and below the list, painted after it.
constexpr ValueField kLowerFields[] = {
    {17, 0x3213, ValueRead::k32At4, ValueShow::kNumber, "0x%08X"},  // T_Rmode
    {18, 0x3214, ValueRead::k32At4, ValueShow::kNumber, "0x%08X"},  // SbaAvailable
    {19, 0x3215, ValueRead::k32At4, ValueShow::kTime, kTime},       // TVXLowerBound
    {20, 0x3216, ValueRead::k32At4, ValueShow::kTime, kTime},       // T_MaxLowerBound
    {21, 0x3217, ValueRead::k32At4, ValueShow::kTime, kTime},       // MaxT_Req
};
static_assert(ValidFieldTable(kLowerFields, PathLabels),
              "a value without its label, format or texts");

constexpr TroubleRule kPathTrouble[] = {
    // A trace is under way or ended: a stuck beacon made the ring trace its path.
    {{7, 0x320E, ValueRead::k16At6, ValueShow::kLowestBitText, nullptr, kTraceStatusBits,
      &kTraceStatuses},
     TroubleTest::kUnless,
     0},
};
static_assert(ValidTroubleTable(kPathTrouble, PathLabels), "a rule without its value");

// The configuration record: the pad-and-index field, then 8-byte entries of resource type (32
// bits), resource index (16) and current path code (16), all big-endian.
constexpr int32_t kListStart = 4, kEntryBytes = 8;
constexpr int32_t kIndexAt = 4, kPathAt = 6;
// The list's rows are labels 12 to 16; each row's fields start at these offsets from its column.
constexpr int32_t kFirstListEntry = 12, kListRows = 5;
constexpr int32_t kIndexColumn = 8, kPathColumn = 15;
static_assert(kListRows <= static_cast<int32_t>(kPathConfigurationMaxEntries),
              "the store keeps every entry the list can show");
// The mark of entries beyond the five rows goes on the last row, one blank after the longest
// path text ("concatenated"), at columns 68 to 77 whatever the texts before it. Its width holds
// the largest count a 16-bit length gives ("+8186 more").
constexpr int32_t kMoreColumn = kPathColumn + 13, kMoreWidth = 10;

// The kept configuration bytes; bytes that were not kept read as zero.
int32_t KeptBytes() {
    const int32_t stored = PathConfiguration.storedBytes;
    const int32_t capacity = static_cast<int32_t>(sizeof PathConfiguration.value);
    return stored < capacity ? stored : capacity;
}

uint32_t KeptBigEndian(int32_t at, int32_t width) {
    uint32_t number = 0;
    for (int32_t n = at; n < at + width; ++n) {
        number = number << 8 | (n < KeptBytes() ? PathConfiguration.value[n] : 0u);
    }
    return number;
}

// Blanks a list row up to the end of the widest path text; the mark's cells are left to
// PaintMoreMark. Every row is blanked before its entry is painted, so that no part of an earlier
// entry (a longer type, path or index) stays, and a row that a shorter list no longer uses is
// empty.
void BlankListRow(const LabelEntry& row) {
    const int32_t pathWidth =
        WidestText(kConfigPaths.texts, kConfigPaths.count, kConfigPaths.fallback);
    PutTextInWidth("", kPathColumn + pathWidth, kMoreColumn, row.row, ValueColumn(row));
}

void PaintListEntry(const LabelEntry& row, int32_t at) {
    const int32_t column = ValueColumn(row);
    PutAt(TextFor(kResourceTypes, KeptBigEndian(at, 4)), row.row, column, 0);
    std::snprintf(TextBuffer, sizeof TextBuffer, "%2d",
                  static_cast<int>(KeptBigEndian(at + kIndexAt, 2)));
    PutAt(TextBuffer, row.row, column + kIndexColumn, 0);
    PutAt(TextFor(kConfigPaths, KeptBigEndian(at + kPathAt, 2)), row.row, column + kPathColumn, 0);
}

// Blanks where no entries are left out, so that a list that has become shorter wipes the mark.
void PaintMoreMark(int32_t leftOut) {
    char mark[24] = "";  // room for any int, though a 16-bit length gives at most 8186
    if (leftOut > 0) std::snprintf(mark, sizeof mark, "+%d more", static_cast<int>(leftOut));
    std::snprintf(TextBuffer, sizeof TextBuffer, "%-*s", static_cast<int>(kMoreWidth), mark);
    const LabelEntry& lastRow = PathLabels[kFirstListEntry + kListRows - 1];
    PutAt(TextBuffer, lastRow.row, ValueColumn(lastRow) + kMoreColumn, 0);
}

// Up to five entries of the configuration record, in record order. The count comes from the
// record's length field; an entry that was not kept whole is not shown.
void PaintConfigurationList() {
    const int32_t count =
        (static_cast<int32_t>(PathConfiguration.length) - kListStart) / kEntryBytes;
    const int32_t whole = KeptBytes() > kListStart ? (KeptBytes() - kListStart) / kEntryBytes : 0;
    int32_t shown = 0;
    for (int32_t row = 0; row < kListRows; ++row) {
        BlankListRow(PathLabels[kFirstListEntry + row]);
        if (row < count && row < whole) {
            PaintListEntry(PathLabels[kFirstListEntry + row], kListStart + row * kEntryBytes);
            ++shown;
        }
    }
    PaintMoreMark(count - shown);
}

}  // namespace

int PaintPathScreen() {
    if (FetchCycle() != 0) return -1;
    StationHeader(PathLabels);
    PaintFields(kUpperFields, PathLabels);
    PaintConfigurationList();
    PaintFields(kLowerFields, PathLabels);
    MarkTrouble(MakeTroubleTable(kPathTrouble), PathLabels);
    return 0;
}
