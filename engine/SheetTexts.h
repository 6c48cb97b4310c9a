#pragma once

#include "engine/Error.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace rm {

// The displayed texts of one sheet over the scanned rectangle (rows 1..rows,
// columns 1..columns), taken at once. A reader may hold fewer rows or columns
// where the sheet's cells end: every cell beyond shows nothing. A cell whose text could not be read
// keeps the error instead, to be raised only if that text is ever needed;
// from `failedFrom()` on (row by row) every cell shares one error.
class SheetTexts {
public:
    SheetTexts() = default;
    SheetTexts(int rows, int columns);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    long cellCount() const { return static_cast<long>(m_rows) * m_columns; }
    // Cells in scan order, from 0.
    long indexOf(int row, int column) const { return static_cast<long>(row - 1) * m_columns + (column - 1); }

    const std::string& text(long index) const { return m_texts[static_cast<size_t>(index)]; }
    void setText(long index, std::string text) { m_texts[static_cast<size_t>(index)] = std::move(text); }

    void setUnreadable(long index, Error error);
    // This cell and every later one cannot be read.
    void setUnreadableFrom(long index, Error error);
    // The read error of a cell; null when its text was read.
    const Error* readError(long index) const;

private:
    int m_rows = 0;
    int m_columns = 0;
    std::vector<std::string> m_texts;
    std::map<long, Error> m_unreadable;
    std::optional<std::pair<long, Error>> m_failedFrom;
};

class Worksheet;

// Takes the texts of `sheet` over the rectangle through Worksheet::cellText
// (reads limited to the rectangle first).
// A cell the sheet refuses to show (CellAccessFailed) keeps its error; any
// other failure leaves this and every later cell unreadable with it.
SheetTexts readSheetTexts(Worksheet& sheet, int rows, int columns);

} // namespace rm
