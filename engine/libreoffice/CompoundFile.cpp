#include "engine/libreoffice/CompoundFile.h"

#include <cstdint>
#include <vector>

namespace rm::lo {

namespace {

constexpr uint32_t EndOfChain = 0xFFFFFFFE;
constexpr uint32_t MaxSector = 0xFFFFFFFA;

uint16_t u16(const std::string& b, size_t at)
{
    return at + 2 <= b.size() ? static_cast<uint16_t>(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8) : 0;
}

uint32_t u32(const std::string& b, size_t at)
{
    return at + 4 <= b.size() ? uint32_t(u16(b, at)) | uint32_t(u16(b, at + 2)) << 16 : 0;
}

char16_t upper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool sameName(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

class Reader {
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}

    bool readHeader()
    {
        if (!looksLikeCompoundFile(m_bytes) || m_bytes.size() < 512)
            return false;
        const unsigned shift = u16(m_bytes, 0x1E);
        const unsigned miniShift = u16(m_bytes, 0x20);
        if (shift < 7 || shift > 16 || miniShift > shift)
            return false;
        m_sectorSize = size_t(1) << shift;
        m_miniSectorSize = size_t(1) << miniShift;
        m_miniCutoff = u32(m_bytes, 0x38);
        return readFat();
    }

    std::optional<std::string> stream(const std::u16string& name)
    {
        const auto directory = chain(u32(m_bytes, 0x30), m_fat, false);
        if (!directory)
            return std::nullopt;
        if (directory->size() < 128)
            return std::nullopt;
        const std::string& dir = *directory;
        const uint32_t rootStart = u32(dir, 0x74);
        for (size_t entry = 0; entry + 128 <= dir.size(); entry += 128) {
            if (dir[entry + 0x42] != 2)   // streams only
                continue;
            const size_t nameBytes = u16(dir, entry + 0x40);
            if (nameBytes < 2 || nameBytes > 64)
                continue;
            std::u16string entryName;
            for (size_t i = 0; i + 2 < nameBytes; i += 2)
                entryName += static_cast<char16_t>(u16(dir, entry + i));
            if (!sameName(entryName, name))
                continue;
            const uint32_t start = u32(dir, entry + 0x74);
            const size_t size = u32(dir, entry + 0x78);
            std::optional<std::string> data;
            if (size < m_miniCutoff)
                data = miniStream(rootStart, start);
            else
                data = chain(start, m_fat, false);
            if (!data || data->size() < size)
                return std::nullopt;
            data->resize(size);
            return data;
        }
        return std::nullopt;
    }

private:
    bool readFat()
    {
        std::vector<uint32_t> fatSectors;
        for (size_t i = 0; i < 109; ++i) {
            const uint32_t s = u32(m_bytes, 0x4C + 4 * i);
            if (s <= MaxSector)
                fatSectors.push_back(s);
        }
        uint32_t difat = u32(m_bytes, 0x44);
        for (size_t guard = 0; difat <= MaxSector && guard < 100000; ++guard) {
            const size_t at = offsetOf(difat);
            if (at + m_sectorSize > m_bytes.size())
                return false;
            for (size_t i = 0; i + 1 < m_sectorSize / 4; ++i) {
                const uint32_t s = u32(m_bytes, at + 4 * i);
                if (s <= MaxSector)
                    fatSectors.push_back(s);
            }
            difat = u32(m_bytes, at + m_sectorSize - 4);
        }
        for (uint32_t s : fatSectors) {
            const size_t at = offsetOf(s);
            if (at + m_sectorSize > m_bytes.size())
                return false;
            for (size_t i = 0; i < m_sectorSize / 4; ++i)
                m_fat.push_back(u32(m_bytes, at + 4 * i));
        }
        return !m_fat.empty();
    }

    size_t offsetOf(uint32_t sector) const { return (size_t(sector) + 1) * m_sectorSize; }

    // Follows a sector chain; with `mini` the chain is over the mini stream.
    std::optional<std::string> chain(uint32_t start, const std::vector<uint32_t>& table, bool mini) const
    {
        std::string out;
        const size_t unit = mini ? m_miniSectorSize : m_sectorSize;
        uint32_t sector = start;
        for (size_t steps = 0; sector != EndOfChain; ++steps) {
            if (sector > MaxSector || sector >= table.size() || steps > table.size())
                return std::nullopt;
            const std::string& source = mini ? m_mini : m_bytes;
            const size_t at = mini ? size_t(sector) * unit : offsetOf(sector);
            if (at + unit > source.size())
                return std::nullopt;
            out.append(source, at, unit);
            sector = table[sector];
        }
        return out;
    }

    std::optional<std::string> miniStream(uint32_t rootStart, uint32_t start)
    {
        if (m_miniFat.empty()) {
            const auto miniFatBytes = chain(u32(m_bytes, 0x3C), m_fat, false);
            const auto mini = chain(rootStart, m_fat, false);
            if (!miniFatBytes || !mini)
                return std::nullopt;
            for (size_t i = 0; i + 4 <= miniFatBytes->size(); i += 4)
                m_miniFat.push_back(u32(*miniFatBytes, i));
            m_mini = *mini;
        }
        return chain(start, m_miniFat, true);
    }

    const std::string& m_bytes;
    size_t m_sectorSize = 512;
    size_t m_miniSectorSize = 64;
    size_t m_miniCutoff = 4096;
    std::vector<uint32_t> m_fat;
    std::vector<uint32_t> m_miniFat;
    std::string m_mini;
};

} // namespace

bool looksLikeCompoundFile(const std::string& fileBytes)
{
    static const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return fileBytes.size() >= 8 && fileBytes.compare(0, 8, signature, 8) == 0;
}

std::optional<std::string> readCompoundFileStream(const std::string& fileBytes, const std::u16string& streamName)
{
    Reader reader(fileBytes);
    if (!reader.readHeader())
        return std::nullopt;
    return reader.stream(streamName);
}

} // namespace rm::lo
