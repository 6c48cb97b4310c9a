#pragma once

#include <string>
#include <string_view>

namespace rm::cli {

// The columns of the terminal on descriptor `fd`; when that is no terminal,
// $COLUMNS, and 80 without it.
int terminalColumns(int fd);

// The columns a UTF-8 text takes on a terminal: East Asian wide characters
// two, and the ambiguous ones (such as "…") two as well, as many Chinese
// terminals show them; combining marks none; a byte that is not UTF-8 one.
int displayWidth(std::string_view text);

// The longest start of `text`, whole characters only, that takes at most `columns`.
std::string cutToWidth(std::string_view text, int columns);

} // namespace rm::cli
