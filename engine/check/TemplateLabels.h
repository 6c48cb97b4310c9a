#pragma once

// What the check before saving knows of the template: its marked cells and
// the header labels that govern them. A marked cell's row label is the
// nearest label to its left in its row, its column label the nearest label
// above it in its column; titles, units, dates, signatures and notes govern
// no sum and are never compared.

#include "engine/MarkedSums.h"
#include "engine/NumericText.h"

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace rm {

// The template's cells over its rectangle, in scan order (row by row).
struct TemplateCells {
    int rows = 0;
    int columns = 0;
    std::vector<std::string> texts;
    std::vector<bool> formulas;   // a formula cell is neither label nor mark: its text follows the sums
};

// The text without blanks around it (also U+3000 and no-break spaces).
std::string trimmedText(const std::string& text);

// A source's text agrees with the template's (trimmed) label when it reads
// the same or begins with it: a label filled in ("编制单位：" → "编制单位：东区分公司").
bool labelAgrees(const std::string& templateLabel, const std::string& sourceText);

struct HeaderLabel {
    int row = 0;
    int column = 0;
    std::string text;   // trimmed
};

class TemplateLabels {
public:
    // A label is a text that is not blank, not marked, not a number, not a formula's.
    TemplateLabels(const TemplateCells& cells, const NumericReader& numbers);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    const std::vector<CellPosition>& marks() const { return m_marks; }
    // Row and column labels of the marks, each once, in scan order.
    const std::vector<HeaderLabel>& governingLabels() const { return m_governing; }
    // Every marked row with the columns of its row labels (none when no label stands left of its marks).
    const std::map<int, std::vector<int>>& rowLabelColumns() const { return m_rowLabelColumns; }
    // Every marked column with the rows of its column labels.
    const std::map<int, std::vector<int>>& columnLabelRows() const { return m_columnLabelRows; }
    // The label at a cell of a row-label column or a column-label row; empty when none.
    const std::string& labelAt(int row, int column) const;

private:
    int m_rows = 0;
    int m_columns = 0;
    std::vector<CellPosition> m_marks;
    std::vector<HeaderLabel> m_governing;
    std::map<int, std::vector<int>> m_rowLabelColumns;
    std::map<int, std::vector<int>> m_columnLabelRows;
    // Every label of the columns and rows that hold governing labels, by cell index.
    std::unordered_map<long long, std::string> m_headerLines;
};

} // namespace rm
