#include "engine/libreoffice/documents/PackageCheck.h"

#include "engine/libreoffice/process/OfficeConnection.h"
#include "engine/libreoffice/uno/UnoProperties.h"

#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/xml/sax/InputSource.hpp>
#include <com/sun/star/xml/sax/SAXException.hpp>
#include <com/sun/star/xml/sax/XParser.hpp>

using namespace css;

namespace rm::lo {

uno::Reference<container::XNameAccess> openPackage(const OfficeConnection& office, const OUString& url)
{
    uno::Reference<lang::XMultiComponentFactory> factory = office.context()->getServiceManager();
    const auto arguments = sequence<uno::Any>({uno::Any(url)});
    return uno::Reference<container::XNameAccess>(
        factory->createInstanceWithArgumentsAndContext("com.sun.star.packages.zip.ZipFileAccess", arguments,
                                                       office.context()),
        uno::UNO_QUERY_THROW);
}

namespace {

bool startsWith(const OUString& name, const char* prefix)
{
    return name.startsWithIgnoreAsciiCase(OUString::createFromAscii(prefix));
}

} // namespace

bool isContentPart(const OUString& name)
{
    if (name == "content.xml" || name == "styles.xml")
        return true;   // OpenDocument
    if (name == "[Content_Types].xml" || name == "_rels/.rels" || name == "xl/workbook.xml" ||
        name == "xl/sharedStrings.xml" || name == "xl/styles.xml" || name == "xl/_rels/workbook.xml.rels")
        return true;
    return (startsWith(name, "xl/worksheets/") && (name.endsWith(".xml") || name.endsWith(".rels")));
}

std::optional<DamagedPart> firstDamagedXmlPart(const OfficeConnection& office,
                                               const uno::Reference<container::XNameAccess>& package)
{
    for (const OUString& name : package->getElementNames()) {
        if (!isContentPart(name))
            continue;
        uno::Reference<xml::sax::XParser> parser(office.createService("com.sun.star.xml.sax.Parser"),
                                                 uno::UNO_QUERY_THROW);
        xml::sax::InputSource source;
        source.aInputStream.set(package->getByName(name), uno::UNO_QUERY_THROW);
        source.sSystemId = name;
        try {
            parser->parseStream(source);
        } catch (const xml::sax::SAXException& error) {
            return DamagedPart{toUtf8(name), toUtf8(error.Message)};
        }
    }
    return std::nullopt;
}

} // namespace rm::lo
