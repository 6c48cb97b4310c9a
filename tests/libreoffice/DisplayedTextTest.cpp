// The text a cell displays, as the merge reads it.

#include "support/OfficeEnvironment.h"
#include "support/WorkbookMaker.h"

#include "engine/ErrorNumbers.h"
#include "engine/libreoffice/process/OfficeSession.h"

#include <gtest/gtest.h>

namespace rm::lo::test {
namespace {

class DisplayedText : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::string folder = OfficeEnvironment::folderFor("DisplayedText");
        for (const char* extension : {".xls", ".xlsx", ".ods"}) {
            WorkbookMaker maker(OfficeEnvironment::session());
            maker.number(0, 1, 1, 1.236, "0.00")
                .formula(0, 2, 1, "=1/0")
                .formula(0, 3, 1, "=NOSUCHFUNCTION()")
                .number(0, 4, 1, -1234.5, "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)")
                .number(0, 5, 1, 0.1234, "0.00%")
                .text(0, 6, 1, "  text with blanks  ")
                .number(0, 7, 1, 123456789.125, "0.000")
                .number(0, 8, 1, 0);
            maker.save(folder + "/formats" + extension);
        }
    }

    static std::shared_ptr<Worksheet> open(const std::string& extension)
    {
        auto workbook =
            OfficeEnvironment::binding().global().openWorkbook(OfficeEnvironment::root() + "/DisplayedText/formats" + extension);
        return workbook->activeSheet();
    }
};

TEST_F(DisplayedText, showsFormattedNumbersErrorsAndTextsInEveryFormat)
{
    for (const char* extension : {".xls", ".xlsx", ".ods"}) {
        SCOPED_TRACE(extension);
        auto sheet = open(extension);
        EXPECT_EQ(sheet->cells(1, 1).text(), "1.24");
        EXPECT_EQ(sheet->cells(2, 1).text(), "#DIV/0!");
        if (std::string(extension) != ".xls") {   // .xls cannot keep an unknown function: it shows #N/A
            EXPECT_EQ(sheet->cells(3, 1).text(), "#NAME?");
        }
        EXPECT_EQ(sheet->cells(4, 1).text(), " (1,234.50)");
        EXPECT_EQ(sheet->cells(5, 1).text(), "12.34%");
        EXPECT_EQ(sheet->cells(6, 1).text(), "  text with blanks  ");
        EXPECT_EQ(sheet->cells(8, 1).text(), "0");
        EXPECT_EQ(sheet->cells(9, 1).text(), "");
        EXPECT_EQ(sheet->cells(200, 50).text(), "");
    }
}

TEST_F(DisplayedText, keepsTheNumberOfACellTooNarrowToShowIt)
{
    // The screen shows ### for it, but the number must still count in a sum.
    EXPECT_EQ(open(".xls")->cells(7, 1).text(), "123456789.125");
}

TEST_F(DisplayedText, followsTheOfficeLocale)
{
    OfficeOptions german;
    german.localeName = "de_DE";
    LibreOfficeBinding binding(german);
    auto sheet = binding.global().openWorkbook(OfficeEnvironment::root() + "/DisplayedText/formats.xls")->activeSheet();
    EXPECT_EQ(sheet->cells(1, 1).text(), "1,24");
    EXPECT_EQ(sheet->cells(5, 1).text(), "12,34%");
}

TEST_F(DisplayedText, refusesCellPositionsBeforeTheFirstCell)
{
    auto sheet = open(".ods");
    for (auto [row, column] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-3, 2}}) {
        try {
            sheet->cellText(row, column);
            ADD_FAILURE() << "no error for " << row << "," << column;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::CellAccessFailed);
        }
    }
}

} // namespace
} // namespace rm::lo::test
