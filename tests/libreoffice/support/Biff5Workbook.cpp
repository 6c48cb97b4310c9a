#include "Biff5Workbook.h"

#include <algorithm>
#include <cstring>

namespace rm::lo::test {

namespace {

void put16(std::string& out, std::size_t at, std::uint32_t value)
{
    out[at] = char(value & 0xFF);
    out[at + 1] = char(value >> 8 & 0xFF);
}

void put32(std::string& out, std::size_t at, std::uint32_t value)
{
    put16(out, at, value & 0xFFFF);
    put16(out, at + 2, value >> 16);
}

std::string le16(std::uint32_t value)
{
    std::string out(2, '\0');
    put16(out, 0, value);
    return out;
}

std::string record(std::uint16_t type, const std::string& data)
{
    return le16(type) + le16(std::uint32_t(data.size())) + data;
}

std::string bof(std::uint16_t kind)
{
    return record(0x0809, le16(0x0500) + le16(kind) + le16(0x096C) + le16(0x07C9));
}

std::string number(int row, int column, double value)
{
    std::string bits(8, '\0');
    std::uint64_t raw;
    static_assert(sizeof raw == sizeof value);
    std::memcpy(&raw, &value, sizeof raw);
    for (int i = 0; i < 8; ++i)
        bits[i] = char(raw >> (8 * i) & 0xFF);
    return record(0x0203, le16(row) + le16(column) + le16(15) + bits);
}

constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t FreeSector = 0xFFFFFFFF;
constexpr std::uint32_t FatSector = 0xFFFFFFFD;
constexpr std::size_t Sector = 512;

std::string directoryEntry(const std::u16string& name, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                           std::uint32_t size)
{
    std::string entry(128, '\0');
    for (std::size_t i = 0; i < name.size(); ++i)
        put16(entry, 2 * i, name[i]);
    put16(entry, 0x40, name.empty() ? 0 : std::uint32_t(2 * (name.size() + 1)));
    entry[0x42] = char(type);
    entry[0x43] = 1;   // black
    put32(entry, 0x44, FreeSector);
    put32(entry, 0x48, FreeSector);
    put32(entry, 0x4C, child);
    put32(entry, 0x74, start);
    put32(entry, 0x78, size);
    return entry;
}

} // namespace

std::string biff5BookStream(const Biff5Sheets& sheets)
{
    std::string window1 = le16(0) + le16(0) + le16(0x4000) + le16(0x2000) + le16(0x38) + le16(sheets.activeSheet) +
                          le16(0) + le16(1) + le16(600);
    std::string globalsHead = bof(0x0005) + record(0x0042, le16(sheets.codePage)) + record(0x003D, window1);
    std::size_t globalsSize = globalsHead.size() + 4;   // and EOF
    for (const auto& name : sheets.names)
        globalsSize += 4 + 7 + name.size();
    std::string boundSheets, substreams;
    for (std::size_t i = 0; i < sheets.names.size(); ++i) {
        std::string position(4, '\0');
        put32(position, 0, std::uint32_t(globalsSize + substreams.size()));
        boundSheets += record(0x0085, position + std::string(2, '\0') + char(sheets.names[i].size()) + sheets.names[i]);
        substreams += bof(0x0010) + record(0x0200, le16(0) + le16(1) + le16(0) + le16(1) + le16(0)) +
                      number(0, 0, double(i + 1));
        // The last sheet is padded with default column widths up to the
        // compound file's mini stream cutoff (4096 bytes).
        if (i + 1 == sheets.names.size())
            while (globalsSize + substreams.size() + 4 < 4096)
                substreams += record(0x0055, le16(8));
        substreams += record(0x000A, "");
    }
    return globalsHead + boundSheets + record(0x000A, "") + substreams;
}

std::string compoundFileWith(const std::string& streamName, const std::string& stream)
{
    // Sector 0 the FAT, sector 1 the directory, the stream from sector 2 on;
    // the stream's declared size is at least the mini stream cutoff, so that
    // it lives in ordinary sectors.
    std::string content = stream;
    content.resize(std::max<std::size_t>(content.size(), 4096), '\0');
    const std::size_t streamSectors = (content.size() + Sector - 1) / Sector;
    std::string header(Sector, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    put16(header, 0x18, 0x003E);
    put16(header, 0x1A, 0x0003);
    put16(header, 0x1C, 0xFFFE);
    put16(header, 0x1E, 9);
    put16(header, 0x20, 6);
    put32(header, 0x2C, 1);
    put32(header, 0x30, 1);
    put32(header, 0x38, 4096);
    put32(header, 0x3C, EndOfChain);
    put32(header, 0x44, EndOfChain);
    for (std::size_t i = 0; i < 109; ++i)
        put32(header, 0x4C + 4 * i, i == 0 ? 0 : FreeSector);

    std::string fat(Sector, '\xFF');
    put32(fat, 0, FatSector);
    put32(fat, 4, EndOfChain);
    for (std::size_t i = 0; i < streamSectors; ++i)
        put32(fat, 4 * (2 + i), i + 1 == streamSectors ? EndOfChain : std::uint32_t(3 + i));

    std::u16string name(streamName.begin(), streamName.end());
    std::string directory = directoryEntry(u"Root Entry", 5, 1, EndOfChain, 0) +
                            directoryEntry(name, 2, FreeSector, 2, std::uint32_t(content.size())) +
                            directoryEntry(u"", 0, FreeSector, 0, 0) + directoryEntry(u"", 0, FreeSector, 0, 0);
    content.resize(streamSectors * Sector, '\0');
    return header + fat + directory + content;
}

} // namespace rm::lo::test
