#include "engine/libreoffice/files/WorkbookFileInfo.h"

#include "engine/libreoffice/files/CompoundFile.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <rtl/textenc.h>
#include <rtl/tencinfo.h>
#include <rtl/ustring.hxx>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace rm::lo {

using rtl::OString;
using rtl::OUString;
using rtl::OStringToOUString;
using rtl::OUStringToOString;

namespace {

constexpr uint16_t RecordEof = 0x000A;
constexpr uint16_t RecordBof = 0x0809;
constexpr uint16_t RecordWindow1 = 0x003D;
constexpr uint16_t RecordBoundSheet = 0x0085;
constexpr uint16_t RecordFilePass = 0x002F;
constexpr uint16_t RecordCodePage = 0x0042;
constexpr uint8_t SheetTypeChart = 0x02;

uint16_t u16(const std::string& b, size_t at)
{
    return static_cast<uint16_t>(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// The text encoding of a CODEPAGE record's value. Besides Windows code pages
// the record names Apple Roman (32768) and, in old files, ANSI (32769).
rtl_TextEncoding encodingOfCodePage(uint16_t codePage)
{
    switch (codePage) {
    case 32768:
        return RTL_TEXTENCODING_APPLE_ROMAN;
    case 32769:
        return RTL_TEXTENCODING_MS_1252;
    default:
        return rtl_getTextEncodingFromWindowsCodePage(codePage);
    }
}

std::string utf8Of(const OUString& text)
{
    const OString bytes = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<size_t>(bytes.getLength()));
}

std::string decoded(const std::string& bytes, rtl_TextEncoding encoding)
{
    return utf8Of(OStringToOUString(OString(bytes.data(), sal_Int32(bytes.size())), encoding));
}

// BOUNDSHEET's sheet name: BIFF8 has a flags byte (UTF-16LE or compressed
// 8-bit, that is Latin-1); BIFF5's 8-bit name is in the workbook's code page,
// so it is returned undecoded (`encoded`).
std::string boundSheetName(const std::string& data, bool biff8, bool& encoded)
{
    encoded = false;
    if (data.size() < 7)
        return {};
    const size_t length = uint8_t(data[6]);
    if (!biff8) {
        encoded = true;
        return data.substr(7, length);
    }
    if (data.size() < 8)
        return {};
    if (!(uint8_t(data[7]) & 1))
        return decoded(data.substr(8, length), RTL_TEXTENCODING_ISO_8859_1);
    std::vector<sal_Unicode> wide;
    for (size_t i = 0; i < length && 8 + 2 * i + 2 <= data.size(); ++i)
        wide.push_back(u16(data, 8 + 2 * i));
    return utf8Of(OUString(wide.data(), sal_Int32(wide.size())));
}

struct XmlDocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
using XmlDocument = std::unique_ptr<xmlDoc, XmlDocumentDeleter>;

XmlDocument parsedXml(const std::string& xml)
{
    if (xml.empty())
        return nullptr;
    return XmlDocument(xmlReadMemory(xml.data(), int(xml.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

// A name without its namespace prefix (an undeclared prefix stays in the name).
std::string localName(const xmlChar* name)
{
    const std::string text = reinterpret_cast<const char*>(name);
    const size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

using Attributes = std::map<std::string, std::string>;

// Document order; libxml2 bounds the depth.
void collect(xmlNode* node, const std::string& element, std::vector<Attributes>& found)
{
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        if (localName(node->name) == element) {
            Attributes attributes;
            for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
                xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute));
                attributes[localName(attribute->name)] = value ? reinterpret_cast<const char*>(value) : "";
                xmlFree(value);
            }
            found.push_back(std::move(attributes));
        }
        collect(node->children, element, found);
    }
}

// The decoded attributes, by local name, of every element named `element` (any namespace).
std::vector<Attributes> elements(const XmlDocument& document, const std::string& element)
{
    std::vector<Attributes> found;
    if (document)
        collect(xmlDocGetRootElement(document.get()), element, found);
    return found;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::optional<WorkbookFileInfo> parseBiffWorkbookStream(const std::string& stream)
{
    WorkbookFileInfo info;
    bool biff8 = true;
    bool sawWindow = false;
    rtl_TextEncoding encoding = RTL_TEXTENCODING_MS_1252;   // without a CODEPAGE record
    std::vector<bool> encodedNames;
    size_t at = 0;
    bool first = true;
    while (at + 4 <= stream.size()) {
        const uint16_t type = u16(stream, at);
        const uint16_t length = u16(stream, at + 2);
        if (at + 4 + length > stream.size())
            return std::nullopt;
        const std::string data = stream.substr(at + 4, length);
        at += 4 + length;
        if (first) {
            if ((type & 0xFF) != (RecordBof & 0xFF) || data.size() < 2)
                return std::nullopt;
            biff8 = u16(data, 0) == 0x0600;
            first = false;
            continue;
        }
        if (type == RecordEof || type == RecordFilePass)
            break;
        if (type == RecordWindow1 && data.size() >= 12 && !sawWindow) {
            info.activeIndex = u16(data, 10);
            sawWindow = true;
        } else if (type == RecordCodePage && data.size() >= 2) {
            encoding = encodingOfCodePage(u16(data, 0));
        } else if (type == RecordBoundSheet && data.size() >= 6) {
            bool encoded = false;
            info.sheets.push_back({boundSheetName(data, biff8, encoded), uint8_t(data[5]) == SheetTypeChart});
            encodedNames.push_back(encoded);
        }
    }
    if (first || info.sheets.empty())
        return std::nullopt;
    // A code page that rtl does not know leaves the names undecoded: the
    // active sheet is then found by its index.
    for (size_t i = 0; i < info.sheets.size(); ++i)
        if (encodedNames[i])
            info.sheets[i].name =
                encoding == RTL_TEXTENCODING_DONTKNOW ? std::string() : decoded(info.sheets[i].name, encoding);
    return info;
}

std::optional<WorkbookFileInfo> readBinaryWorkbookInfo(const std::string& fileBytes)
{
    if (!looksLikeCompoundFile(fileBytes))
        return std::nullopt;
    auto stream = readCompoundFileStream(fileBytes, "Workbook");
    if (!stream)
        stream = readCompoundFileStream(fileBytes, "Book");
    if (!stream)
        return std::nullopt;
    return parseBiffWorkbookStream(*stream);
}

std::optional<WorkbookFileInfo> parseOpenXmlWorkbook(const std::string& workbookXml, const std::string& relationshipsXml)
{
    const XmlDocument workbook = parsedXml(workbookXml);
    if (!workbook)
        return std::nullopt;
    std::map<std::string, bool> chartById;
    for (const auto& rel : elements(parsedXml(relationshipsXml), "Relationship")) {
        const auto id = rel.find("Id");
        const auto type = rel.find("Type");
        if (id != rel.end() && type != rel.end())
            chartById[id->second] = endsWith(type->second, "/chartsheet");
    }
    WorkbookFileInfo info;
    for (const auto& sheet : elements(workbook, "sheet")) {
        const auto name = sheet.find("name");
        const auto id = sheet.find("id");
        FileSheet entry;
        entry.name = name != sheet.end() ? name->second : std::string();
        entry.chart = id != sheet.end() && chartById.count(id->second) && chartById[id->second];
        info.sheets.push_back(entry);
    }
    const auto views = elements(workbook, "workbookView");
    if (!views.empty()) {
        const auto tab = views.front().find("activeTab");
        if (tab != views.front().end()) {
            try {
                info.activeIndex = std::stoi(tab->second);
            } catch (...) {
                info.activeIndex = 0;
            }
        }
    }
    if (info.sheets.empty())
        return std::nullopt;
    return info;
}

} // namespace rm::lo
