#include "engine/libreoffice/files/SaveFilter.h"

#include "engine/files/WorkbookFormat.h"

namespace rm::lo {

std::string saveFilterForPath(const std::string& path)
{
    const auto format = workbookFormatOf(path);
    if (!format)
        return {};
    switch (*format) {
    case WorkbookFormat::Xls:
        return "MS Excel 97";
    case WorkbookFormat::Xlsx:
        return "Calc MS Excel 2007 XML";
    case WorkbookFormat::Ods:
        return "calc8";
    }
    return {};
}

} // namespace rm::lo
