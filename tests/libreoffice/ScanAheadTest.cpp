// The scan with its writes sent ahead must write exactly the cells the scan
// in order writes when it reads every cell live, by a call of its own: where
// a formula or a conditional format follows the written cells, the writes
// ahead give way.

#include "support/OfficeEnvironment.h"
#include "support/WorkbookMaker.h"

#include "engine/ForwardingSpreadsheet.h"
#include "engine/MarkedCells.h"
#include "engine/libreoffice/documents/CalcWorksheet.h"
#include "engine/libreoffice/documents/FormulaReferences.h"
#include "engine/libreoffice/process/OfficeSession.h"

#include <gtest/gtest.h>

namespace rm::lo::test {
namespace {

// The careful scan: every text read live, nothing sent ahead.
class LiveCells : public ForwardingWorksheet {
public:
    explicit LiveCells(const std::shared_ptr<CalcWorksheet>& sheet) : ForwardingWorksheet(sheet), m_sheet(*sheet) {}
    std::string cellText(int row, int column) override { return m_sheet.liveCellText(row, column); }
    void prepareScan(int, int, const ScanValues&) override {}

private:
    CalcWorksheet& m_sheet;
};

class QuietProgress : public ProgressIndicator {
public:
    void setMaximum(float) override {}
    void setMinimum(float) override {}
    float value() const override { return m_value; }
    void setValue(float value) override { m_value = value; }

private:
    float m_value = 0;
};

struct Scanned {
    std::vector<std::string> texts;   // every cell afterwards, row by row
    long calls = 0;                   // office calls of the scan
};

// Every marked cell receives `sum`.
Scanned scan(const std::string& file, bool careful, double sum)
{
    auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(file);
    auto calc = std::dynamic_pointer_cast<CalcWorksheet>(workbook->activeSheet());
    std::shared_ptr<Worksheet> sheet = calc;
    if (careful)
        sheet = std::make_shared<LiveCells>(calc);
    const ScanRectangle rectangle = measureScanRectangle(*sheet);
    MarkedSums sums(rectangle.rows, rectangle.sourceColumns(), false);
    SheetTexts source(rectangle.rows, rectangle.sourceColumns());
    for (long i = 0; i < source.cellCount(); ++i)
        source.setText(i, std::to_string(sum));
    sums.fold(source, NumericReader(NumericLocale{}));
    QuietProgress progress;
    Scanned scanned;
    const long before = OfficeEnvironment::session().callCount();
    sumMarkedCells(*sheet, rectangle, sums, progress);
    scanned.calls = OfficeEnvironment::session().callCount() - before;
    for (int row = 1; row <= rectangle.rows + 1; ++row)
        for (int column = 1; column <= rectangle.columns + 1; ++column)
            scanned.texts.push_back(std::to_string(row) + "," + std::to_string(column) + " " + calc->liveCellText(row, column));
    workbook->close();
    return scanned;
}

TEST(ScanAhead, givesWayWhereFormulasAndConditionalFormatsFollowTheWrites)
{
    const std::string file = OfficeEnvironment::folderFor("ScanAhead") + "/exact.ods";
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        maker.text(0, 1, 1, "?")
            // shows "?" until the earlier A1 is filled: not written
            .formula(0, 1, 2, "=IF(ISNUMBER(A1);A1*2;\"?\")")
            // gains a "?" only when the later D3 is written: not written, shows "late?" at the end
            .formula(0, 1, 3, "=IF(ISNUMBER(D3);\"late?\";\"\")")
            // conditional number formats that would show "?" once A1, or the
            // later D3, is filled (the office's cell texts leave them out:
            // they are read as cells any write may change)
            .number(0, 2, 1, 5)
            .addConditionalNumberFormat(0, "A2", "ISNUMBER($A$1)", "0\"?\"")
            .number(0, 2, 2, 7)
            .addConditionalNumberFormat(0, "B2", "ISNUMBER($D$3)", "0\"?\"")
            .text(0, 3, 4, "?")
            // "?" only while A1 is written and F4 not yet: written
            .formula(0, 3, 5, "=IF(COUNT(A1;F4)=1;\"?\";\"x\")")
            // later rows reading a filled mark: A4 loses its "?", B4 gains one
            .formula(0, 4, 1, "=A1&\"\"")
            .formula(0, 4, 2, "=IF(A1>100;\"big?\";\"small\")")
            .text(0, 4, 6, "?")
            // errors, an unknown function's "#NAME?", volatile functions
            .formula(0, 5, 1, "=1/0")
            .formula(0, 5, 2, "=NOSUCHFUNCTION(1)")
            .formula(0, 5, 3, "=IF(RAND()<2;\"?\";\"\")")
            .formula(0, 5, 4, "=IF(NOW()>0;F4;\"\")")
            .formula(0, 5, 5, "=INDIRECT(\"D3\")")
            .text(0, 6, 1, "total")
            .formula(0, 6, 2, "=SUM(A1:F5)");
        maker.save(file);
    }
    const Scanned careful = scan(file, true, 150);
    const Scanned ahead = scan(file, false, 150);
    EXPECT_EQ(ahead.texts, careful.texts);
    const std::vector<std::string> expected = {"1,1 150", "1,2 300", "1,3 late?", "2,1 5", "2,2 7", "3,4 150", "3,5 150",
                                               "4,1 150", "4,2 150", "4,6 150", "5,2 150", "5,3 150", "5,4 150"};
    for (const std::string& cell : expected)
        EXPECT_NE(std::find(careful.texts.begin(), careful.texts.end(), cell), careful.texts.end()) << cell;
}

TEST(ScanAhead, aReportOfFormulasOverItsMarksIsSummedInAFewCalls)
{
    const std::string file = OfficeEnvironment::folderFor("ScanAheadReport") + "/report.ods";
    const int rows = 40;
    const int columns = 12;
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        for (int row = 1; row <= rows; ++row) {
            maker.text(0, row, 1, "item " + std::to_string(row)).text(0, row, 2, "?");
            for (int column = 3; column <= columns; ++column)
                maker.formula(0, row, column, "=B" + std::to_string(row) + "*" + std::to_string(column));
        }
        maker.formula(0, rows + 1, 2, "=SUM(B1:B" + std::to_string(rows) + ")");
        maker.formula(0, rows + 1, 1, "=IF(B41>0;\"total\";\"?\")");
        maker.save(file);
    }
    const Scanned careful = scan(file, true, 2.5);
    const Scanned ahead = scan(file, false, 2.5);
    EXPECT_EQ(ahead.texts, careful.texts);
    EXPECT_LE(ahead.calls, 12);
    EXPECT_GT(careful.calls, rows * columns);
}

// Reads out of scan order and saving see only the writes made, never those sent ahead.
TEST(ScanAhead, readsOutOfOrderAndSavingSeeOnlyTheWritesMade)
{
    const std::string folder = OfficeEnvironment::folderFor("ScanAheadTakeBack");
    const std::string file = folder + "/order.ods";
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        maker.formula(0, 1, 1, "=SUM(B2:B3)")
            .formula(0, 1, 3, "=D1*2")
            .text(0, 2, 2, "?")
            .formula(0, 2, 3, "=B2*2")
            .number(0, 3, 2, 4, "0\"?\"")
            .formula(0, 3, 3, "=B3*2");
        maker.save(file);
    }
    auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(file);
    auto sheet = std::dynamic_pointer_cast<CalcWorksheet>(workbook->activeSheet());
    sheet->prepareScan(3, 3, [](int row, int) { return std::optional<double>(row * 10.0); });
    sheet->setCellValue2(2, 2, 20);
    EXPECT_EQ(sheet->cellText(2, 3), "40");   // B3's write may go ahead now
    EXPECT_EQ(sheet->cellText(3, 2), "4?");
    EXPECT_EQ(sheet->cellText(1, 1), "24");   // B3 still holds 4
    EXPECT_EQ(sheet->liveCellText(3, 3), "8");
    EXPECT_EQ(sheet->cellText(3, 3), "8");
    sheet->setCellValue2(1, 4, 5);   // outside the scan: every formula may follow it now
    EXPECT_EQ(sheet->cellText(1, 3), "10");
    sheet->saveAs(folder + "/saved.ods");
    workbook->close();
    auto saved = OfficeEnvironment::binding().createInstance()->openWorkbook(folder + "/saved.ods");
    EXPECT_EQ(saved->activeSheet()->cellText(3, 2), "4?");
    EXPECT_EQ(saved->activeSheet()->cellText(2, 2), "20");
    saved->close();
}

// Only what is certainly read on the own sheet is followed; anything else is not followable.
TEST(ScanAhead, formulasAreFollowedOnlyWhereTheirTextTellsEverythingTheyRead)
{
    auto blocks = [](const std::string& formula) {
        std::string text;
        const auto references = sameSheetReferences(formula);
        if (!references)
            return std::string("any");
        for (const CellBlock& block : *references)
            text += std::to_string(block.firstRow) + "," + std::to_string(block.firstColumn) + ":" +
                    std::to_string(block.lastRow) + "," + std::to_string(block.lastColumn) + " ";
        return text;
    };
    EXPECT_EQ(blocks("=B5*1E5+.5E-3"), "5,2:5,2 ");
    EXPECT_EQ(blocks("=SUM($C$10:A2;\"D4\"&\"x\"\"E5\")+if(true;AB3)"), "2,1:10,3 3,28:3,28 ");
    EXPECT_EQ(blocks("=COUNTIF(B:C;\"?\")"), "1,2:1048576,3 ");
    EXPECT_EQ(blocks("=ROW()+PI()"), "");
    for (const char* any : {"=$Sheet2.A1", "='My sheet'.A1", "=Total*2", "=INDIRECT(\"A1\")", "=OFFSET(A1;1;0)",
                            "=NOW()", "=rand()", "=SUM(3:3)", "=#REF!+1", "=Table1[Amount]", "=\"open", "=A1:Sheet2.B2"})
        EXPECT_EQ(blocks(any), "any") << any;
}

} // namespace
} // namespace rm::lo::test
