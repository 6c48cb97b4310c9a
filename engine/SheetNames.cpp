#include "engine/SheetNames.h"

#include <cstdint>

namespace rm {

namespace {

// One code point from UTF-8 at `at` (moved past it); invalid bytes stand for themselves.
std::uint32_t nextCodePoint(const std::string& text, std::size_t& at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    int length = first < 0x80 ? 1 : (first >> 5) == 0x6 ? 2 : (first >> 4) == 0xE ? 3 : (first >> 3) == 0x1E ? 4 : 1;
    if (at + static_cast<std::size_t>(length) > text.size())
        length = 1;
    std::uint32_t code = length == 1 ? first : first & (0x7F >> length);
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (byte(at + static_cast<std::size_t>(i)) & 0x3F);
    at += static_cast<std::size_t>(length);
    return code;
}

void appendUtf8(std::string& text, std::uint32_t code)
{
    if (code < 0x80) {
        text += char(code);
    } else if (code < 0x800) {
        text += char(0xC0 | (code >> 6));
        text += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += char(0xE0 | (code >> 12));
        text += char(0x80 | ((code >> 6) & 0x3F));
        text += char(0x80 | (code & 0x3F));
    } else {
        text += char(0xF0 | (code >> 18));
        text += char(0x80 | ((code >> 12) & 0x3F));
        text += char(0x80 | ((code >> 6) & 0x3F));
        text += char(0x80 | (code & 0x3F));
    }
}

bool isBlank(std::uint32_t code)
{
    return code == ' ' || code == '\t' || code == 0xA0 || code == 0x3000;
}

} // namespace

std::string comparableSheetName(const std::string& name)
{
    std::string comparable;
    for (std::size_t at = 0; at < name.size();) {
        std::uint32_t code = nextCodePoint(name, at);
        if (isBlank(code))
            continue;
        if (code >= 0xFF01 && code <= 0xFF5E)   // full-width ASCII
            code -= 0xFEE0;
        if (code >= 'A' && code <= 'Z')
            code += 'a' - 'A';
        appendUtf8(comparable, code);
    }
    return comparable;
}

SheetMatch findSheetByName(const std::vector<SheetInfo>& sheets, const std::string& name)
{
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (!sheets[i].chart && sheets[i].name == name)
            return {i, 1};
    SheetMatch match;
    const std::string wanted = comparableSheetName(name);
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (sheets[i].chart || comparableSheetName(sheets[i].name) != wanted)
            continue;
        if (++match.candidates == 1)
            match.index = i;
    }
    if (match.candidates > 1)
        match.index.reset();
    return match;
}

} // namespace rm
