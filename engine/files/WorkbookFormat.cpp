#include "engine/files/WorkbookFormat.h"

#include <strings.h>

namespace rm {

std::optional<WorkbookFormat> workbookFormatOf(const std::string& path)
{
    static const struct {
        const char* extension;
        WorkbookFormat format;
    } extensions[] = {{".xls", WorkbookFormat::Xls}, {".xlsx", WorkbookFormat::Xlsx}, {".ods", WorkbookFormat::Ods}};
    const std::string name = path.substr(path.rfind('/') + 1);
    for (const auto& [extension, format] : extensions) {
        const size_t length = std::char_traits<char>::length(extension);
        if (name.size() >= length && strcasecmp(name.c_str() + name.size() - length, extension) == 0)
            return format;
    }
    return std::nullopt;
}

} // namespace rm
