#pragma once

// Makes workbook files for the tests through the office itself: a new
// spreadsheet document, filled cell by cell, stored in the format that the
// file name's extension asks for.

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <string>
#include <vector>

namespace rm::lo {
class OfficeSession;
}

namespace rm::lo::test {

class WorkbookMaker {
public:
    // A new document whose sheets have these names (at least one).
    WorkbookMaker(OfficeSession& session, const std::vector<std::string>& sheetNames = {"Sheet1"});
    ~WorkbookMaker();
    WorkbookMaker(const WorkbookMaker&) = delete;
    WorkbookMaker& operator=(const WorkbookMaker&) = delete;

    // Sheets count from 0, rows and columns from 1. An empty format keeps the default.
    WorkbookMaker& number(int sheet, int row, int column, double value, const std::string& format = {});
    WorkbookMaker& text(int sheet, int row, int column, const std::string& text);
    WorkbookMaker& formula(int sheet, int row, int column, const std::string& formula, const std::string& format = {});
    WorkbookMaker& background(int sheet, int row, int column, int rgb);
    WorkbookMaker& hideRow(int sheet, int row);
    WorkbookMaker& hideColumn(int sheet, int column);
    // Filters `range` (e.g. "A1:C9") to the rows whose first column equals `value`; the others are filtered out.
    WorkbookMaker& filterRows(int sheet, const std::string& range, double value);
    // Merges the cells of `range` (e.g. "A1:B2") into one.
    WorkbookMaker& merge(int sheet, const std::string& range);
    // One array formula over all cells of `range` (e.g. "C2:D2").
    WorkbookMaker& arrayFormula(int sheet, const std::string& range, const std::string& formula);
    WorkbookMaker& activeSheet(int sheet);
    // Cells of `range` (e.g. "B1") take number format `format` while `condition` (a formula) holds.
    WorkbookMaker& addConditionalNumberFormat(int sheet, const std::string& range, const std::string& condition,
                                              const std::string& format);
    // Cells of `range` take background `rgb` (and no other format) while `condition` holds.
    WorkbookMaker& addConditionalBackground(int sheet, const std::string& range, const std::string& condition, int rgb);

    // Stores under `path` (filter by extension: .xls, .xlsx, .ods, .csv), optionally with a password.
    void save(const std::string& path, const std::string& password = {});

    const css::uno::Reference<css::frame::XModel>& model() const { return m_model; }

private:
    css::uno::Reference<css::sheet::XSpreadsheet> sheet(int index) const;
    void applyFormat(int sheet, int row, int column, const std::string& format);
    int formatKey(const std::string& format);
    void addConditionalStyle(int sheet, const std::string& range, const std::string& condition,
                             const std::string& styleName, const std::string& styleProperty, const css::uno::Any& value);

    css::uno::Reference<css::frame::XModel> m_model;
};

} // namespace rm::lo::test
