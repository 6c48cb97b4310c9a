// The bulk path returns, for every cell and at every moment, exactly the text
// a per-cell read returns.

#include "support/OfficeEnvironment.h"
#include "support/WorkbookMaker.h"

#include "engine/libreoffice/documents/CalcWorksheet.h"
#include "engine/libreoffice/process/OfficeSession.h"

#include <gtest/gtest.h>

namespace rm::lo::test {
namespace {

const int Rows = 14;
const int Columns = 6;

// Texts that quoting and trimming could get wrong, numbers in many formats,
// errors, and formulas over cells that the merge will write.
void fillTricky(WorkbookMaker& maker)
{
    maker.text(0, 1, 1, "tab\there")
        .text(0, 1, 2, "say \"hi\"")
        .text(0, 1, 3, "line one\nline two")
        .text(0, 1, 4, "  padded  ")
        .text(0, 1, 5, std::string(3000, 'x') + "?")
        .text(0, 1, 6, "\"")
        .text(0, 2, 1, "a,b;c")
        .text(0, 2, 2, "\"\t\n\"")
        .text(0, 2, 3, "中文？")
        .text(0, 2, 4, " ")
        .number(0, 3, 1, 1.236, "0.00")
        .number(0, 3, 2, -1234.5, "#,##0.00;(#,##0.00)")
        .number(0, 3, 3, 0.5, "0%")
        .number(0, 3, 4, 45000, "YYYY-MM-DD")
        .number(0, 3, 5, 1e20)
        .number(0, 3, 6, 0)
        .formula(0, 4, 1, "=1/0")
        .formula(0, 4, 2, "=\"?\"&A5")
        .formula(0, 4, 3, "=A5+B5")
        .formula(0, 4, 4, "=IF(A5>1;\"big?\";\"small\")")
        .formula(0, 4, 5, "=\"x\"&CHAR(9)&\"y\"")
        .text(0, 5, 1, "?")
        .text(0, 5, 2, "?")
        .text(0, 9, 6, "last?")
        .number(0, 12, 3, 7, "0.000");
}

class BulkRead : public ::testing::Test {
protected:
    static std::string path(const char* extension)
    {
        return OfficeEnvironment::root() + "/BulkRead/tricky" + extension;
    }

    static void SetUpTestSuite()
    {
        OfficeEnvironment::folderFor("BulkRead");
        WorkbookMaker maker(OfficeEnvironment::session(), {"Before", "Tricky"});
        maker.text(0, 1, 1, "not this one");
        fillTricky(maker);   // fills sheet 0 ...
        for (const char* extension : {".xls", ".xlsx", ".ods"}) {
            maker.activeSheet(0);
            maker.save(path(extension));
        }
    }

    static void expectSameAsLive(CalcWorksheet& sheet)
    {
        for (int row = 1; row <= Rows; ++row)
            for (int column = 1; column <= Columns; ++column)
                ASSERT_EQ(sheet.cellText(row, column), sheet.liveCellText(row, column))
                    << "row " << row << ", column " << column;
    }
};

TEST_F(BulkRead, ofASourceEqualsPerCellReads)
{
    for (const char* extension : {".xls", ".xlsx", ".ods"}) {
        SCOPED_TRACE(extension);
        auto workbook = OfficeEnvironment::binding().global().openWorkbook(path(extension));
        auto sheet = std::dynamic_pointer_cast<CalcWorksheet>(workbook->activeSheet());
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->cellText(1, 2), "say \"hi\"");
        EXPECT_EQ(sheet->cellText(1, 3), "line one\nline two");
        expectSameAsLive(*sheet);

        // Read as a source under a much larger template: the texts end where the sheet's cells do.
        const SheetTexts texts = OfficeEnvironment::binding().global().readSource(path(extension), 5000, 200);
        EXPECT_EQ(texts.rows(), 12);
        EXPECT_EQ(texts.columns(), Columns);
        for (int row = 1; row <= texts.rows(); ++row)
            for (int column = 1; column <= texts.columns(); ++column)
                ASSERT_EQ(texts.text(texts.indexOf(row, column)), sheet->liveCellText(row, column))
                    << "row " << row << ", column " << column;
        workbook->close();
    }
}

TEST_F(BulkRead, ofATargetFollowsWritesAndTheFormulasThatDependOnThem)
{
    for (const char* extension : {".xls", ".xlsx", ".ods"}) {
        SCOPED_TRACE(extension);
        auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(path(extension));
        auto sheet = std::dynamic_pointer_cast<CalcWorksheet>(workbook->activeSheet());
        ASSERT_TRUE(sheet);
        expectSameAsLive(*sheet);
        // Written in scan order, as the merge writes marked cells.
        const double values[] = {2.5, 0, -3, 1234.5678};
        int written = 0;
        for (int row = 1; row <= Rows; ++row) {
            for (int column = 1; column <= Columns; ++column) {
                if (sheet->cellText(row, column).find('?') == std::string::npos)
                    continue;
                sheet->setCellValue2(row, column, values[written++ % 4]);
                expectSameAsLive(*sheet);
            }
        }
        EXPECT_EQ(written, 6);
        EXPECT_EQ(sheet->cellText(4, 3), "1237.0678");   // =A5+B5, both written after it was first read
        workbook->close();
    }
}

TEST_F(BulkRead, gatheredWritesReachTheUsedRangeTheFormulasAndTheSavedFile)
{
    ASSERT_NE(OfficeEnvironment::session().batchCellWriter(), nullptr);
    const std::string saved = OfficeEnvironment::root() + "/BulkRead/written.ods";
    auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(path(".ods"));
    auto sheet = workbook->activeSheet();
    EXPECT_EQ(sheet->cells(4, 3).text(), "#VALUE!");   // =A5+B5 over two texts, before the writes
    sheet->setCellValue2(5, 1, 1.5);
    sheet->setCellValue2(5, 2, 2.25);
    sheet->setCellValue2(30, 10, -7);
    sheet->setCellValue2(30, 10, 8);   // the later write wins
    EXPECT_EQ(sheet->cells(4, 3).text(), "3.75");
    EXPECT_EQ(sheet->usedRangeRowCount(), 30);
    EXPECT_EQ(sheet->usedRangeColumnCount(), 10);
    sheet->setCellValue2(1, 1, 0.125);
    sheet->saveAs(saved);
    workbook->close();

    auto copy = OfficeEnvironment::binding().global().openWorkbook(saved)->activeSheet();
    EXPECT_EQ(copy->cells(1, 1).text(), "0.125");
    EXPECT_EQ(copy->cells(5, 2).text(), "2.25");
    EXPECT_EQ(copy->cells(30, 10).text(), "8");
    EXPECT_EQ(copy->cells(4, 3).text(), "3.75");
}

// Formulas whose result takes its format from the function (a truth value, a
// date, a time) and errors: read before anything asked for them, a source
// shows the same texts on both of its paths, the whole-sheet export (its
// cells end within the template's rectangle) and the rectangle's own read (a
// stray text at Z100 reaches beyond it).
TEST_F(BulkRead, formulaResultsReadTheSameOnBothPathsOfASource)
{
    const std::vector<std::string> formulas = {"=TRUE()", "=1=1", "=A1>5", "=FALSE()", "=DATE(2024;1;31)",
                                               "=TIME(13;5;0)", "=DATE(2024;1;31)+TIME(6;0;0)", "=1/0", "=NA()",
                                               "=A1*2", "=\"x?\""};
    for (const char* extension : {".xlsx", ".xls", ".ods"}) {
        SCOPED_TRACE(extension);
        const std::string withStray = OfficeEnvironment::root() + "/BulkRead/results-stray" + extension;
        const std::string within = OfficeEnvironment::root() + "/BulkRead/results" + extension;
        for (const std::string& file : {withStray, within}) {
            WorkbookMaker maker(OfficeEnvironment::session());
            maker.number(0, 1, 1, 7);
            for (size_t i = 0; i < formulas.size(); ++i)
                maker.formula(0, 2 + int(i) / 3, 1 + int(i) % 3, formulas[i]);
            if (file == withStray)
                maker.text(0, 100, 26, "stray");
            maker.save(file);
        }
        const SheetTexts exported = OfficeEnvironment::binding().global().readSource(within, 8, 3);
        const SheetTexts rectangle = OfficeEnvironment::binding().global().readSource(withStray, 8, 3);
        ASSERT_EQ(exported.rows(), 5);
        ASSERT_EQ(rectangle.rows(), 5);
        if (std::string(extension) != ".xls") {   // .xls keeps a truth value as the number 1, shown so
            EXPECT_EQ(exported.text(exported.indexOf(2, 1)), "TRUE");
            EXPECT_EQ(exported.text(exported.indexOf(2, 2)), "TRUE");
            EXPECT_EQ(exported.text(exported.indexOf(3, 1)), "FALSE");
        }
        for (int row = 1; row <= exported.rows(); ++row)
            for (int column = 1; column <= 3; ++column)
                EXPECT_EQ(rectangle.text(rectangle.indexOf(row, column)), exported.text(exported.indexOf(row, column)))
                    << "row " << row << ", column " << column;
    }
}

TEST_F(BulkRead, keepsHiddenFilteredAndMergedCellsInTheirPlace)
{
    const std::string file = OfficeEnvironment::root() + "/BulkRead/hidden.xls";
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        for (int row = 1; row <= 6; ++row)
            for (int column = 1; column <= 5; ++column)
                maker.number(0, row, column, row * 10 + column);
        maker.text(0, 4, 4, "covered").merge(0, "C3:D4").hideRow(0, 2).hideColumn(0, 2);
        for (int row = 8; row <= 12; ++row)
            maker.number(0, row, 1, row % 2).number(0, row, 2, row);
        maker.filterRows(0, "A8:B12", 1);
        maker.save(file);
    }
    auto sheet = std::dynamic_pointer_cast<CalcWorksheet>(
        OfficeEnvironment::binding().global().openWorkbook(file)->activeSheet());
    EXPECT_EQ(sheet->cellText(2, 2), "22");
    EXPECT_EQ(sheet->cellText(6, 5), "65");
    EXPECT_EQ(sheet->cellText(10, 2), "10");   // filtered out
    for (int row = 1; row <= 13; ++row)
        for (int column = 1; column <= 6; ++column)
            ASSERT_EQ(sheet->cellText(row, column), sheet->liveCellText(row, column))
                << "row " << row << ", column " << column;
}

// A report: each row's formulas (and a conditional format) follow the mark
// written in column A, some read the row above. After every write the copy
// is read again only in part; read forwards and backwards, it always shows
// what the office shows.
TEST_F(BulkRead, ofATargetWithManyFormulasFollowsEveryWrite)
{
    const std::string file = OfficeEnvironment::root() + "/BulkRead/report.ods";
    const int rows = 40;
    const int columns = 9;
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        for (int row = 1; row <= rows; ++row) {
            maker.text(0, row, 1, "?");
            const std::string r = std::to_string(row);
            for (int column = 2; column <= columns; ++column) {
                if (column % 3 == 0)
                    maker.number(0, row, column, row * column);
                else if (row > 1 && column == 8)
                    maker.formula(0, row, column, "=IF(A" + std::to_string(row - 1) + ">10;\"big?\";\"small\")");
                else
                    maker.formula(0, row, column, "=A" + r + "*" + std::to_string(column), "0.0");
            }
        }
        maker.addConditionalNumberFormat(0, "I1:I" + std::to_string(rows), "$A1>20", "0.000");
        maker.save(file);
    }
    auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(file);
    auto sheet = std::dynamic_pointer_cast<CalcWorksheet>(workbook->activeSheet());
    ASSERT_TRUE(sheet);
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column) {
            ASSERT_EQ(sheet->cellText(row, column), sheet->liveCellText(row, column))
                << "row " << row << ", column " << column;
            if (column == 1)
                sheet->setCellValue2(row, column, row);
        }
        if (row % 7 != 0)
            continue;
        for (int back = row; back >= std::max(1, row - 8); --back)   // back over what was read since the writes
            for (int column = columns; column >= 1; --column)
                ASSERT_EQ(sheet->cellText(back, column), sheet->liveCellText(back, column))
                    << "back to row " << back << ", column " << column;
    }
    EXPECT_EQ(sheet->cellText(11, 8), "small");
    EXPECT_EQ(sheet->cellText(12, 8), "big?");   // A11 = 11 > 10 once written
    EXPECT_EQ(sheet->cellText(5, 2), "10.0");
    workbook->close();
}

// The check before saving and the scan ask every cell of the template for
// its text and whether it holds a formula: on a sheet with thousands of
// formulas and a conditional format, that costs a few calls in all, not one
// per cell; after a write, a few more.
TEST_F(BulkRead, aTemplateOfFormulasAndConditionalFormatsIsReadInAFewCalls)
{
    const std::string file = OfficeEnvironment::root() + "/BulkRead/formulas.ods";
    const int rows = 60;
    const int columns = 40;
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        for (int row = 1; row <= rows; ++row)
            for (int column = 1; column <= columns; ++column) {
                if (column % 2 == 0)
                    maker.formula(0, row, column, "=A" + std::to_string(row) + "+" + std::to_string(column));
                else
                    maker.number(0, row, column, row);
            }
        maker.text(0, 30, 1, "?");
        maker.addConditionalNumberFormat(0, "A1:AN60", "$A$30=60", "0.00");
        maker.save(file);
    }
    auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(file);
    auto sheet = std::dynamic_pointer_cast<CalcWorksheet>(workbook->activeSheet());
    ASSERT_TRUE(sheet);
    OfficeSession& office = OfficeEnvironment::session();
    const long before = office.callCount();
    int formulas = 0;
    for (int row = 1; row <= rows; ++row)
        for (int column = 1; column <= columns; ++column) {
            formulas += sheet->cellHasFormula(row, column) ? 1 : 0;
            sheet->cellText(row, column);
        }
    EXPECT_EQ(formulas, rows * columns / 2);
    EXPECT_LE(office.callCount() - before, 5);
    const long beforeWrite = office.callCount();
    sheet->setCellValue2(30, 1, 60);
    for (int row = 30; row <= 31; ++row)
        for (int column = 1; column <= columns; ++column)
            EXPECT_EQ(sheet->cellText(row, column), sheet->liveCellText(row, column)) << row << ", " << column;
    EXPECT_EQ(sheet->cellText(30, 2), "62");
    EXPECT_LE(office.callCount() - beforeWrite, 10 + 2 * 2 * columns);   // the live reads of the check above
    workbook->close();
}

TEST_F(BulkRead, ofASheetWithConditionalFormatsStaysExact)
{
    const std::string file = OfficeEnvironment::root() + "/BulkRead/conditional.ods";
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        maker.text(0, 1, 1, "?").number(0, 1, 2, 5, "0.0");
        maker.addConditionalNumberFormat(0, "B1", "$A$1>1", "0.000");
        maker.save(file);
    }
    auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(file);
    auto sheet = std::dynamic_pointer_cast<CalcWorksheet>(workbook->activeSheet());
    EXPECT_EQ(sheet->cellText(1, 2), "5.0");
    sheet->setCellValue2(1, 1, 2);
    EXPECT_EQ(sheet->cellText(1, 2), sheet->liveCellText(1, 2));
    workbook->close();
}

// Conditional formats that only colour their cells change no text: a write
// makes none of their cells read again (only the few under a conditional
// number format).
TEST_F(BulkRead, cellsUnderConditionalColoursStayInTheCopyAfterWrites)
{
    const std::string file = OfficeEnvironment::root() + "/BulkRead/coloured.ods";
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        for (int row = 1; row <= 50; ++row)
            for (int column = 1; column <= 20; ++column)
                maker.number(0, row, column, row * column, "0.0");
        maker.text(0, 1, 1, "?");
        maker.addConditionalBackground(0, "A1:T50", "$A$1>1", 0xFFCC00);
        maker.addConditionalNumberFormat(0, "B2:B3", "$A$1>1", "0.000");
        maker.save(file);
    }
    auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(file);
    auto sheet = std::dynamic_pointer_cast<CalcWorksheet>(workbook->activeSheet());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->cellText(2, 2), "4.0");
    sheet->setCellValue2(1, 1, 2);
    const long before = OfficeEnvironment::session().callCount();
    for (int row = 1; row <= 50; ++row)
        for (int column = 1; column <= 20; ++column)
            sheet->cellText(row, column);
    EXPECT_LE(OfficeEnvironment::session().callCount() - before, 3);
    for (int row = 1; row <= 50; ++row)
        for (int column = 1; column <= 20; ++column)
            ASSERT_EQ(sheet->cellText(row, column), sheet->liveCellText(row, column)) << row << ", " << column;
    workbook->close();
}

} // namespace
} // namespace rm::lo::test
