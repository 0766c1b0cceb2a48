// Screens as data: most values of a screen are one row of a static ValueField table that says
// which label the value follows, which parameter it comes from, which bytes of the record are
// read and how the number is shown. PaintFields walks such a table in order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ringeye/layout.h"

// Which bytes of a record's value hold the number (value byte n counts from the first byte
// after the record's length field; MAC, PATH and PORT data begin at value byte 4).
enum class ValueRead {
    kByte3,  // 8-bit datum of an SMT attribute
    kByte7,  // 8-bit datum of a MAC, PATH or PORT attribute
    kByte5,  // single bytes inside a four-byte field (PORT requested paths)
    kByte6,
    k16At2,  // 16-bit datum of an SMT attribute, value bytes 2 (high) and 3 (low)
    k16At6,  // 16-bit datum of a MAC, PATH or PORT attribute
    k32At0,  // 32-bit datum of an SMT attribute
    k32At4,  // 32-bit datum of a MAC, PATH or PORT attribute
    k32At8,  // the low half of the time stamp inside SetCount
};

enum class ValueShow {
    kNumber,  // PutValue with `format`
    kTime,    // PutTimeMs with `format`: an FDDI time in milliseconds
    kFlag,    // "True " when any bit of `mask` is set (mask 0: any bit), else "False"
    // The text of `texts` for the number, padded with blanks to the widest text of the table
    // (up to the next label on the row), so that it covers whatever text was there before.
    kText,
    // The text of `texts` for the lowest bit of `mask` that is set (mask 0: any bit), bit 0
    // naming text 0; the fallback when none is set. Padded like kText.
    kLowestBitText,
};

// A text table with the text shown for numbers beyond it.
struct TextTable {
    const char* const* texts;
    size_t count;
    const char* fallback;
};

template <size_t N>
constexpr TextTable MakeTextTable(const char* const (&texts)[N], const char* fallback) {
    return {texts, N, fallback};
}

const char* TextFor(const TextTable& table, uint32_t number);

struct ValueField {
    int entry;      // the label, by its position in the screen's table
    uint16_t type;  // parameter type of the record
    ValueRead read;
    ValueShow show;
    const char* format = nullptr;      // kNumber, kTime
    uint32_t mask = 0;                 // kFlag
    const TextTable* texts = nullptr;  // kText
};

// The number a field reads from its slot (of port `port` for PORT parameters).
uint32_t ReadField(const ValueField& field, int port);

// Paints `count` fields in order at their labels' value columns.
void PaintFields(const ValueField* fields, size_t count, const LabelEntry* labels, int port = 0);

template <size_t N>
void PaintFields(const ValueField (&fields)[N], const LabelEntry* labels, int port = 0) {
    PaintFields(fields, N, labels, port);
}

// True when every field names a label before the table's terminating entry and carries what its
// way of showing needs (a format, a text table), so that painting never reads past a table or
// formats with nothing. Screens check their tables with it at compile time.
template <size_t L>
constexpr bool ValidField(const ValueField& field, const LabelEntry (&labels)[L]) {
    if (field.entry < 0 || static_cast<size_t>(field.entry) + 1 >= L) return false;
    for (int entry = 0; entry <= field.entry; ++entry) {
        if (labels[entry].text == nullptr) return false;
    }
    const bool formatted = field.show == ValueShow::kNumber || field.show == ValueShow::kTime;
    if (formatted && field.format == nullptr) return false;
    const bool named = field.show == ValueShow::kText || field.show == ValueShow::kLowestBitText;
    return !named || field.texts != nullptr;
}

template <size_t F, size_t L>
constexpr bool ValidFieldTable(const ValueField (&fields)[F], const LabelEntry (&labels)[L]) {
    for (const ValueField& field : fields) {
        if (!ValidField(field, labels)) return false;
    }
    return true;
}
