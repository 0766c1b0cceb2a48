// Screens as data: every label and every value of a screen is one row of a static table that
// says where it stands, which parameter it is read from and how, how it is shown and, where it
// can mean trouble, when. One pass over the rows paints each value and marks it in the same
// step, from the text just painted; erasing the pad clears every mark with it.
//
// A row is built by chaining, so that a table reads like the screen it describes:
//   At(10, 41, "ECM State             : ").Text(0x1029, Read::kByte3, kEcmStates).Unless(1)
#pragma once

#include <cstddef>
#include <cstdint>

#include "ringeye/layout.h"
#include "smtmib/station_snapshot.h"

// Which bytes of a record's value hold the number (value byte n counts from the first byte
// after the record's length field; MAC, PATH and PORT data begin at value byte 4).
enum class Read : uint8_t {
    kByte3,  // 8-bit datum of an SMT attribute
    kByte5,  // single bytes inside a four-byte field (PORT requested paths)
    kByte6,
    kByte7,  // 8-bit datum of a MAC, PATH or PORT attribute
    k16At2,  // 16-bit datum of an SMT attribute, value bytes 2 (high) and 3 (low)
    k16At4,  // the first 16-bit half of a MAC, PATH or PORT datum (T_Val of MACIndicated)
    k16At6,  // 16-bit datum of a MAC, PATH or PORT attribute
    k32At0,  // 32-bit datum of an SMT attribute
    k32At4,  // 32-bit datum of a MAC, PATH or PORT attribute
    k32At8,  // the low half of the time stamp inside SetCount
};

enum class Show : uint8_t {
    kLabel,   // a label alone: a heading or a place
    kNumber,  // printf(format, number)
    kTime,    // printf(format, milliseconds) of an FDDI time
    kFlag,    // "True " when any bit of `mask` is set (mask 0: any bit), else "False"
    kBit,     // printf(format, 1 or 0) for a set or clear bit of `mask` (mask 0: any bit)
    // The text of `texts` for the number: printf(format, text) with a format, else padded with
    // blanks to the widest text of the table (up to the next label on the row), so that it
    // covers whatever text was there before.
    kText,
    // The text of `texts` for the lowest bit of `mask` that is set (mask 0: any bit), bit 0
    // naming text 0; the fallback when none is set. Padded like kText.
    kLowestBitText,
    kOctets,   // printf(format, six value bytes from byte `at`): addresses, the station ID
    kString,   // printf(format, the value bytes from byte `at` on, as a string)
    kLiteral,  // the format itself, between two values on one line
};

// Where a value stands.
enum class Place : uint8_t {
    kAfterLabel,     // at the column right after its label's text
    kAfterPrevious,  // right after the text of the value painted before it
    kOverPrevious,   // where the value painted before it started, over it
};

// When a value is marked as trouble.
enum class Trouble : uint8_t {
    kNone,
    kUnless,     // unless the number is `operand`, the healthy value
    kOneOf,      // when the number n (of the bits in `mask`, if any) has bit n set in `operand`
    kSet,        // a flag that shows "True "
    kClear,      // a flag that shows "False"
    kRose,       // a count that rose since the previous refresh of the same screen
    kAtOrBelow,  // at or below parameter `other` of the same object, read alike
};

// The port of a PORT parameter: the port the screen shows, or a fixed one. A row of port 1 is
// painted only while the station has two ports.
constexpr int kShownPort = -1;

struct PaintContext;

struct Row {
    int32_t row = 0, col = 0;     // where the label starts
    const char* label = nullptr;  // drawn on entering the screen; null for a following value
    Show show = Show::kLabel;
    uint16_t type = 0;  // parameter type of the record
    Read read = Read::k32At4;
    const char* format = nullptr;      // kNumber, kTime, kBit, kOctets, kString, kLiteral; kText
    uint32_t mask = 0;                 // kFlag, kBit, kLowestBitText
    const TextTable* texts = nullptr;  // kText, kLowestBitText
    uint8_t at = 0;                    // kOctets, kString: the first value byte
    Place place = Place::kAfterLabel;
    int port = kShownPort;
    Trouble trouble = Trouble::kNone;
    uint32_t operand = 0;  // kUnless, kOneOf
    // kUnless: the healthy value on a single-attachment station, where it differs.
    uint32_t singleOperand = 0;
    bool singleDiffers = false;
    uint16_t other = 0;        // kAtOrBelow
    uint16_t presentFlag = 0;  // a PORT flag that must be set for the test to hold
    // A number the screen works out itself instead of reading a parameter.
    uint32_t (*compute)(PaintContext& context) = nullptr;

    // How the value is read and shown.
    constexpr Row Number(uint16_t t, Read r, const char* f) const {
        return Shown(Show::kNumber, t, r, f);
    }
    constexpr Row Time(uint16_t t, Read r, const char* f) const {
        return Shown(Show::kTime, t, r, f);
    }
    constexpr Row Flag(uint16_t t, Read r, uint32_t m = 0) const {
        return Masked(Shown(Show::kFlag, t, r, nullptr), m);
    }
    constexpr Row Bit(uint16_t t, Read r, const char* f, uint32_t m = 0) const {
        return Masked(Shown(Show::kBit, t, r, f), m);
    }
    constexpr Row Text(uint16_t t, Read r, const TextTable& table, const char* f = nullptr) const {
        Row copy = Shown(Show::kText, t, r, f);
        copy.texts = &table;
        return copy;
    }
    constexpr Row LowestBitText(uint16_t t, Read r, const TextTable& table, uint32_t m) const {
        Row copy = Masked(Shown(Show::kLowestBitText, t, r, nullptr), m);
        copy.texts = &table;
        return copy;
    }
    constexpr Row Octets(uint16_t t, uint8_t first, const char* f) const {
        return From(Shown(Show::kOctets, t, Read::k32At4, f), first);
    }
    constexpr Row String(uint16_t t, uint8_t first, const char* f) const {
        return From(Shown(Show::kString, t, Read::k32At4, f), first);
    }
    constexpr Row Computed(uint32_t (*c)(PaintContext&)) const {
        Row copy = *this;
        copy.compute = c;
        return copy;
    }
    constexpr Row OfPort(int p) const {
        Row copy = *this;
        copy.port = p;
        return copy;
    }

    // When it means trouble.
    constexpr Row Unless(uint32_t healthy) const { return Test(Trouble::kUnless, healthy); }
    constexpr Row OneOf(uint32_t bits) const { return Test(Trouble::kOneOf, bits); }
    // Where a single-attachment station rests in another state than a dual-attachment one.
    constexpr Row OrOnSingleAttachment(uint32_t healthy) const {
        Row copy = *this;
        copy.singleOperand = healthy;
        copy.singleDiffers = true;
        return copy;
    }
    constexpr Row WhenSet() const { return Test(Trouble::kSet, 0); }
    constexpr Row WhenClear() const { return Test(Trouble::kClear, 0); }
    constexpr Row WhenRose() const { return Test(Trouble::kRose, 0); }
    constexpr Row AtOrBelow(uint16_t limit) const {
        Row copy = Test(Trouble::kAtOrBelow, 0);
        copy.other = limit;
        return copy;
    }
    constexpr Row WhenPresent(uint16_t flag) const {
        Row copy = *this;
        copy.presentFlag = flag;
        return copy;
    }

  private:
    constexpr Row Shown(Show s, uint16_t t, Read r, const char* f) const {
        Row copy = *this;
        copy.show = s;
        copy.type = t;
        copy.read = r;
        copy.format = f;
        return copy;
    }
    static constexpr Row Masked(Row copy, uint32_t m) {
        copy.mask = m;
        return copy;
    }
    static constexpr Row From(Row copy, uint8_t first) {
        copy.at = first;
        return copy;
    }
    constexpr Row Test(Trouble t, uint32_t o) const {
        Row copy = *this;
        copy.trouble = t;
        copy.operand = o;
        return copy;
    }
};

// A label at (row, col); chain how its value is shown.
constexpr Row At(int32_t row, int32_t col, const char* label) {
    Row r;
    r.row = row;
    r.col = col;
    r.label = label;
    return r;
}
// A heading or any label without a value.
constexpr Row Heading(int32_t row, int32_t col, const char* label) {
    return At(row, col, label);
}
// A value right after the previous one on its line.
constexpr Row Then() {
    Row r;
    r.place = Place::kAfterPrevious;
    return r;
}
// A value over the previous one, from where it started.
constexpr Row Over() {
    Row r;
    r.place = Place::kOverPrevious;
    return r;
}
// Fixed text between two values of a line.
constexpr Row Literal(const char* text) {
    Row r = Then();
    r.show = Show::kLiteral;
    r.format = text;
    return r;
}

// Most counts one screen watches for a rise.
constexpr size_t kMaxRiseRows = 16;

// What the counts of the painted screen read at its previous refresh. It belongs to one table,
// one port and one adapter; any other starts it afresh, so a first refresh marks no rise.
struct RiseMemory {
    const Row* rows = nullptr;
    int port = 0;
    int32_t instance = 0;
    bool known = false;
    uint32_t previous[kMaxRiseRows] = {};
};

// The Composite screen's last transmit reading, for its frames-per-second rate.
struct FrameRateMemory {
    uint32_t transmitCount = 0;
    uint64_t atMs = 0;
    uint32_t rate = 0;
};

// What painting remembers from one refresh to the next.
struct ScreenMemory {
    RiseMemory rises;
    FrameRateMemory frameRate;
};

// Everything one refresh paints from.
struct PaintContext {
    VtHandle pad;
    const StationSnapshot& station;
    int port;          // the port the screen shows
    int32_t instance;  // the adapter the snapshot came from
    uint64_t nowMs;    // the program's clock at this refresh
    ScreenMemory& memory;
};

// A table of rows.
struct RowTable {
    const Row* rows;
    size_t count;
};

template <size_t N>
constexpr RowTable MakeRowTable(const Row (&rows)[N]) {
    return {rows, N};
}

// Draws the labels of the table on `pad`.
void DrawLabels(VtHandle pad, RowTable table);
// Paints and marks every value of the table in order. `rises` remembers the counts watched
// for a rise from one refresh of the table to the next; without it no rise is marked.
void PaintRows(RowTable table, PaintContext& context, RiseMemory* rises);

// True when every row carries what its way of showing needs (a format; a text table comes with
// Text and LowestBitText by reference), no row follows a value that is not there, and the
// counts watched for a rise fit the memory. Screens check their tables with it at compile time.
constexpr bool ValidRows(const Row* rows, size_t count) {
    size_t rises = 0;
    for (size_t i = 0; i < count; ++i) {
        const Row& row = rows[i];
        const bool follows = row.place != Place::kAfterLabel;
        if (follows == (row.label != nullptr)) return false;
        if (follows && (i == 0 || rows[i - 1].show == Show::kLabel)) return false;
        const bool formatted = row.show == Show::kNumber || row.show == Show::kTime ||
                               row.show == Show::kBit || row.show == Show::kOctets ||
                               row.show == Show::kString || row.show == Show::kLiteral;
        if (formatted && row.format == nullptr) return false;
        if (row.trouble != Trouble::kNone && row.show == Show::kLabel) return false;
        if (row.trouble == Trouble::kAtOrBelow && row.other == 0) return false;
        if (row.trouble == Trouble::kRose) ++rises;
    }
    return rises <= kMaxRiseRows;
}
template <size_t N>
constexpr bool ValidRows(const Row (&rows)[N]) {
    return ValidRows(rows, N);
}
