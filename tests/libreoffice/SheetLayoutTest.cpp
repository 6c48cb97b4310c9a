// Used-range counts and the active sheet of a loaded workbook.

#include "support/Biff5Workbook.h"
#include "support/OfficeEnvironment.h"
#include "support/WorkbookMaker.h"

#include "engine/ErrorNumbers.h"
#include "engine/libreoffice/documents/CalcDocument.h"
#include "engine/libreoffice/process/OfficeSession.h"

#include <gtest/gtest.h>

#include <fstream>

namespace rm::lo::test {
namespace {

const char* const Formats[] = {".xls", ".xlsx", ".ods"};

TEST(UsedRange, countsFromTheFirstUsedCellNotFromA1)
{
    const std::string folder = testFolder();
    for (const char* extension : Formats) {
        SCOPED_TRACE(extension);
        {
            WorkbookMaker maker(OfficeEnvironment::session());
            maker.text(0, 3, 2, "top left").number(0, 20, 6, 5);
            maker.save(folder + "/offset" + extension);
        }
        auto sheet = OfficeEnvironment::binding().global().openWorkbook(folder + "/offset" + extension)->activeSheet();
        EXPECT_EQ(sheet->usedRangeRowCount(), 18);
        EXPECT_EQ(sheet->usedRangeColumnCount(), 5);
    }
}

TEST(UsedRange, ofAnEmptySheetIsOneCell)
{
    const std::string path = testFolder() + "/empty.ods";
    WorkbookMaker(OfficeEnvironment::session()).save(path);
    auto sheet = OfficeEnvironment::binding().global().openWorkbook(path)->activeSheet();
    EXPECT_EQ(sheet->usedRangeRowCount(), 1);
    EXPECT_EQ(sheet->usedRangeColumnCount(), 1);
}

TEST(UsedRange, growsWithABackgroundColourAlone)
{
    const std::string path = testFolder() + "/coloured.ods";
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        maker.number(0, 1, 1, 1).background(0, 4, 3, 0xFFFF00);
        maker.save(path);
    }
    auto sheet = OfficeEnvironment::binding().global().openWorkbook(path)->activeSheet();
    EXPECT_EQ(sheet->usedRangeRowCount(), 4);
    EXPECT_EQ(sheet->usedRangeColumnCount(), 3);
}

// The file's active tab is the second of three; a hidden-loaded .xls reports
// its first sheet unless the binding reads the tab from the file.
TEST(ActiveSheet, isTheTabActiveWhenSavedInEveryFormat)
{
    const std::string folder = testFolder();
    for (const char* extension : Formats) {
        SCOPED_TRACE(extension);
        const std::string path = folder + "/second" + extension;
        {
            WorkbookMaker maker(OfficeEnvironment::session(), {"First", "Second", "Third"});
            maker.text(0, 1, 1, "first").text(1, 1, 1, "second").text(2, 1, 1, "third").activeSheet(1);
            maker.save(path);
        }
        auto source = OfficeEnvironment::binding().global().openWorkbook(path);
        EXPECT_EQ(source->activeSheet()->cells(1, 1).text(), "second");
        // .xls and .xlsx name their active sheet: the source loads without a view.
        const bool hasView = std::static_pointer_cast<CalcDocument>(source)->model()->getCurrentController().is();
        EXPECT_EQ(hasView, std::string(extension) == ".ods");
        source->close();

        auto app = OfficeEnvironment::binding().createInstance();
        auto target = app->openWorkbook(path);
        EXPECT_EQ(target->activeSheet()->cells(1, 1).text(), "second");
        target->close();
    }
}

bool loadedWithView(const std::shared_ptr<Workbook>& workbook)
{
    return std::static_pointer_cast<CalcDocument>(workbook)->model()->getCurrentController().is();
}

// BIFF5 names are in the workbook's code page (GBK here); one that nothing
// knows leaves the sheet's index to go by.
TEST(ActiveSheet, ofABiff5WorkbookIsFoundWhateverItsCodePage)
{
    const std::string folder = testFolder();
    for (const std::uint16_t codePage : {936, 1}) {
        SCOPED_TRACE(codePage);
        const std::string path = folder + "/biff5-" + std::to_string(codePage) + ".xls";
        std::ofstream(path, std::ios::binary)
            << compoundFileWith("Book", biff5BookStream({{"\xCA\xD5\xC8\xEB", "\xD6\xA7\xB3\xF6", "x"}, codePage, 1}));
        auto source = OfficeEnvironment::binding().global().openWorkbook(path);
        EXPECT_EQ(source->activeSheet()->cellText(1, 1), "2");
        EXPECT_FALSE(loadedWithView(source));
        source->close();
    }
}

// An encrypted .xls (the default password, which the office tries by itself)
// hides its sheet records: the active sheet is the one its view shows.
TEST(ActiveSheet, ofAnEncryptedWorkbookIsTheOneItsViewShows)
{
    const std::string path = testFolder() + "/encrypted.xls";
    {
        WorkbookMaker maker(OfficeEnvironment::session(), {"First", "Second", "Third"});
        maker.text(0, 1, 1, "first").text(1, 1, 1, "second").text(2, 1, 1, "third").activeSheet(1);
        maker.save(path, "VelvetSweatshop");
    }
    auto source = OfficeEnvironment::binding().global().openWorkbook(path);
    EXPECT_EQ(source->activeSheet()->cellText(1, 1), "second");
    EXPECT_TRUE(loadedWithView(source));
    source->close();
}

TEST(ActiveSheet, staysActiveInTheSavedCopy)
{
    const std::string folder = testFolder();
    {
        WorkbookMaker maker(OfficeEnvironment::session(), {"First", "Second", "Third"});
        maker.text(0, 1, 1, "first").text(1, 1, 1, "second").activeSheet(1);
        maker.save(folder + "/template.xls");
    }
    auto app = OfficeEnvironment::binding().createInstance();
    auto target = app->openWorkbook(folder + "/template.xls");
    auto sheet = target->activeSheet();
    sheet->activate();
    sheet->saveAs(folder + "/copy.xls");
    target->close();
    auto copy = OfficeEnvironment::binding().global().openWorkbook(folder + "/copy.xls");
    EXPECT_EQ(copy->activeSheet()->cells(1, 1).text(), "second");
    copy->close();
}

TEST(ActiveSheet, ofTheSameWorkbookIsOneHandle)
{
    const std::string path = testFolder() + "/one.ods";
    WorkbookMaker(OfficeEnvironment::session()).save(path);
    auto workbook = OfficeEnvironment::binding().global().openWorkbook(path);
    EXPECT_EQ(workbook->activeSheet(), workbook->activeSheet());
    workbook->close();
    workbook->close();   // closing twice is harmless
}

} // namespace
} // namespace rm::lo::test
