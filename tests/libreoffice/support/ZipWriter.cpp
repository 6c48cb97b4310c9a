#include "ZipWriter.h"

#include <zlib.h>

#include <cstdint>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace rm::lo::test {

namespace {

void put16(std::string& out, uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void put32(std::string& out, uint32_t v)
{
    put16(out, uint16_t(v & 0xFFFF));
    put16(out, uint16_t(v >> 16));
}

} // namespace

void writeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string archive;
    std::string directory;
    for (const auto& [name, content] : entries) {
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(content.data()), uInt(content.size()));
        const uint32_t offset = uint32_t(archive.size());
        put32(archive, 0x04034b50);
        put16(archive, 20);
        put16(archive, 0);
        put16(archive, 0);   // stored
        put16(archive, 0);
        put16(archive, 0x21);
        put32(archive, crc);
        put32(archive, uint32_t(content.size()));
        put32(archive, uint32_t(content.size()));
        put16(archive, uint16_t(name.size()));
        put16(archive, 0);
        archive += name;
        archive += content;

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0x21);
        put32(directory, crc);
        put32(directory, uint32_t(content.size()));
        put32(directory, uint32_t(content.size()));
        put16(directory, uint16_t(name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory += name;
    }
    const uint32_t directoryOffset = uint32_t(archive.size());
    archive += directory;
    put32(archive, 0x06054b50);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, uint16_t(entries.size()));
    put16(archive, uint16_t(entries.size()));
    put32(archive, uint32_t(directory.size()));
    put32(archive, directoryOffset);
    put16(archive, 0);
    std::ofstream out(path, std::ios::binary);
    out << archive;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

namespace {

struct SheetPart {
    std::string name;   // "Data"
    bool chart;         // a chart sheet, else a worksheet
    std::string xml;
};

// An Office Open XML package of these sheets, the `activeTab`-th active.
void writeOpenXmlWorkbook(const std::string& path, const std::vector<SheetPart>& sheets, int activeTab)
{
    const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string ct = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
    std::string overrides, sheetList, relations;
    std::vector<std::pair<std::string, std::string>> parts;
    for (size_t i = 0; i < sheets.size(); ++i) {
        const std::string id = std::to_string(i + 1);
        const std::string folder = sheets[i].chart ? "chartsheets" : "worksheets";
        const std::string file = folder + "/sheet" + id + ".xml";
        overrides += "<Override PartName=\"/xl/" + file + "\" ContentType=\"" + ct +
                     (sheets[i].chart ? "chartsheet" : "worksheet") + "+xml\"/>";
        sheetList += "<sheet name=\"" + sheets[i].name + "\" sheetId=\"" + id + "\" r:id=\"rId" + id + "\"/>";
        relations += "<Relationship Id=\"rId" + id + "\" Type=\"" + rel + (sheets[i].chart ? "/chartsheet" : "/worksheet") +
                     "\" Target=\"" + file + "\"/>";
        parts.emplace_back("xl/" + file, sheets[i].xml);
    }
    std::vector<std::pair<std::string, std::string>> entries = {
        {"[Content_Types].xml",
         header + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                  "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                  "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                  "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" + ct + "sheet.main+xml\"/>" +
             overrides + "</Types>"},
        {"_rels/.rels",
         header + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                  "<Relationship Id=\"rId1\" Type=\"" + rel + "/officeDocument\" Target=\"xl/workbook.xml\"/>"
                  "</Relationships>"},
        {"xl/workbook.xml",
         header + "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\">"
                  "<bookViews><workbookView activeTab=\"" + std::to_string(activeTab) + "\"/></bookViews>"
                  "<sheets>" + sheetList + "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         header + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + relations +
             "</Relationships>"},
    };
    entries.insert(entries.end(), parts.begin(), parts.end());
    writeZip(path, entries);
}

} // namespace

void writeChartSheetWorkbook(const std::string& path, int activeTab)
{
    const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    writeOpenXmlWorkbook(path,
                         {{"Data", false,
                           header + "<worksheet xmlns=\"" + main + "\"><sheetData>"
                                    "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"2\"><c r=\"A2\"><v>2</v></c></row>"
                                    "</sheetData></worksheet>"},
                          {"Chart1", true,
                           header + "<chartsheet xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\">"
                                    "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews></chartsheet>"}},
                         activeTab);
}

void writeOneSheetWorkbook(const std::string& path, const std::string& sheetXml)
{
    writeOpenXmlWorkbook(path, {{"Data", false, sheetXml}}, 0);
}

std::string worksheetXml(const std::vector<std::pair<std::string, double>>& cells, const std::string& dimension)
{
    // Rows in ascending order, as the format requires.
    std::map<long, std::string> rows;
    for (const auto& [reference, value] : cells) {
        size_t digits = 0;
        while (digits < reference.size() && std::isalpha(static_cast<unsigned char>(reference[digits])))
            ++digits;
        std::ostringstream cell;
        cell.precision(17);
        cell << "<c r=\"" << reference << "\"><v>" << value << "</v></c>";
        rows[std::stol(reference.substr(digits))] += cell.str();
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    if (!dimension.empty())
        xml += "<dimension ref=\"" + dimension + "\"/>";
    xml += "<sheetData>";
    for (const auto& [row, content] : rows)
        xml += "<row r=\"" + std::to_string(row) + "\">" + content + "</row>";
    return xml + "</sheetData></worksheet>";
}

} // namespace rm::lo::test
