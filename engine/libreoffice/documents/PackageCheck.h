#pragma once

#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/container/XNameAccess.hpp>

#include <optional>
#include <string>

namespace rm::lo {

class OfficeConnection;

// The entries of a zip package (Office Open XML, OpenDocument), read inside the office.
css::uno::Reference<css::container::XNameAccess> openPackage(const OfficeConnection& office, const OUString& url);

struct DamagedPart {
    std::string name;         // "xl/worksheets/sheet1.xml"
    std::string officeText;   // the XML parser's words
};

// Whether the cells of a workbook, their texts and formats, come from this
// part: OpenDocument's content and styles; Office Open XML's content types,
// relationships, workbook, sheets, shared strings and styles. Settings,
// thumbnails, the office's own configuration (often empty parts) are not.
bool isContentPart(const OUString& name);

// The office imports an XML part that is cut short or holds an undefined
// entity as far as it can read it, and says nothing: such a workbook loads
// with cells missing. Every content part of the package is parsed, inside
// the office, to the end; the first that does not parse is returned. Any
// other part, damaged or empty, changes no cell.
std::optional<DamagedPart> firstDamagedXmlPart(const OfficeConnection& office,
                                               const css::uno::Reference<css::container::XNameAccess>& package);

} // namespace rm::lo
