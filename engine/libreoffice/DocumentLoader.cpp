#include "engine/libreoffice/DocumentLoader.h"

#include "engine/ErrorNumbers.h"
#include "engine/FileSystem.h"
#include "engine/libreoffice/CalcDocument.h"
#include "engine/libreoffice/OfficeSession.h"
#include "engine/libreoffice/UnoErrors.h"
#include "engine/libreoffice/UnoProperties.h"
#include "engine/libreoffice/UnoText.h"
#include "engine/libreoffice/WorkbookFileInfo.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/container/XContainerQuery.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace css;

namespace rm::lo {

namespace {

const char* const SpreadsheetService = "com.sun.star.sheet.SpreadsheetDocument";

Error fileError(int number, const std::string& path, const std::string& reason)
{
    return Error(number, "无法打开文件 " + path + "：" + reason);
}

void checkFileExists(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw fileError(ErrorNumber::DocumentNotFound, path, "文件不存在。");
        throw fileError(ErrorNumber::DocumentLoadFailed, path, "无法访问该文件。");
    }
    if (!S_ISREG(info.st_mode))
        throw fileError(ErrorNumber::NotAWorkbook, path, "这不是一个文件。");
    if (access(path.c_str(), R_OK) != 0)
        throw fileError(ErrorNumber::DocumentLoadFailed, path, "没有读取该文件的权限。");
}

template <class T>
T propertyOf(const uno::Sequence<beans::PropertyValue>& properties, const char* name)
{
    T value{};
    for (const auto& p : properties)
        if (p.Name.equalsAscii(name))
            p.Value >>= value;
    return value;
}

// The office's deep type detection; true only for types that some
// spreadsheet filter imports, and that are workbooks (plain text and CSV are not).
bool detectedAsWorkbook(const OfficeConnection& office, const OUString& url)
{
    uno::Reference<document::XTypeDetection> detection(office.createService("com.sun.star.document.TypeDetection"),
                                                       uno::UNO_QUERY_THROW);
    auto descriptor = sequence<beans::PropertyValue>({property("URL", url)});
    const OUString type = detection->queryTypeByDescriptor(descriptor, true);
    if (type.isEmpty() || type.indexOf("Text") >= 0)
        return false;
    // Calc's own HTML type (a web page saved as .xls) has no filter of its own.
    if (type == "calc_HTML")
        return true;
    uno::Reference<container::XContainerQuery> filters(office.createService("com.sun.star.document.FilterFactory"),
                                                       uno::UNO_QUERY_THROW);
    const auto query = sequence<beans::NamedValue>(
        {beans::NamedValue("Type", uno::Any(type)), beans::NamedValue("DocumentService", uno::Any(OUString::createFromAscii(SpreadsheetService)))});
    const auto matches = filters->createSubSetEnumerationByProperties(query);
    while (matches->hasMoreElements()) {
        const auto filter = matches->nextElement().get<uno::Sequence<beans::PropertyValue>>();
        if (!propertyOf<OUString>(filter, "Name").startsWith("Text"))
            return true;
    }
    return false;
}


std::string readZipEntry(const OfficeConnection& office, const OUString& url, const char* entry)
{
    uno::Reference<lang::XMultiComponentFactory> factory = office.context()->getServiceManager();
    const auto arguments = sequence<uno::Any>({uno::Any(url)});
    uno::Reference<container::XNameAccess> zip(
        factory->createInstanceWithArgumentsAndContext("com.sun.star.packages.zip.ZipFileAccess", arguments,
                                                       office.context()),
        uno::UNO_QUERY_THROW);
    const OUString name = OUString::createFromAscii(entry);
    if (!zip->hasByName(name))
        return {};
    uno::Reference<io::XInputStream> stream(zip->getByName(name), uno::UNO_QUERY_THROW);
    std::string content;
    uno::Sequence<sal_Int8> chunk;
    while (stream->readBytes(chunk, 65536) > 0)
        content.append(reinterpret_cast<const char*>(chunk.getConstArray()), static_cast<size_t>(chunk.getLength()));
    stream->closeInput();
    return content;
}

// What the file itself says about its active sheet (binary and XML Excel
// workbooks); nothing for other formats, whose loaded view is right.
std::optional<WorkbookFileInfo> sheetInfoFromFile(const OfficeConnection& office, const std::string& path,
                                                  const OUString& url)
{
    std::string head;
    {
        std::ifstream in(path, std::ios::binary);
        head.resize(8);
        in.read(head.data(), 8);
        head.resize(static_cast<size_t>(in.gcount()));
    }
    if (head.size() == 8 && head.compare(0, 4, "\xD0\xCF\x11\xE0", 4) == 0)
        return readBinaryWorkbookInfo(readWholeFile(path).value_or(""));
    if (head.size() >= 4 && head.compare(0, 4, "PK\x03\x04", 4) == 0) {
        try {
            const std::string workbook = readZipEntry(office, url, "xl/workbook.xml");
            if (workbook.empty())
                return std::nullopt;
            return parseOpenXmlWorkbook(workbook, readZipEntry(office, url, "xl/_rels/workbook.xml.rels"));
        } catch (const uno::Exception&) {
            return std::nullopt;   // not an Office Open XML package after all
        }
    }
    return std::nullopt;
}

void closeQuietly(const uno::Reference<lang::XComponent>& component)
{
    try {
        uno::Reference<util::XCloseable> closeable(component, uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            component->dispose();
    } catch (...) {
        // Refusing the file is what matters; the office is shut down later anyway.
    }
}

} // namespace

std::shared_ptr<CalcDocument> openDocument(const std::shared_ptr<OfficeSession>& session, const std::string& requestedPath,
                                           bool readOnly, bool perCellReads)
{
    const std::string path = absolutePath(requestedPath);
    checkFileExists(path);
    const OfficeConnection& office = session->connection();
    const OUString url = fileUrlOf(path);

    const bool workbook = session->call("检测文件类型", [&] { return detectedAsWorkbook(office, url); });
    if (!workbook)
        throw fileError(ErrorNumber::NotAWorkbook, path, "这不是工作簿文件。");

    uno::Reference<lang::XComponent> component;
    try {
        component = session->call("打开工作簿", [&] {
            // A source is loaded hidden (fastest). The target is loaded with a
            // view (still nothing on screen in a headless office): a hidden
            // document keeps no view settings, so saving it would lose its
            // active sheet and hidden zeros in .ods.
            auto arguments = sequence<beans::PropertyValue>({
                property("ReadOnly", readOnly),
                property("MacroExecutionMode", document::MacroExecMode::NEVER_EXECUTE),
                property("UpdateDocMode", document::UpdateDocMode::NO_UPDATE),
                property("Silent", true)});
            if (readOnly) {
                arguments.realloc(arguments.getLength() + 1);
                arguments[arguments.getLength() - 1] = property("Hidden", true);
            }
            uno::Reference<frame::XComponentLoader> loader(office.desktop(), uno::UNO_QUERY_THROW);
            return loader->loadComponentFromURL(url, "_blank", 0, arguments);
        });
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::OfficeConnectionLost)
            throw;
        throw fileError(ErrorNumber::DocumentLoadFailed, path, error.description());
    }
    if (!component.is())
        throw fileError(ErrorNumber::DocumentLoadFailed, path, "文件受密码保护、已被其他程序锁定或已损坏。");

    // Asking the loaded component for its interfaces is a remote call too: an
    // office that dies right after loading must give an error here, not a UNO exception.
    const auto [spreadsheet, model] = session->call("打开工作簿", [&] {
        return std::make_pair(uno::Reference<sheet::XSpreadsheetDocument>(component, uno::UNO_QUERY),
                              uno::Reference<frame::XModel>(component, uno::UNO_QUERY));
    });
    if (!spreadsheet.is() || !model.is()) {
        closeQuietly(component);
        throw fileError(ErrorNumber::NotAWorkbook, path, "这不是工作簿文件。");
    }

    CalcDocument::Opened opened;
    opened.model = model;
    opened.path = path;
    opened.readOnly = readOnly;
    opened.perCellReads = perCellReads;
    auto document = std::make_shared<CalcDocument>(session, opened);
    session->adopt(document);
    session->setActiveDocument(document);

    const auto info = session->call("读取活动工作表", [&] { return sheetInfoFromFile(office, path, url); });
    if (info && info->activeSheet())
        document->recordActiveSheetFromFile(info->activeSheet()->name, info->activeSheet()->chart);
    return document;
}

} // namespace rm::lo
