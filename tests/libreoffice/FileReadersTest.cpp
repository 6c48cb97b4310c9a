// The binding's own readers of file contents, without an office or its headers.

#include "support/Biff5Workbook.h"

#include "engine/libreoffice/files/CsvGrid.h"
#include "engine/libreoffice/files/SaveFilter.h"
#include "engine/libreoffice/files/WorkbookFileInfo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <unistd.h>
#include <filesystem>
#include <fstream>

namespace rm::lo {
namespace {

TEST(CsvGrid, unquotesFieldsWithSeparatorsQuotesAndLineBreaks)
{
    const CsvGrid grid("1.24\t\"a\tb\"\t\"say \"\"hi\"\"\"\n\"two\nlines\"\t\t\"  x  \"\n", '\t');
    EXPECT_EQ(grid.text(1, 1), "1.24");
    EXPECT_EQ(grid.text(1, 2), "a\tb");
    EXPECT_EQ(grid.text(1, 3), "say \"hi\"");
    EXPECT_EQ(grid.text(2, 1), "two\nlines");
    EXPECT_EQ(grid.text(2, 2), "");
    EXPECT_EQ(grid.text(2, 3), "  x  ");
}

TEST(CsvGrid, cellsBeyondTheTextAreEmpty)
{
    const CsvGrid grid("a\tb\r\nc\r\n", '\t');
    EXPECT_EQ(grid.text(2, 1), "c");
    EXPECT_EQ(grid.text(2, 2), "");
    EXPECT_EQ(grid.text(3, 1), "");
    EXPECT_EQ(grid.text(1, 99), "");
    EXPECT_EQ(grid.text(0, 1), "");
    EXPECT_EQ(CsvGrid("", '\t').text(1, 1), "");
}

TEST(CsvGrid, keepsAQuoteInsideAnUnquotedField)
{
    EXPECT_EQ(CsvGrid("5\"\tx\n", '\t').text(1, 1), "5\"");
}

TEST(SaveFilter, followsTheExtensionWhateverItsCase)
{
    EXPECT_EQ(saveFilterForPath("/a/b.xls"), "MS Excel 97");
    EXPECT_EQ(saveFilterForPath("/a/B.XLS"), "MS Excel 97");
    EXPECT_EQ(saveFilterForPath("/a/b.Xlsx"), "Calc MS Excel 2007 XML");
    EXPECT_EQ(saveFilterForPath("/a/b.ods"), "calc8");
    EXPECT_EQ(saveFilterForPath("/a/b.csv"), "");
    EXPECT_EQ(saveFilterForPath("/a.xls/report"), "");
}

std::string record(uint16_t type, const std::string& data)
{
    std::string out;
    out += char(type & 0xFF);
    out += char(type >> 8);
    out += char(data.size() & 0xFF);
    out += char(data.size() >> 8);
    return out + data;
}

std::string boundSheet(const std::string& name, uint8_t kind, bool wide)
{
    std::string data(4, '\0');
    data += '\0';   // visible
    data += char(kind);
    data += char(name.size());
    data += char(wide ? 1 : 0);
    for (char c : name) {
        data += c;
        if (wide)
            data += '\0';
    }
    return record(0x0085, data);
}

std::string window1(uint16_t activeTab)
{
    std::string data(10, '\0');
    data += char(activeTab & 0xFF);
    data += char(activeTab >> 8);
    data += std::string(6, '\0');
    return record(0x003D, data);
}

std::string bof()
{
    return record(0x0809, std::string("\x00\x06\x05\x00", 4) + std::string(12, '\0'));
}

TEST(BiffWorkbook, readsTheActiveTabAndTheChartSheets)
{
    const std::string stream = bof() + window1(2) + boundSheet("Data", 0, false) + boundSheet("Mid", 0, true) +
                               boundSheet("Chart1", 2, false) + record(0x000A, "") + window1(0) + record(0x000A, "");
    const auto info = parseBiffWorkbookStream(stream);
    ASSERT_TRUE(info);
    ASSERT_EQ(info->sheets.size(), 3u);
    EXPECT_EQ(info->activeIndex, 2);
    EXPECT_EQ(info->sheets[1].name, "Mid");
    EXPECT_FALSE(info->sheets[1].chart);
    ASSERT_NE(info->activeSheet(), nullptr);
    EXPECT_TRUE(info->activeSheet()->chart);
    EXPECT_EQ(info->activeSheet()->name, "Chart1");
}

TEST(BiffWorkbook, refusesTruncatedOrForeignStreams)
{
    EXPECT_FALSE(parseBiffWorkbookStream(""));
    EXPECT_FALSE(parseBiffWorkbookStream("garbage that is not biff"));
    const std::string whole = bof() + window1(0) + boundSheet("Data", 0, false) + record(0x000A, "");
    EXPECT_FALSE(parseBiffWorkbookStream(whole.substr(0, whole.size() - 7)));
    EXPECT_FALSE(readBinaryWorkbookInfo("PK\x03\x04 not a compound file"));
    EXPECT_FALSE(readBinaryWorkbookInfo(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\xFF')));
}

TEST(BiffWorkbook, anActiveTabBeyondTheSheetsNamesNoSheet)
{
    const auto info = parseBiffWorkbookStream(bof() + window1(7) + boundSheet("Data", 0, false) + record(0x000A, ""));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->activeSheet(), nullptr);
}

// GBK bytes of 收入 and 支出.
const std::string Income = "\xCA\xD5\xC8\xEB";
const std::string Spending = "\xD6\xA7\xB3\xF6";

TEST(BiffWorkbook, decodesBiff5SheetNamesInTheWorkbooksCodePage)
{
    const auto info = parseBiffWorkbookStream(test::biff5BookStream({{Income, Spending}, 936, 1}));
    ASSERT_TRUE(info);
    ASSERT_EQ(info->sheets.size(), 2u);
    EXPECT_EQ(info->sheets[0].name, "收入");
    EXPECT_EQ(info->activeSheet()->name, "支出");

    // Windows-1252 is more than Latin-1.
    const auto western = parseBiffWorkbookStream(test::biff5BookStream({{"\x80 Q1", "Q2"}, 1252, 0}));
    ASSERT_TRUE(western);
    EXPECT_EQ(western->activeSheet()->name, "€ Q1");
}

TEST(BiffWorkbook, aCodePageNobodyKnowsLeavesTheIndexAlone)
{
    const auto info = parseBiffWorkbookStream(test::biff5BookStream({{Income, Spending}, 1, 1}));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->activeIndex, 1);
    EXPECT_EQ(info->activeSheet()->name, "");
}

TEST(BiffWorkbook, isReadOutOfItsCompoundFileWhateverTheStreamNamesCase)
{
    const std::string stream = test::biff5BookStream({{Income, Spending}, 936, 1});
    for (const char* name : {"Book", "BOOK", "Workbook"}) {
        SCOPED_TRACE(name);
        const auto info = readBinaryWorkbookInfo(test::compoundFileWith(name, stream));
        ASSERT_TRUE(info);
        EXPECT_EQ(info->activeSheet()->name, "支出");
    }
    EXPECT_FALSE(readBinaryWorkbookInfo(test::compoundFileWith("Other", stream)));
    const std::string file = test::compoundFileWith("Book", stream);
    EXPECT_FALSE(readBinaryWorkbookInfo(file.substr(0, 1024)));   // cut inside the stream
}

// A file whose records after FILEPASS are encrypted tells nothing.
TEST(BiffWorkbook, anEncryptedWorkbookTellsNothing)
{
    EXPECT_FALSE(parseBiffWorkbookStream(bof() + record(0x002F, std::string(54, '\x11')) +
                                         record(0x0085, std::string(20, '\x5A')) + record(0x000A, "")));
}

TEST(OpenXmlWorkbook, decodesCharacterReferencesInSheetNames)
{
    const auto info = parseOpenXmlWorkbook(
        "<workbook xmlns:r=\"r\"><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>"
        "<sheet name=\"&#x6536;&#20837; &lt;1&gt;\" r:id=\"rId1\"/></sheets></workbook>",
        "");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->activeSheet()->name, "收入 <1>");
    EXPECT_FALSE(parseOpenXmlWorkbook("<workbook><sheets><sheet name=\"cut", ""));
}

TEST(OpenXmlWorkbook, tellsChartSheetsByTheirRelationship)
{
    const std::string workbook =
        "<?xml version=\"1.0\"?><x:workbook xmlns:x=\"m\" xmlns:r=\"r\"><x:bookViews>"
        "<x:workbookView xWindow=\"0\" activeTab=\"1\"/></x:bookViews><x:sheets>"
        "<x:sheet name=\"A &amp; B\" sheetId=\"1\" r:id=\"rId7\"/><x:sheet name=\"Chart1\" sheetId=\"2\" r:id=\"rId8\"/>"
        "</x:sheets></x:workbook>";
    const std::string relationships =
        "<Relationships><Relationship Id=\"rId8\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/chartsheet\" Target=\"chartsheets/sheet1.xml\"/><Relationship Id=\"rId7\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
        "Target=\"worksheets/sheet1.xml\"/></Relationships>";
    const auto info = parseOpenXmlWorkbook(workbook, relationships);
    ASSERT_TRUE(info);
    ASSERT_EQ(info->sheets.size(), 2u);
    EXPECT_EQ(info->sheets[0].name, "A & B");
    EXPECT_FALSE(info->sheets[0].chart);
    EXPECT_EQ(info->activeIndex, 1);
    EXPECT_TRUE(info->activeSheet()->chart);
}

TEST(OpenXmlWorkbook, withoutAViewTheFirstSheetIsActive)
{
    const auto info = parseOpenXmlWorkbook("<workbook><sheets><sheet name=\"Only\" r:id=\"rId1\"/></sheets></workbook>", "");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->activeSheet()->name, "Only");
    EXPECT_FALSE(info->activeSheet()->chart);
}

} // namespace
} // namespace rm::lo
