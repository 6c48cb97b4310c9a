#pragma once

// Which writes a formula's text can follow: for each formula cell, the first
// and last cell (in scan order: row by row, then column by column) that a
// write may change and that the formula reads, directly or through other
// formulas.

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>

namespace rm::lo {

// Cells are keyed in scan order: (row << 32) | column, both from 1.
inline long long scanKey(long row, long column) { return (static_cast<long long>(row) << 32) | static_cast<unsigned>(column); }

struct WriteSpan {
    bool known = true;   // false: it may follow any write
    long long first = std::numeric_limits<long long>::max();
    long long last = std::numeric_limits<long long>::min();

    bool empty() const { return known && first > last; }
    // Whether a write into `cell` may change the text.
    bool reaches(long long cell) const { return !known || (first <= cell && cell <= last); }
    static WriteSpan unknown() { WriteSpan span; span.known = false; return span; }
};

// `formulas`: every formula cell of the sheet with its formula (as the API
// writes it); `writable(cell)`: whether a write may go into that cell;
// `rows`, `columns`: the sheet's extent (references beyond it read empty cells).
// Nothing when following the references would cost more than `budget` cell visits.
std::optional<std::unordered_map<long long, WriteSpan>>
writeSpans(const std::unordered_map<long long, std::string>& formulas, const std::function<bool(long long)>& writable,
           long rows, long columns, long long budget);

} // namespace rm::lo
