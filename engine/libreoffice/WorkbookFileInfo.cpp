#include "engine/libreoffice/WorkbookFileInfo.h"

#include "engine/libreoffice/CompoundFile.h"

#include <cstdint>
#include <map>

namespace rm::lo {

namespace {

constexpr uint16_t RecordEof = 0x000A;
constexpr uint16_t RecordBof = 0x0809;
constexpr uint16_t RecordWindow1 = 0x003D;
constexpr uint16_t RecordBoundSheet = 0x0085;
constexpr uint16_t RecordFilePass = 0x002F;
constexpr uint8_t SheetTypeChart = 0x02;

uint16_t u16(const std::string& b, size_t at)
{
    return static_cast<uint16_t>(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | cp >> 6);
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | cp >> 12);
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | cp >> 18);
        out += char(0x80 | (cp >> 12 & 0x3F));
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// BOUNDSHEET's sheet name: BIFF8 has a flags byte (UTF-16LE or compressed
// 8-bit), BIFF5 a plain 8-bit name (only its Latin-1 reading is kept).
std::string boundSheetName(const std::string& data, bool biff8)
{
    if (data.size() < 7)
        return {};
    const size_t length = uint8_t(data[6]);
    std::string name;
    if (!biff8) {
        for (size_t i = 0; i < length && 7 + i < data.size(); ++i)
            appendUtf8(name, uint8_t(data[7 + i]));
        return name;
    }
    if (data.size() < 8)
        return {};
    const bool wide = uint8_t(data[7]) & 1;
    for (size_t i = 0; i < length; ++i) {
        if (wide) {
            const size_t at = 8 + 2 * i;
            if (at + 2 > data.size())
                break;
            uint32_t cp = u16(data, at);
            if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < length && at + 4 <= data.size()) {
                const uint32_t low = u16(data, at + 2);
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
            appendUtf8(name, cp);
        } else {
            if (8 + i >= data.size())
                break;
            appendUtf8(name, uint8_t(data[8 + i]));
        }
    }
    return name;
}

// The attributes of every element with local name `element` (any prefix).
std::vector<std::map<std::string, std::string>> elements(const std::string& xml, const std::string& element)
{
    std::vector<std::map<std::string, std::string>> found;
    size_t at = 0;
    while ((at = xml.find('<', at)) != std::string::npos) {
        const size_t nameEnd = xml.find_first_of(" \t\r\n/>", at + 1);
        if (nameEnd == std::string::npos)
            break;
        std::string name = xml.substr(at + 1, nameEnd - at - 1);
        const size_t colon = name.find(':');
        if (colon != std::string::npos)
            name.erase(0, colon + 1);
        const size_t tagEnd = xml.find('>', nameEnd);
        if (tagEnd == std::string::npos)
            break;
        if (name == element) {
            std::map<std::string, std::string> attributes;
            size_t a = nameEnd;
            while (a < tagEnd) {
                const size_t eq = xml.find('=', a);
                if (eq == std::string::npos || eq > tagEnd)
                    break;
                size_t keyStart = xml.find_first_not_of(" \t\r\n", a);
                std::string key = xml.substr(keyStart, eq - keyStart);
                while (!key.empty() && (key.back() == ' ' || key.back() == '\t' || key.back() == '\r' || key.back() == '\n'))
                    key.pop_back();
                const size_t quote = xml.find_first_of("\"'", eq);
                if (quote == std::string::npos || quote > tagEnd)
                    break;
                const size_t close = xml.find(xml[quote], quote + 1);
                if (close == std::string::npos)
                    break;
                const size_t keyColon = key.find(':');
                if (keyColon != std::string::npos && key.compare(0, keyColon, "xmlns") != 0)
                    key.erase(0, keyColon + 1);
                attributes[key] = xml.substr(quote + 1, close - quote - 1);
                a = close + 1;
            }
            found.push_back(std::move(attributes));
        }
        at = tagEnd + 1;
    }
    return found;
}

std::string unescapeXml(std::string text)
{
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities) {
        size_t at = 0;
        const std::string f = from;
        while ((at = text.find(f, at)) != std::string::npos) {
            text.replace(at, f.size(), to);
            at += 1;
        }
    }
    return text;
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
        } else if (type == RecordBoundSheet && data.size() >= 6) {
            info.sheets.push_back({boundSheetName(data, biff8), uint8_t(data[5]) == SheetTypeChart});
        }
    }
    if (first || info.sheets.empty())
        return std::nullopt;
    return info;
}

std::optional<WorkbookFileInfo> readBinaryWorkbookInfo(const std::string& fileBytes)
{
    if (!looksLikeCompoundFile(fileBytes))
        return std::nullopt;
    auto stream = readCompoundFileStream(fileBytes, u"Workbook");
    if (!stream)
        stream = readCompoundFileStream(fileBytes, u"Book");
    if (!stream)
        return std::nullopt;
    return parseBiffWorkbookStream(*stream);
}

std::optional<WorkbookFileInfo> parseOpenXmlWorkbook(const std::string& workbookXml, const std::string& relationshipsXml)
{
    std::map<std::string, bool> chartById;
    for (const auto& rel : elements(relationshipsXml, "Relationship")) {
        const auto id = rel.find("Id");
        const auto type = rel.find("Type");
        if (id != rel.end() && type != rel.end())
            chartById[id->second] = endsWith(type->second, "/chartsheet");
    }
    WorkbookFileInfo info;
    for (const auto& sheet : elements(workbookXml, "sheet")) {
        const auto name = sheet.find("name");
        const auto id = sheet.find("id");
        FileSheet entry;
        entry.name = name != sheet.end() ? unescapeXml(name->second) : std::string();
        entry.chart = id != sheet.end() && chartById.count(id->second) && chartById[id->second];
        info.sheets.push_back(entry);
    }
    const auto views = elements(workbookXml, "workbookView");
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
