#pragma once

// Workbook content for the in-memory spreadsheet: cells with numbers or
// texts, number formats that make the displayed text, and a few formulas
// that are recomputed whenever a cell is shown.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace rm::mem {

// How a number is shown (always with "." and "," as the office does in en_US).
struct NumberFormat {
    enum class Kind { General, Fixed, Percent, Accounting, TooNarrow };
    Kind kind = Kind::General;
    int decimals = 0;
    bool grouping = false;
    std::string currency;

    static NumberFormat general() { return {}; }
    // 1234.5 with fixed(2, true): "1,234.50".
    static NumberFormat fixed(int decimals, bool grouping = false) { return {Kind::Fixed, decimals, grouping, {}}; }
    // 0.125 with percent(1): "12.5%".
    static NumberFormat percent(int decimals) { return {Kind::Percent, decimals, false, {}}; }
    // 1234.5: " $1,234.50 "; -1234.5: "($1,234.50)"; 0: " $- ".
    static NumberFormat accounting(int decimals, std::string currency = "$") { return {Kind::Accounting, decimals, true, std::move(currency)}; }
    // A number too wide for its column: "###".
    static NumberFormat tooNarrow() { return {Kind::TooNarrow, 0, false, {}}; }

    std::string format(double value) const;
};

struct Formula {
    enum class Kind { Sum, Reference, Error };
    Kind kind = Kind::Error;
    int firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;
    std::string errorText;

    // =SUM over a rectangle: the numbers in it; an error in it is the result.
    static Formula sum(int firstRow, int firstColumn, int lastRow, int lastColumn) { return {Kind::Sum, firstRow, firstColumn, lastRow, lastColumn, {}}; }
    // =<cell>: that cell's value (an empty cell gives 0), shown in this cell's format.
    static Formula reference(int row, int column) { return {Kind::Reference, row, column, row, column, {}}; }
    // A formula that always gives an error, shown as `text` (e.g. "#DIV/0!", "#NAME?").
    static Formula error(std::string text) { return {Kind::Error, 0, 0, 0, 0, std::move(text)}; }
};

// One sheet. Rows and columns count from 1.
class SheetContent {
public:
    explicit SheetContent(std::string name = "Sheet1") : m_name(std::move(name)) {}

    SheetContent& number(int row, int column, double value, NumberFormat format = NumberFormat::general());
    SheetContent& text(int row, int column, std::string text);
    SheetContent& formula(int row, int column, Formula formula, NumberFormat format = NumberFormat::general());
    SheetContent& clear(int row, int column);
    // Failure injection: writing (or reading) this cell fails with CellAccessFailed.
    SheetContent& refuseWrites(int row, int column);
    SheetContent& refuseReads(int row, int column);
    // A chart sheet: a workbook whose active sheet it is has no active worksheet.
    SheetContent& setChart(bool chart = true) { m_chart = chart; return *this; }
    SheetContent& setHidden(bool hidden = true) { m_hidden = hidden; return *this; }

    const std::string& name() const { return m_name; }
    bool isChart() const { return m_chart; }
    bool isHidden() const { return m_hidden; }

    // The text the cell shows now (formulas recomputed); "" for an empty cell.
    std::string displayedText(int row, int column) const;
    // The cell's number (a formula's result included); nothing for texts, errors and empty cells.
    std::optional<double> numberAt(int row, int column) const;
    bool hasFormula(int row, int column) const;
    bool isEmpty(int row, int column) const;
    bool refusesWrites(int row, int column) const;
    bool refusesReads(int row, int column) const;

    // Extents of the used area (cells with content), wherever it starts; 1 for an empty sheet.
    long usedRowCount() const;
    long usedColumnCount() const;

    // What the summation does to a marked cell: the number replaces content and formula.
    void writeValue(int row, int column, double value);

private:
    struct Cell {
        std::variant<std::monostate, double, std::string> value;
        std::optional<Formula> formula;
        NumberFormat format;
        bool refuseWrites = false;
        bool refuseReads = false;
        bool hasContent() const { return formula || !std::holds_alternative<std::monostate>(value); }
    };
    // A computed value: a number, a text, or an error text.
    struct Result {
        std::variant<std::monostate, double, std::string> value;
        bool isError = false;
    };

    Result evaluate(int row, int column, int depth) const;
    const Cell* find(int row, int column) const;
    Cell& at(int row, int column) { return m_cells[{row, column}]; }
    long usedExtent(bool rows) const;

    std::string m_name;
    bool m_chart = false;
    bool m_hidden = false;
    std::map<std::pair<int, int>, Cell> m_cells;
};

struct WorkbookContent {
    std::vector<SheetContent> sheets;
    int activeSheet = 0;        // index into sheets
    bool displayZeros = true;   // the view's setting, stored with the file

    WorkbookContent() = default;
    explicit WorkbookContent(SheetContent sheet) { sheets.push_back(std::move(sheet)); }
    WorkbookContent& addSheet(SheetContent sheet) { sheets.push_back(std::move(sheet)); return *this; }
    WorkbookContent& setActiveSheet(int index) { activeSheet = index; return *this; }
    SheetContent& active() { return sheets.at(static_cast<size_t>(activeSheet)); }
    const SheetContent& active() const { return sheets.at(static_cast<size_t>(activeSheet)); }
    // The sheet of that name (the first), or null.
    const SheetContent* sheet(const std::string& name) const
    {
        for (const auto& each : sheets)
            if (each.name() == name)
                return &each;
        return nullptr;
    }
};

} // namespace rm::mem
