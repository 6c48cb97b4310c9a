#include "engine/libreoffice/files/WorkbookFileInfo.h"

#include "engine/libreoffice/files/CompoundFile.h"

#include <gsf/gsf-input-memory.h>
#include <rtl/textenc.h>
#include <rtl/tencinfo.h>
#include <rtl/ustring.hxx>

#include <cstdint>
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

// How far the globals of a workbook stream are followed before the file is
// taken to tell nothing: real globals hold some thousands of records (fonts,
// formats, names, the shared strings), a few megabytes.
constexpr std::size_t kMostGlobalsRecords = 1u << 20;
constexpr std::size_t kMostKeptBytes = 16u << 20;

bool tellsAboutSheets(uint16_t type)
{
    return type == RecordEof || type == RecordFilePass || type == RecordWindow1 || type == RecordBoundSheet ||
           type == RecordCodePage;
}

// The records of the globals substream that parseBiffWorkbookStream() uses,
// the BOF first, read one by one and the others skipped: what the stream
// holds past the globals (the sheets, or anything a file claims) is never read.
std::optional<std::string> globalsRecords(GsfInput* stream)
{
    std::string kept;
    for (std::size_t count = 0; count < kMostGlobalsRecords; ++count) {
        guint8 header[4];
        if (gsf_input_remaining(stream) < 4 || !gsf_input_read(stream, 4, header))
            return kept;
        const uint16_t type = uint16_t(header[0] | header[1] << 8);
        const uint16_t length = uint16_t(header[2] | header[3] << 8);
        if (gsf_input_remaining(stream) < length)
            return std::nullopt;   // cut short
        if (count > 0 && !tellsAboutSheets(type)) {
            if (gsf_input_seek(stream, length, G_SEEK_CUR))
                return std::nullopt;
            continue;
        }
        std::string data(length, '\0');
        if (length && !gsf_input_read(stream, length, reinterpret_cast<guint8*>(data.data())))
            return std::nullopt;
        kept.append(reinterpret_cast<const char*>(header), 4).append(data);
        if (kept.size() > kMostKeptBytes)
            return std::nullopt;
        if (count > 0 && (type == RecordEof || type == RecordFilePass))
            return kept;
    }
    return std::nullopt;
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

std::optional<WorkbookFileInfo> readBinaryWorkbookInfo(GsfInput* file)
{
    GObjectOwner<GsfInput> stream = openCompoundFileStream(file, "Workbook");
    if (!stream)
        stream = openCompoundFileStream(file, "Book");
    if (!stream)
        return std::nullopt;
    const auto records = globalsRecords(stream.get());
    if (!records)
        return std::nullopt;
    return parseBiffWorkbookStream(*records);
}

std::optional<WorkbookFileInfo> readBinaryWorkbookInfo(const std::string& fileBytes)
{
    if (!looksLikeCompoundFile(fileBytes))
        return std::nullopt;
    quietenLibraries();
    const GObjectOwner<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.data()),
                                                            gsf_off_t(fileBytes.size()), FALSE));
    return readBinaryWorkbookInfo(input.get());
}

} // namespace rm::lo
