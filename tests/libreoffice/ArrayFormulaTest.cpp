// A cell of an array formula over several cells is never written alone.

#include "support/OfficeEnvironment.h"
#include "support/WorkbookMaker.h"

#include "engine/ErrorNumbers.h"

#include <gtest/gtest.h>

namespace rm::lo::test {
namespace {

TEST(ArrayFormula, aWriteIntoPartOfAnArrayIsRefusedAndChangesNothing)
{
    const std::string file = OfficeEnvironment::folderFor("ArrayFormula") + "/array.ods";
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        maker.text(0, 1, 1, "?").formula(0, 1, 2, "=A1*2");
        maker.arrayFormula(0, "B3:C4", "=NOSUCHFUNCTION(1)");
        maker.arrayFormula(0, "E5", "=NOSUCHFUNCTION(1)");
        maker.save(file);
    }
    auto workbook = OfficeEnvironment::binding().createInstance()->openWorkbook(file);
    auto sheet = workbook->activeSheet();
    sheet->setCellValue2(1, 1, 4);   // gathered, not yet sent
    try {
        sheet->setCellValue2(4, 3, 1);
        FAIL() << "a cell of an array of four cells was written";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::MarkInArrayFormula);
        EXPECT_NE(error.description().find("单元格 C4 显示“#NAME?”"), std::string::npos) << error.description();
        EXPECT_NE(error.description().find("B3:C4"), std::string::npos) << error.description();
    }
    for (int row = 3; row <= 4; ++row)
        for (int column = 2; column <= 3; ++column)
            EXPECT_EQ(sheet->cellText(row, column), "#NAME?") << row << ", " << column;
    EXPECT_EQ(sheet->cellText(1, 2), "8");   // the write before still counts
    sheet->setCellValue2(5, 5, 3);           // an array of one cell is replaced whole
    sheet->setCellValue2(1, 2, 7);           // as is any other formula
    EXPECT_EQ(sheet->cellText(5, 5), "3");
    EXPECT_EQ(sheet->cellText(1, 2), "7");
    workbook->close();
}

} // namespace
} // namespace rm::lo::test
