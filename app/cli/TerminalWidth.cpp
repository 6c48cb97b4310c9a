#include "app/cli/TerminalWidth.h"

#include <glib.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdlib>

namespace rm::cli {

namespace {

constexpr int kDefaultColumns = 80;

// The first character of `text` (not empty): its length in bytes and its columns.
struct Character {
    size_t bytes;
    int columns;
};

Character firstCharacter(std::string_view text)
{
    const gunichar c = g_utf8_get_char_validated(text.data(), static_cast<gssize>(text.size()));
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2))
        return {1, 1};
    const size_t bytes = static_cast<size_t>(g_utf8_skip[static_cast<unsigned char>(text[0])]);
    if (g_unichar_iszerowidth(c))
        return {bytes, 0};
    return {bytes, g_unichar_iswide_cjk(c) ? 2 : 1};
}

} // namespace

int terminalColumns(int fd)
{
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(columns, &end, 10);
        if (errno == 0 && end != columns && *end == '\0' && value > 0 && value <= 100000)
            return static_cast<int>(value);
    }
    return kDefaultColumns;
}

int displayWidth(std::string_view text)
{
    int width = 0;
    while (!text.empty()) {
        const Character c = firstCharacter(text);
        width += c.columns;
        text.remove_prefix(c.bytes);
    }
    return width;
}

std::string cutToWidth(std::string_view text, int columns)
{
    size_t kept = 0;
    int width = 0;
    while (kept < text.size()) {
        const Character c = firstCharacter(text.substr(kept));
        if (width + c.columns > columns)
            break;
        width += c.columns;
        kept += c.bytes;
    }
    return std::string(text.substr(0, kept));
}

} // namespace rm::cli
