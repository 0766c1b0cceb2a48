#include "ringeye/screens/screen_rows.h"

#include <cstdio>
#include <cstring>

#include "common/counter_rise.h"
#include "ringeye/monitor_state.h"

namespace {

uint32_t ReadNumber(const Row& row, const ParamSlot& slot) {
    switch (row.read) {
        case Read::kByte3:
            return ValueByte(slot, 3);
        case Read::kByte5:
            return ValueByte(slot, 5);
        case Read::kByte6:
            return ValueByte(slot, 6);
        case Read::kByte7:
            return ValueByte(slot, 7);
        case Read::k16At2:
            return Value16(slot, 2);
        case Read::k16At4:
            return Value16(slot, 4);
        case Read::k16At6:
            return Value16(slot, 6);
        case Read::k32At0:
            return Value32(slot, 0);
        case Read::k32At4:
            return Value32(slot, 4);
        case Read::k32At8:
            return Value32(slot, 8);
    }
    return 0;
}

uint32_t Masked(const Row& row, uint32_t number) {
    return row.mask ? number & row.mask : number;
}

// Position of the lowest set bit, or 32 when none is set (beyond every text table).
uint32_t LowestSetBit(uint32_t bits) {
    for (uint32_t bit = 0; bit < 32; ++bit) {
        if (bits & (1u << bit)) return bit;
    }
    return 32;
}

// Cells from `start` to the next label on the row, or to the pad's end.
int32_t RoomAfter(RowTable table, int32_t row, int32_t start) {
    int32_t room = kPadColumns - start;
    for (size_t i = 0; i < table.count; ++i) {
        const Row& other = table.rows[i];
        if (other.label && other.row == row && other.col >= start && other.col - start < room) {
            room = other.col - start;
        }
    }
    return room;
}

// Where one value stands and what was painted there.
struct Painted {
    int32_t row = 0, start = 0, cells = 0;
};

// Formats the value into TextBuffer and puts it at `place`; answers the cells written. A blank
// value covers the cells its field takes with blanks: the field as a zero formats, or the
// widest text of its table.
int32_t PaintValue(const Row& row, uint32_t number, const ParamSlot& slot, RowTable table,
                   PaintContext& context, int32_t line, int32_t column, bool blank) {
    int written = 0;
    switch (row.show) {
        case Show::kLabel:
            return 0;
        case Show::kNumber:
            written = std::snprintf(TextBuffer, sizeof TextBuffer, row.format,
                                    static_cast<int32_t>(number));
            break;
        case Show::kTime:
            written = std::snprintf(TextBuffer, sizeof TextBuffer, row.format,
                                    TimeToMs(static_cast<int32_t>(number)));
            break;
        case Show::kFlag:
            written = std::snprintf(TextBuffer, sizeof TextBuffer, "%s",
                                    TrueFalseTexts[Masked(row, number) ? 0 : 1]);
            break;
        case Show::kBit:
            written = std::snprintf(TextBuffer, sizeof TextBuffer, row.format,
                                    Masked(row, number) != 0 ? 1 : 0);
            break;
        case Show::kText:
        case Show::kLowestBitText: {
            const uint32_t n = row.show == Show::kText ? number : LowestSetBit(Masked(row, number));
            const char* text = blank ? "" : TextOf(*row.texts, n);
            if (!row.format) {
                return PutTextInWidth(context.pad, text, WidestText(*row.texts),
                                      RoomAfter(table, line, column), line, column);
            }
            written = std::snprintf(TextBuffer, sizeof TextBuffer, row.format, text);
            break;
        }
        case Show::kOctets:
            written = std::snprintf(TextBuffer, sizeof TextBuffer, row.format,
                                    ValueByte(slot, row.at), ValueByte(slot, row.at + 1u),
                                    ValueByte(slot, row.at + 2u), ValueByte(slot, row.at + 3u),
                                    ValueByte(slot, row.at + 4u), ValueByte(slot, row.at + 5u));
            break;
        case Show::kString: {
            char text[kSlotValueBytes + 1] = {};
            if (row.at < kSlotValueBytes) {
                std::memcpy(text, slot.value + row.at, kSlotValueBytes - row.at);
            }
            written = std::snprintf(TextBuffer, sizeof TextBuffer, row.format, text);
            break;
        }
        case Show::kLiteral:
            written = std::snprintf(TextBuffer, sizeof TextBuffer, "%s", row.format);
            break;
    }
    if (blank && row.show != Show::kLiteral) {
        for (int n = 0; n < written && n < static_cast<int>(sizeof TextBuffer) - 1; ++n)
            TextBuffer[n] = ' ';
    }
    PutAt(context.pad, TextBuffer, line, column);
    if (written < 0) return 0;
    return written < static_cast<int>(sizeof TextBuffer) ? written : sizeof TextBuffer - 1;
}

bool InTrouble(const Row& row, uint32_t number, int port, const StationSnapshot& station,
               const RiseMemory* rises, size_t rise) {
    switch (row.trouble) {
        case Trouble::kNone:
            return false;
        case Trouble::kUnless:
            if (row.singleDiffers && station.PortCount == 1) return number != row.singleOperand;
            return number != row.operand;
        case Trouble::kOneOf:
            return Masked(row, number) < 32 && ((row.operand >> Masked(row, number)) & 1u) != 0;
        case Trouble::kSet:
            return Masked(row, number) != 0;
        case Trouble::kClear:
            return Masked(row, number) == 0;
        case Trouble::kRose:
            return rises && rises->known && Rose(number, rises->previous[rise]);
        case Trouble::kAtOrBelow:
            return number <= ReadNumber(row, SlotOf(station, row.other, port));
    }
    return false;
}

// Gives the value's visible characters (blanks around them excluded) the trouble style, after
// clearing every cell the value can occupy, so that neither a value that recovered nor the
// tail of a longer text painted earlier keeps a mark.
void Mark(VtHandle pad, const Row& row, const Painted& painted, bool trouble) {
    int32_t extent = painted.cells;
    if (row.texts && !row.format && WidestText(*row.texts) > extent) {
        extent = WidestText(*row.texts);
    }
    vtSetStyle(pad, painted.row, painted.start, extent, kVtStyleNormal);
    if (!trouble) return;
    int32_t first = 0, last = painted.cells;
    while (first < last && TextBuffer[first] == ' ')
        ++first;
    while (last > first && TextBuffer[last - 1] == ' ')
        --last;
    vtSetStyle(pad, painted.row, painted.start + first, last - first, kVtStyleTrouble);
}

// Starts the rise memory afresh for another table, port or adapter.
void FollowRises(RiseMemory& rises, RowTable table, const PaintContext& context) {
    if (rises.rows == table.rows && rises.port == context.port &&
        rises.instance == context.instance) {
        return;
    }
    rises = RiseMemory{};
    rises.rows = table.rows;
    rises.port = context.port;
    rises.instance = context.instance;
}

}  // namespace

void DrawLabels(VtHandle pad, RowTable table) {
    for (size_t i = 0; i < table.count; ++i) {
        const Row& row = table.rows[i];
        if (row.label) PutAt(pad, row.label, row.row, row.col);
    }
}

void PaintRows(RowTable table, PaintContext& context, RiseMemory* rises) {
    if (rises) FollowRises(*rises, table, context);
    Painted previous;
    size_t rise = 0;
    for (size_t i = 0; i < table.count; ++i) {
        const Row& row = table.rows[i];
        if (row.show == Show::kLabel) continue;
        const size_t riseIndex = row.trouble == Trouble::kRose ? rise++ : 0;
        if (row.port == 1 && context.station.PortCount != 2) continue;
        const int port = row.port == kShownPort ? context.port : row.port;

        Painted painted;
        switch (row.place) {
            case Place::kAfterLabel:
                painted.row = row.row;
                painted.start = row.col + static_cast<int32_t>(std::strlen(row.label));
                break;
            case Place::kAfterPrevious:
                painted.row = previous.row;
                painted.start = previous.start + previous.cells;
                break;
            case Place::kOverPrevious:
                painted.row = previous.row;
                painted.start = previous.start;
                break;
        }
        const ParamSlot& slot = SlotOf(context.station, row.type, port);
        // A value the source did not deliver is neither zero nor a trouble.
        const bool blank =
            context.station.absentIsBlank && row.type != 0 && !row.compute && !SlotDelivered(slot);
        const uint32_t number = row.compute ? row.compute(context) : ReadNumber(row, slot);
        painted.cells =
            PaintValue(row, number, slot, table, context, painted.row, painted.start, blank);
        previous = painted;
        if (row.trouble == Trouble::kNone) continue;
        if (blank) {
            Mark(context.pad, row, painted, false);
            continue;
        }

        bool trouble = InTrouble(row, number, port, context.station, rises, riseIndex);
        if (row.presentFlag != 0 &&
            ValueByte(SlotOf(context.station, row.presentFlag, port), 7) == 0) {
            trouble = false;
        }
        if (row.trouble == Trouble::kRose && rises) rises->previous[riseIndex] = number;
        Mark(context.pad, row, painted, trouble);
    }
    if (rises) rises->known = true;
}
