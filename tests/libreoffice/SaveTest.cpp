// Saving the target: formats by extension, zero display, and never onto an open source.

#include "support/OfficeEnvironment.h"
#include "support/SavedView.h"
#include "support/WorkbookMaker.h"

#include "engine/ErrorNumbers.h"
#include "engine/libreoffice/process/OfficeSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace rm::lo::test {
namespace {

std::string fileHead(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(4, '\0');
    in.read(head.data(), 4);
    return head;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::string CompoundFileHead = "\xD0\xCF\x11\xE0";
const std::string ZipHead = "PK\x03\x04";

class Saving : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testFolder();
        WorkbookMaker maker(OfficeEnvironment::session(), {"Cover", "Report"});
        maker.text(0, 1, 1, "cover").number(1, 1, 1, 0).number(1, 1, 2, 7).activeSheet(1);
        maker.save(folder + "/template.xls");
        maker.save(folder + "/source.xls");
    }

    std::string folder;
};

TEST_F(Saving, storesEachFormatWithZerosHiddenAndTheSheetActive)
{
    const struct {
        const char* name;
        std::string head;
    } outputs[] = {{"out.xls", CompoundFileHead}, {"out.xlsx", ZipHead}, {"out.ods", ZipHead}, {"OUT2.XLSX", ZipHead}};
    for (const auto& output : outputs) {
        SCOPED_TRACE(output.name);
        auto app = OfficeEnvironment::binding().createInstance();
        app->setDisplayAlerts(false);
        auto target = app->openWorkbook(folder + "/template.xls");
        auto sheet = target->activeSheet();
        sheet->setCellValue2(1, 3, 12.5);
        sheet->activate();
        app->setActiveWindowDisplayZeros(false);
        sheet->saveAs(folder + "/" + output.name);
        target->close();

        const std::string path = folder + "/" + output.name;
        EXPECT_EQ(fileHead(path), output.head);
        const SavedView saved = readSavedView(OfficeEnvironment::session(), path);
        EXPECT_FALSE(saved.showsZeroValues);
        EXPECT_EQ(saved.activeSheetName, "Report");
        auto copy = OfficeEnvironment::binding().global().openWorkbook(path);
        EXPECT_EQ(copy->activeSheet()->cells(1, 3).text(), "12.5");
        copy->close();
    }
}

TEST_F(Saving, handlesNonAsciiNamesAndBlanks)
{
    const std::string chinese = folder + "/数据 文件夹";
    std::filesystem::create_directory(chinese);
    std::filesystem::copy_file(folder + "/source.xls", chinese + "/报表 一.xls");
    auto source = OfficeEnvironment::binding().global().openWorkbook(chinese + "/报表 一.xls");
    EXPECT_EQ(source->activeSheet()->cells(1, 2).text(), "7");
    auto target = OfficeEnvironment::binding().createInstance()->openWorkbook(folder + "/template.xls");
    try {
        target->activeSheet()->saveAs(chinese + "/报表 一.xls");
        ADD_FAILURE() << "saved onto an open source";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::SaveOntoOpenDocument);
        EXPECT_NE(error.description().find("报表 一.xls"), std::string::npos) << error.description();
    }
    target->activeSheet()->saveAs(chinese + "/汇总％#.xlsx");
    source->close();
    target->close();
    EXPECT_EQ(fileHead(chinese + "/汇总％#.xlsx"), ZipHead);
}

TEST_F(Saving, keepsTheTemplatesFormatForAnUnknownExtension)
{
    auto target = OfficeEnvironment::binding().createInstance()->openWorkbook(folder + "/template.xls");
    target->activeSheet()->saveAs(folder + "/out.report");
    target->close();
    EXPECT_EQ(fileHead(folder + "/out.report"), CompoundFileHead);
}

TEST_F(Saving, replacesAnExistingFile)
{
    std::ofstream(folder + "/old.xls") << "old content";
    auto target = OfficeEnvironment::binding().createInstance()->openWorkbook(folder + "/template.xls");
    target->activeSheet()->saveAs(folder + "/old.xls");
    target->close();
    EXPECT_EQ(fileHead(folder + "/old.xls"), CompoundFileHead);
}

TEST_F(Saving, refusesToOverwriteAnOpenSourceUnderAnySpelling)
{
    const std::string before = fileBytes(folder + "/source.xls");
    std::filesystem::create_symlink(folder + "/source.xls", folder + "/link.xls");
    auto source = OfficeEnvironment::binding().global().openWorkbook(folder + "/source.xls");
    auto target = OfficeEnvironment::binding().createInstance()->openWorkbook(folder + "/template.xls");
    for (const std::string& spelling : {folder + "/source.xls", folder + "/./source.xls", folder + "//link.xls"}) {
        SCOPED_TRACE(spelling);
        try {
            target->activeSheet()->saveAs(spelling);
            ADD_FAILURE() << "saved onto an open source";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::SaveOntoOpenDocument);
            EXPECT_NE(error.description().find("source.xls"), std::string::npos) << error.description();
        }
    }
    EXPECT_EQ(fileBytes(folder + "/source.xls"), before);
    source->close();
    target->activeSheet()->saveAs(folder + "/source.xls");   // no longer open: allowed
    target->close();
}

TEST_F(Saving, afterSavingTheWorkbookIsTheNewFile)
{
    auto app = OfficeEnvironment::binding().createInstance();
    auto output = app->openWorkbook(folder + "/template.xls");
    output->activeSheet()->saveAs(folder + "/output.xls");
    auto other = app->openWorkbook(folder + "/source.xls");
    try {
        other->activeSheet()->saveAs(folder + "/output.xls");
        ADD_FAILURE() << "saved onto the open output";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::SaveOntoOpenDocument);
    }
    // The template is no longer in use: another workbook may be saved over it.
    other->activeSheet()->saveAs(folder + "/template.xls");
    other->close();
    output->close();
}

TEST_F(Saving, failsNamingThePathWhereNoFileCanBeMade)
{
    auto target = OfficeEnvironment::binding().createInstance()->openWorkbook(folder + "/template.xls");
    // A missing folder is not made on the way; a file cannot hold one.
    for (const std::string& path : {folder + "/no/such/folder/out.xls", folder + "/source.xls/out.xls"}) {
        SCOPED_TRACE(path);
        try {
            target->activeSheet()->saveAs(path);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::SaveFailed);
            EXPECT_NE(error.description().find(path), std::string::npos) << error.description();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(folder + "/no"));
    target->close();
}

} // namespace
} // namespace rm::lo::test
