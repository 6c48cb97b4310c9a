#pragma once

#include <string>
#include <vector>

namespace rm::lo {

// The cells of a CSV text (RFC 4180 quoting: a quoted field may hold the
// separator, line breaks and doubled quotes). Rows and columns count from 1;
// a cell beyond the text is empty. Texts read by other means are held the same way.
class CsvGrid {
public:
    CsvGrid() = default;
    CsvGrid(const std::string& csv, char separator);
    explicit CsvGrid(std::vector<std::vector<std::string>> rows) : m_rows(std::move(rows)) {}

    const std::string& text(long row, long column) const;
    // The rows and columns that hold cells: every cell beyond is empty.
    long rowCount() const { return static_cast<long>(m_rows.size()); }
    long columnCount() const;

private:
    std::vector<std::vector<std::string>> m_rows;
};

} // namespace rm::lo
