#pragma once

#include <string>

namespace rm::lo {

// The office's export filter for a file name's extension (case-insensitive):
// .xls, .xlsx, .ods; empty for any other or none (the document keeps its own format).
std::string saveFilterForPath(const std::string& path);

} // namespace rm::lo
