#include "engine/libreoffice/SaveFilter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace rm::lo {

std::string saveFilterForPath(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".xls")
        return "MS Excel 97";
    if (extension == ".xlsx")
        return "Calc MS Excel 2007 XML";
    if (extension == ".ods")
        return "calc8";
    return {};
}

} // namespace rm::lo
