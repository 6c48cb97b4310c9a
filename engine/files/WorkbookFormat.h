#pragma once

// The workbook formats the program opens and saves, told by the file name's
// extension.

#include <optional>
#include <string>

namespace rm {

enum class WorkbookFormat { Xls, Xlsx, Ods };

// By the ending of `path`'s file name: ".xls", ".xlsx" or ".ods", compared
// case-insensitively; nothing for any other.
std::optional<WorkbookFormat> workbookFormatOf(const std::string& path);

} // namespace rm
