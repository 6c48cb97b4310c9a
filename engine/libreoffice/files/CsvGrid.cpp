#include "engine/libreoffice/files/CsvGrid.h"

#include <algorithm>

namespace rm::lo {

CsvGrid::CsvGrid(const std::string& csv, char separator)
{
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    size_t i = 0;
    const auto endField = [&] {
        row.push_back(std::move(field));
        field.clear();
        fieldStarted = false;
    };
    const auto endRow = [&] {
        endField();
        m_rows.push_back(std::move(row));
        row.clear();
    };
    while (i < csv.size()) {
        const char c = csv[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < csv.size() && csv[i + 1] == '"') {
                    field += '"';
                    i += 2;
                    continue;
                }
                quoted = false;
            } else {
                field += c;
            }
            ++i;
            continue;
        }
        if (c == '"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == separator) {
            endField();
        } else if (c == '\n' || c == '\r') {
            endRow();
            if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n')
                ++i;
        } else {
            field += c;
            fieldStarted = true;
        }
        ++i;
    }
    if (fieldStarted || !row.empty())
        endRow();
}

long CsvGrid::columnCount() const
{
    size_t widest = 0;
    for (const auto& cells : m_rows)
        widest = std::max(widest, cells.size());
    return static_cast<long>(widest);
}

const std::string& CsvGrid::text(long row, long column) const
{
    static const std::string empty;
    if (row < 1 || column < 1 || row > static_cast<long>(m_rows.size()))
        return empty;
    const auto& cells = m_rows[static_cast<size_t>(row - 1)];
    if (column > static_cast<long>(cells.size()))
        return empty;
    return cells[static_cast<size_t>(column - 1)];
}

} // namespace rm::lo
