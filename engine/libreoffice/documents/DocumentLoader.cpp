#include "engine/libreoffice/documents/DocumentLoader.h"

#include "engine/ErrorNumbers.h"
#include "engine/ErrorTexts.h"
#include "engine/files/FileSystem.h"
#include "engine/libreoffice/documents/CalcDocument.h"
#include "engine/libreoffice/files/CompoundFile.h"
#include "engine/libreoffice/files/LibraryInput.h"
#include "engine/libreoffice/documents/PackageCheck.h"
#include "engine/libreoffice/files/RegularFile.h"
#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/uno/UnoErrors.h"
#include "engine/libreoffice/uno/UnoProperties.h"
#include "engine/libreoffice/uno/UnoText.h"
#include "engine/libreoffice/files/WorkbookFileInfo.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/container/XContainerQuery.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <optional>
#include <utility>

using namespace css;

namespace rm::lo {

namespace {

const char* const SpreadsheetService = "com.sun.star.sheet.SpreadsheetDocument";

template <class T>
T propertyOf(const uno::Sequence<beans::PropertyValue>& properties, const char* name)
{
    T value{};
    for (const auto& p : properties)
        if (p.Name.equalsAscii(name))
            p.Value >>= value;
    return value;
}

// The office's deep type detection. Nothing when no spreadsheet filter
// imports the type or it is no workbook (plain text and CSV are not);
// otherwise the name of Calc's filter for it (empty for Calc's own HTML type,
// a web page saved as .xls, which has no filter of its own).
std::optional<OUString> detectCalcFilter(const OfficeConnection& office, const OUString& url)
{
    uno::Reference<document::XTypeDetection> detection(office.createService("com.sun.star.document.TypeDetection"),
                                                       uno::UNO_QUERY_THROW);
    auto descriptor = sequence<beans::PropertyValue>({property("URL", url)});
    const OUString type = detection->queryTypeByDescriptor(descriptor, true);
    if (type.isEmpty() || type.indexOf("Text") >= 0)
        return std::nullopt;
    if (type == "calc_HTML")
        return OUString();
    uno::Reference<container::XContainerQuery> filters(office.createService("com.sun.star.document.FilterFactory"),
                                                       uno::UNO_QUERY_THROW);
    const auto query = sequence<beans::NamedValue>(
        {beans::NamedValue("Type", uno::Any(type)), beans::NamedValue("DocumentService", uno::Any(OUString::createFromAscii(SpreadsheetService)))});
    // The detection names the type's preferred filter, which may belong to
    // another module: it is taken when it is one of Calc's for the type.
    const OUString preferred = propertyOf<OUString>(descriptor, "FilterName");
    std::optional<OUString> first;
    const auto matches = filters->createSubSetEnumerationByProperties(query);
    while (matches->hasMoreElements()) {
        const auto filter = matches->nextElement().get<uno::Sequence<beans::PropertyValue>>();
        const OUString name = propertyOf<OUString>(filter, "Name");
        if (name.startsWith("Text"))
            continue;
        if (name == preferred)
            return name;
        if (!first)
            first = name;
    }
    return first;
}

bool isZipPackage(const RegularFile& file)
{
    return file.head(4) == std::string("PK\x03\x04", 4);
}

// A package part that does not parse to its end: the office would load the
// workbook in part, and the merge would add wrong sums.
void refuseDamagedPackage(OfficeSession& session, const RegularFile& file, const std::string& path, const OUString& url)
{
    if (!isZipPackage(file))
        return;
    const OfficeConnection& office = session.connection();
    const auto damaged = session.call(ErrorText::OfficeStep::CheckWorkbookFile, [&]() -> std::optional<DamagedPart> {
        uno::Reference<container::XNameAccess> package;
        try {
            package = openPackage(office, url);
        } catch (const uno::RuntimeException&) {
            throw;
        } catch (const uno::Exception&) {
            return std::nullopt;   // no zip the office can read: its type detection decides
        }
        return firstDamagedXmlPart(office, package);
    });
    if (damaged)
        throw ErrorText::fileDamaged(path, damaged->name, damaged->officeText);
}

bool isCompoundFile(const RegularFile& file)
{
    return looksLikeCompoundFile(file.head(8));
}

// What the file itself says about its active sheet (binary and XML Excel
// workbooks), read from it on demand; nothing for other formats, whose
// loaded view is right. A part of it that we will not read is refused (2012).
std::optional<WorkbookFileInfo> sheetInfoFromFile(const RegularFile& file, const std::string& path)
{
    const bool compound = isCompoundFile(file);
    if (!compound && !isZipPackage(file))
        return std::nullopt;
    const auto input = fileInput(file.descriptor());
    if (!input)
        throw ErrorText::fileReadFailed(path);
    try {
        return compound ? readBinaryWorkbookInfo(input.get()) : readOpenXmlWorkbookInfo(input.get());
    } catch (const PartRefused& refused) {
        if (refused.reason == PartRefused::Reason::TooLarge)
            throw ErrorText::filePartTooLarge(path, refused.part, kLargestPartBytes >> 20);
        throw ErrorText::filePartDeclaresDocumentType(path, refused.part);
    }
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

uno::Sequence<beans::PropertyValue> loadArguments(bool readOnly)
{
    return sequence<beans::PropertyValue>({
        property("ReadOnly", readOnly),
        property("MacroExecutionMode", document::MacroExecMode::NEVER_EXECUTE),
        property("UpdateDocMode", document::UpdateDocMode::NO_UPDATE),
        property("Silent", true)});
}

template <class T>
void append(uno::Sequence<T>& items, T item)
{
    items.realloc(items.getLength() + 1);
    items[items.getLength() - 1] = std::move(item);
}

// A source whose active sheet the file names is loaded as a bare model, with
// no frame, controller or view: that halves the load and the close, and its
// texts are the same (they come from the document and its number formats).
// Nothing (the model closed again) when this load fails or the loaded
// workbook has neither a sheet of that name nor the file's sheets; the caller
// then loads it the usual way, and reports what fails there.
uno::Reference<lang::XComponent> loadWithoutView(const OfficeConnection& office, const OUString& url,
                                                 const OUString& filter, const WorkbookFileInfo& info)
{
    uno::Reference<frame::XLoadable> loadable(office.createService(SpreadsheetService), uno::UNO_QUERY_THROW);
    uno::Reference<lang::XComponent> component(loadable, uno::UNO_QUERY_THROW);
    auto arguments = loadArguments(true);
    append(arguments, property("URL", url));
    append(arguments, property("FilterName", filter));
    try {
        loadable->load(arguments);
    } catch (const uno::RuntimeException&) {
        throw;   // the office itself failed (or went away)
    } catch (const uno::Exception&) {
        closeQuietly(component);
        return {};
    }
    uno::Reference<sheet::XSpreadsheetDocument> document(loadable, uno::UNO_QUERY);
    if (document.is()) {
        const auto sheets = document->getSheets();
        uno::Reference<container::XIndexAccess> byIndex(sheets, uno::UNO_QUERY);
        if (sheets->hasByName(toOUString(info.activeSheet()->name)) ||
            (byIndex.is() && byIndex->getCount() == sal_Int32(info.sheets.size())))
            return component;
    }
    closeQuietly(component);
    return {};
}

} // namespace

std::shared_ptr<CalcDocument> openDocument(const std::shared_ptr<OfficeSession>& session, const std::string& requestedPath,
                                           const OpenOptions& options)
{
    const bool readOnly = options.readOnly;
    const std::string path = absolutePath(requestedPath);
    const RegularFile file(path);
    const OfficeConnection& office = session->connection();
    const OUString url = fileUrlOf(path);

    std::optional<OUString> filter;
    try {
        filter = session->call(ErrorText::OfficeStep::DetectFileType, [&] { return detectCalcFilter(office, url); });
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::OfficeConnectionLost)
            throw;
        throw ErrorText::fileTypeUnknown(path, error.description());
    }
    if (!filter)
        throw ErrorText::fileNotAWorkbook(path);
    // Our own reading comes first: a part inflating past the bound is refused
    // before the office spends time on it.
    const auto info = sheetInfoFromFile(file, path);
    refuseDamagedPackage(*session, file, path, url);
    if (!file.stillAt(path))
        throw ErrorText::fileReplacedBeforeLoading(path);

    const FileSheet* namedActive = info ? info->activeSheet() : nullptr;
    // A binary workbook that does not tell (an encrypted one, whose sheet
    // records cannot be read) is loaded with a view: a hidden load of it
    // reports its first sheet, whichever the view shows.
    const bool showActive = !namedActive && isCompoundFile(file);

    // The office locks a workbook opened for editing as soon as the load starts.
    if (!readOnly)
        session->noteLockablePath(path);
    uno::Reference<lang::XComponent> component;
    bool withView = true;
    try {
        component = session->call(ErrorText::OfficeStep::OpenWorkbook, [&]() -> uno::Reference<lang::XComponent> {
            if (options.bareModel && readOnly && !filter->isEmpty() && namedActive && !namedActive->chart) {
                if (auto bare = loadWithoutView(office, url, *filter, *info); bare.is()) {
                    withView = false;
                    return bare;
                }
            }
            // Any other source is loaded hidden. The target is loaded with a
            // view (still nothing on screen in a headless office): a hidden
            // document keeps no view settings, so saving it would lose its
            // active sheet and hidden zeros in .ods.
            auto arguments = loadArguments(readOnly);
            if (readOnly && !showActive)
                append(arguments, property("Hidden", true));
            uno::Reference<frame::XComponentLoader> loader(office.desktop(), uno::UNO_QUERY_THROW);
            return loader->loadComponentFromURL(url, "_blank", 0, arguments);
        });
    } catch (const Error& error) {
        // Something put in the file's place after our check (a FIFO) holds
        // the office until the call deadline ends it: say which file did it.
        if (error.number() == ErrorNumber::OfficeConnectionLost && !file.stillAt(path))
            throw ErrorText::fileReplacedWhileLoading(path, error.description());
        if (error.number() == ErrorNumber::OfficeConnectionLost)
            throw;
        throw ErrorText::fileNotLoaded(path, error.description());
    }
    if (!component.is())
        throw ErrorText::fileRefusedByOffice(path);

    // Asking the loaded component for its interfaces is a remote call too: an
    // office that dies right after loading must give an error here, not a UNO exception.
    const auto [spreadsheet, model] = session->call(ErrorText::OfficeStep::OpenWorkbook, [&] {
        return std::make_pair(uno::Reference<sheet::XSpreadsheetDocument>(component, uno::UNO_QUERY),
                              uno::Reference<frame::XModel>(component, uno::UNO_QUERY));
    });
    if (!spreadsheet.is() || !model.is()) {
        closeQuietly(component);
        throw ErrorText::fileNotAWorkbook(path);
    }

    CalcDocument::Opened opened;
    opened.model = model;
    opened.path = path;
    opened.readOnly = readOnly;
    opened.perCellReads = options.perCellReads;
    opened.withView = withView;
    auto document = std::make_shared<CalcDocument>(session, opened);
    session->adopt(document);
    session->setActiveDocument(document);
    if (namedActive)
        document->recordActiveSheetFromFile(namedActive->name, info->activeIndex, namedActive->chart);
    if (info) {
        std::vector<bool> charts;
        for (const FileSheet& sheet : info->sheets)
            charts.push_back(sheet.chart);
        document->recordChartSheetsFromFile(std::move(charts));
    }
    return document;
}

} // namespace rm::lo
