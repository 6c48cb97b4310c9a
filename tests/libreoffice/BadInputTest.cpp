// Every kind of unusable input file gives its own error, promptly, and
// nothing waits for a person.

#include "support/OfficeEnvironment.h"
#include "support/WorkbookMaker.h"
#include "support/ZipWriter.h"

#include "engine/ErrorNumbers.h"
#include "engine/libreoffice/process/OfficeSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace rm::lo::test {
namespace {

enum class OpenAs { Source, Target };

class BadInput : public ::testing::Test {
protected:
    void SetUp() override { folder = testFolder(); }

    std::shared_ptr<Workbook> open(const std::string& path, OpenAs as)
    {
        if (as == OpenAs::Source)
            return OfficeEnvironment::binding().global().openWorkbook(path);
        return OfficeEnvironment::binding().createInstance()->openWorkbook(path);
    }

    // The error number of opening `path` (and taking its active sheet); 0 when it works.
    int openingFails(const std::string& path, OpenAs as, std::string* description = nullptr)
    {
        try {
            auto workbook = open(path, as);
            workbook->activeSheet();
            workbook->close();
            return 0;
        } catch (const Error& error) {
            if (description)
                *description = error.description();
            return error.number();
        }
    }

    std::string folder;
};

TEST_F(BadInput, missingFileIsNotFound)
{
    std::string description;
    EXPECT_EQ(openingFails(folder + "/missing.xls", OpenAs::Source, &description), ErrorNumber::DocumentNotFound);
    EXPECT_EQ(description, "无法打开文件 " + folder + "/missing.xls：文件不存在。");
    EXPECT_EQ(openingFails(folder + "/missing.xls", OpenAs::Target), ErrorNumber::DocumentNotFound);
}

TEST_F(BadInput, passwordProtectedWorkbookFailsToLoad)
{
    for (const char* extension : {".xls", ".ods"}) {   // the .xlsx filter stores no password
        SCOPED_TRACE(extension);
        const std::string path = folder + "/secret" + extension;
        WorkbookMaker maker(OfficeEnvironment::session());
        maker.number(0, 1, 1, 1);
        maker.save(path, "geheim");
        EXPECT_EQ(openingFails(path, OpenAs::Source), ErrorNumber::DocumentLoadFailed);
        EXPECT_EQ(openingFails(path, OpenAs::Target), ErrorNumber::DocumentLoadFailed);
    }
}

TEST_F(BadInput, randomBytesAndTextAreNoWorkbooks)
{
    std::mt19937 random(42);
    std::string bytes(20000, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    std::ofstream(folder + "/random.xls", std::ios::binary) << bytes;
    std::ofstream(folder + "/text.xls") << "just some words\nand a second line, with a comma\n";
    std::ofstream(folder + "/numbers.csv") << "1,2,3\n4,5,6\n";
    std::filesystem::create_directory(folder + "/folder.xls");
    for (const char* name : {"random.xls", "text.xls", "numbers.csv", "folder.xls"}) {
        SCOPED_TRACE(name);
        std::string description;
        EXPECT_EQ(openingFails(folder + "/" + name, OpenAs::Source, &description), ErrorNumber::NotAWorkbook);
        EXPECT_NE(description.find(name), std::string::npos) << description;
        EXPECT_EQ(openingFails(folder + "/" + name, OpenAs::Target), ErrorNumber::NotAWorkbook);
    }
}

TEST_F(BadInput, anHtmlTableNamedXlsIsAWorkbook)
{
    std::ofstream(folder + "/table.xls") << "<html><body><table><tr><td>label</td><td>12</td></tr>"
                                             "<tr><td>x</td><td>3.5</td></tr></table></body></html>";
    auto sheet = OfficeEnvironment::binding().global().openWorkbook(folder + "/table.xls")->activeSheet();
    EXPECT_EQ(sheet->cells(1, 1).text(), "label");
    EXPECT_EQ(sheet->cells(2, 2).text(), "3.5");
}

TEST_F(BadInput, anActiveChartSheetIsNoWorksheet)
{
    writeChartSheetWorkbook(folder + "/chart.xlsx", 1);
    std::string description;
    EXPECT_EQ(openingFails(folder + "/chart.xlsx", OpenAs::Source, &description), ErrorNumber::NotAWorksheet);
    EXPECT_NE(description.find("Chart1"), std::string::npos) << description;
    EXPECT_EQ(openingFails(folder + "/chart.xlsx", OpenAs::Target), ErrorNumber::NotAWorksheet);

    writeChartSheetWorkbook(folder + "/data.xlsx", 0);
    auto sheet = OfficeEnvironment::binding().global().openWorkbook(folder + "/data.xlsx")->activeSheet();
    EXPECT_EQ(sheet->cells(2, 1).text(), "2");
}

TEST_F(BadInput, aWorkbookOpenForEditingInAnotherOfficeCannotBeTheTarget)
{
    const std::string path = folder + "/busy.ods";
    {
        WorkbookMaker maker(OfficeEnvironment::session());
        maker.number(0, 1, 1, 4);
        maker.save(path);
    }
    LibreOfficeBinding other;
    auto held = other.createInstance()->openWorkbook(path);
    EXPECT_EQ(openingFails(path, OpenAs::Target), ErrorNumber::DocumentLoadFailed);
    // A source is only read: it still opens.
    EXPECT_EQ(openingFails(path, OpenAs::Source), 0);
    held->close();
    EXPECT_EQ(openingFails(path, OpenAs::Target), 0);
}

} // namespace
} // namespace rm::lo::test
