// Building the rows a test expects to see on the 84-column display.
#pragma once

#include <string>
#include <utility>
#include <vector>

using Rows = std::vector<std::string>;
using Texts = std::vector<std::pair<int, std::string>>;

constexpr size_t kDisplayColumns = 84;

// `text` followed by blanks up to `width`.
inline std::string Padded(const std::string& text, size_t width = kDisplayColumns) {
    std::string padded = text;
    padded.resize(width, ' ');
    return padded;
}

inline Rows PaddedRows(const Rows& rows) {
    Rows padded;
    for (const std::string& row : rows)
        padded.push_back(Padded(row));
    return padded;
}

constexpr int kFirstPageRow = 5;  // screen row where the middle region of a screen begins

// `page` (screen rows 5 to 21) with `rows` put in place from screen row `first` on.
inline Rows Replaced(Rows page, int first, const Rows& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        page.at(static_cast<size_t>(first - kFirstPageRow) + i) = Padded(rows[i]);
    }
    return page;
}

// A shown row: blanks with each text at its column.
inline std::string Line(const Texts& texts = {}) {
    std::string row(kDisplayColumns, ' ');
    for (const auto& [column, text] : texts)
        row.replace(column, text.size(), text);
    return row;
}
