#include "engine/check/TemplateLabels.h"

#include "engine/MarkedCells.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace rm {

namespace {

enum class CellKind : char { Other, Label, Mark };

// Also the ideographic space U+3000 and the no-break space U+00A0.
constexpr std::string_view kBlanks[] = {" ", "\t", "\r", "\n", "\xE3\x80\x80", "\xC2\xA0"};

bool startsWithBlank(const std::string& text, std::size_t at, std::size_t& length)
{
    for (const std::string_view b : kBlanks) {
        if (text.compare(at, b.size(), b) == 0) {
            length = b.size();
            return true;
        }
    }
    return false;
}

bool endsWithBlank(const std::string& text, std::size_t end, std::size_t& length)
{
    for (const std::string_view b : kBlanks) {
        if (end >= b.size() && text.compare(end - b.size(), b.size(), b) == 0) {
            length = b.size();
            return true;
        }
    }
    return false;
}

void sortUnique(std::vector<int>& values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
}

} // namespace

std::string trimmedText(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    std::size_t length = 0;
    while (begin < end && startsWithBlank(text, begin, length))
        begin += length;
    while (end > begin && endsWithBlank(text, end, length))
        end -= length;
    return text.substr(begin, end - begin);
}

bool labelAgrees(const std::string& templateLabel, const std::string& sourceText)
{
    const std::string source = trimmedText(sourceText);
    if (templateLabel.empty())
        return source.empty();
    return source.compare(0, templateLabel.size(), templateLabel) == 0;
}

TemplateLabels::TemplateLabels(const TemplateCells& cells, const NumericReader& numbers)
    : m_rows(cells.rows), m_columns(cells.columns)
{
    const auto indexOf = [&](int row, int column) { return static_cast<long long>(row - 1) * m_columns + (column - 1); };
    std::vector<CellKind> kinds(cells.texts.size(), CellKind::Other);
    std::vector<int> labelAbove(static_cast<std::size_t>(m_columns) + 1, 0);
    std::set<long long> governing;
    for (int row = 1; row <= m_rows; ++row) {
        int labelLeft = 0;
        for (int column = 1; column <= m_columns; ++column) {
            const auto index = static_cast<std::size_t>(indexOf(row, column));
            const std::string& text = cells.texts[index];
            if (cells.formulas[index] || trimmedText(text).empty()) {
                continue;
            } else if (isMarkedText(text)) {
                kinds[index] = CellKind::Mark;
                m_marks.push_back({row, column});
                auto& rowLabels = m_rowLabelColumns[row];
                if (labelLeft > 0) {
                    rowLabels.push_back(labelLeft);
                    governing.insert(indexOf(row, labelLeft));
                }
                auto& columnLabels = m_columnLabelRows[column];
                if (const int above = labelAbove[static_cast<std::size_t>(column)]; above > 0) {
                    columnLabels.push_back(above);
                    governing.insert(indexOf(above, column));
                }
            } else if (!numbers.read(text)) {
                kinds[index] = CellKind::Label;
                labelLeft = column;
                labelAbove[static_cast<std::size_t>(column)] = row;
            }
        }
    }
    for (auto& [row, columns] : m_rowLabelColumns)
        sortUnique(columns);
    for (auto& [column, rows] : m_columnLabelRows)
        sortUnique(rows);
    for (const long long index : governing)
        m_governing.push_back({static_cast<int>(index / m_columns) + 1, static_cast<int>(index % m_columns) + 1,
                               trimmedText(cells.texts[static_cast<std::size_t>(index)])});

    // The lines the labels are looked for in, with every label they hold.
    std::set<int> labelColumns;
    std::set<int> labelRows;
    for (const auto& [row, columns] : m_rowLabelColumns)
        labelColumns.insert(columns.begin(), columns.end());
    for (const auto& [column, rows] : m_columnLabelRows)
        labelRows.insert(rows.begin(), rows.end());
    for (int row = 1; row <= m_rows; ++row)
        for (int column = 1; column <= m_columns; ++column) {
            const long long index = indexOf(row, column);
            if (kinds[static_cast<std::size_t>(index)] == CellKind::Label &&
                (labelColumns.count(column) || labelRows.count(row)))
                m_headerLines.emplace(index, trimmedText(cells.texts[static_cast<std::size_t>(index)]));
        }
}

const std::string& TemplateLabels::labelAt(int row, int column) const
{
    static const std::string none;
    if (row < 1 || column < 1 || row > m_rows || column > m_columns)
        return none;
    const auto found = m_headerLines.find(static_cast<long long>(row - 1) * m_columns + (column - 1));
    return found == m_headerLines.end() ? none : found->second;
}

} // namespace rm
