#include "engine/libreoffice/documents/CalcDocument.h"
#include "engine/libreoffice/process/LockFiles.h"

#include "engine/ErrorNumbers.h"
#include "engine/ErrorTexts.h"
#include "engine/files/FileSystem.h"
#include "engine/files/NewFileMode.h"
#include "engine/libreoffice/documents/CalcWorksheet.h"
#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/files/SaveFilter.h"
#include "engine/libreoffice/uno/UnoErrors.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include "engine/libreoffice/uno/UnoProperties.h"

#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace css;

namespace rm::lo {

namespace {

// The office would replace a read-only file by writing a new one in its
// place (and root ignores permissions altogether): refuse it here instead.
bool isReadOnlyFile(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

// What went wrong, in the user's words, judged from the file system after
// the office failed; the office's own words follow on a line of their own.
Error saveError(const std::string& target, const std::string& officeText)
{
    const std::string folder = std::filesystem::path(target).parent_path().string();
    struct statvfs space {};
    if (access(folder.c_str(), W_OK) != 0)
        return ErrorText::saveFolderNotWritable(target, folder, officeText);
    if (statvfs(folder.c_str(), &space) == 0 && space.f_bavail * space.f_frsize < 1024 * 1024)
        return ErrorText::saveDiskFull(target, officeText);
    return ErrorText::saveRefusedByOffice(target, officeText);
}

} // namespace

CalcDocument::CalcDocument(const std::shared_ptr<OfficeSession>& session, Opened opened)
    : m_session(session),
      m_model(opened.model),
      m_path(opened.path),
      m_identity(identityOf(opened.path)),
      m_readOnly(opened.readOnly),
      m_perCellReads(opened.perCellReads),
      m_withView(opened.withView)
{
    if (!m_readOnly)
        m_lockablePaths.push_back(m_path);
}

void CalcDocument::recordActiveSheetFromFile(const std::string& name, int index, bool chart)
{
    m_fileActiveSheet = name;
    m_fileActiveIndex = index;
    m_fileActiveSheetIsChart = chart;
}

std::shared_ptr<OfficeSession> CalcDocument::session() const
{
    auto session = m_session.lock();
    if (!session || session->ended())
        throw connectionLostError();
    return session;
}

const uno::Reference<frame::XModel>& CalcDocument::model() const
{
    if (!m_model.is())
        throw ErrorText::workbookClosed(m_path);
    return m_model;
}

uno::Reference<sheet::XSpreadsheetView> CalcDocument::view() const
{
    uno::Reference<sheet::XSpreadsheetView> view(model()->getCurrentController(), uno::UNO_QUERY);
    if (!view.is())
        throw uno::RuntimeException("the document has no spreadsheet view");
    return view;
}

std::shared_ptr<Worksheet> CalcDocument::activeSheet()
{
    if (m_activeSheet && m_model.is())
        return m_activeSheet;
    auto office = session();
    if (m_fileActiveSheetIsChart)
        throw ErrorText::activeSheetIsChart(m_path, m_fileActiveSheet.value_or(""));
    const auto sheet = office->call(ErrorText::OfficeStep::ReadActiveSheet, [&]() -> uno::Reference<sheet::XSpreadsheet> {
        if (m_fileActiveSheet) {
            uno::Reference<sheet::XSpreadsheetDocument> document(model(), uno::UNO_QUERY_THROW);
            const auto sheets = document->getSheets();
            const OUString name = toOUString(*m_fileActiveSheet);
            uno::Reference<container::XIndexAccess> byIndex(sheets, uno::UNO_QUERY_THROW);
            uno::Reference<sheet::XSpreadsheet> recorded;
            if (sheets->hasByName(name))
                recorded.set(sheets->getByName(name), uno::UNO_QUERY_THROW);
            else if (m_fileActiveIndex < byIndex->getCount())
                recorded.set(byIndex->getByIndex(m_fileActiveIndex), uno::UNO_QUERY_THROW);
            if (recorded.is()) {
                if (m_withView)
                    view()->setActiveSheet(recorded);
                return recorded;
            }
        }
        return view()->getActiveSheet();   // a bare model always has its sheet (checked when loaded)
    });
    if (!sheet.is())
        throw ErrorText::noActiveSheet(m_path);
    m_activeSheet = std::make_shared<CalcWorksheet>(shared_from_this(), sheet, m_perCellReads);
    m_handedSheets.push_back(m_activeSheet);
    return m_activeSheet;
}

void CalcDocument::recordChartSheetsFromFile(std::vector<bool> charts)
{
    m_fileChartSheets = std::move(charts);
}

std::vector<SheetInfo> CalcDocument::sheets()
{
    auto office = session();
    // The names in one call, in sheet order. Whether a sheet is hidden costs
    // a call per sheet: it is asked of the workbook we edit only, not of sources.
    std::vector<SheetInfo> infos = office->call(ErrorText::OfficeStep::ReadSheetList, [&] {
        uno::Reference<sheet::XSpreadsheetDocument> document(model(), uno::UNO_QUERY_THROW);
        const auto sheets = document->getSheets();
        std::vector<SheetInfo> list;
        for (const OUString& name : sheets->getElementNames())
            list.push_back({toUtf8(name), false, false});
        if (!m_readOnly)
            for (SheetInfo& info : list) {
                uno::Reference<beans::XPropertySet> properties(sheets->getByName(toOUString(info.name)),
                                                               uno::UNO_QUERY_THROW);
                bool visible = true;
                properties->getPropertyValue("IsVisible") >>= visible;
                info.hidden = !visible;
            }
        return list;
    });
    // The file's list and the loaded one agree sheet for sheet: the office drops none.
    if (m_fileChartSheets.size() == infos.size())
        for (std::size_t i = 0; i < infos.size(); ++i)
            infos[i].chart = m_fileChartSheets[i];
    return infos;
}

std::shared_ptr<Worksheet> CalcDocument::worksheet(std::size_t index)
{
    auto office = session();
    if (index < m_fileChartSheets.size() && m_fileChartSheets[index])
        throw ErrorText::activeSheetIsChart(m_path, "");
    flushAllWrites();
    const auto found = office->call(ErrorText::OfficeStep::ReadSheetList, [&] {
        uno::Reference<sheet::XSpreadsheetDocument> document(model(), uno::UNO_QUERY_THROW);
        uno::Reference<container::XIndexAccess> byIndex(document->getSheets(), uno::UNO_QUERY_THROW);
        return uno::Reference<sheet::XSpreadsheet>(byIndex->getByIndex(sal_Int32(index)), uno::UNO_QUERY_THROW);
    });
    auto handed = std::make_shared<CalcWorksheet>(shared_from_this(), found, m_perCellReads);
    m_handedSheets.push_back(handed);
    return handed;
}

void CalcDocument::flushAllWrites() const
{
    for (const auto& sheet : m_handedSheets)
        sheet->flushWrites();
}

void CalcDocument::close()
{
    if (!m_model.is())
        return;
    auto office = session();
    try {
        office->call(ErrorText::OfficeStep::CloseWorkbook, [&] {
            uno::Reference<util::XCloseable> closeable(m_model, uno::UNO_QUERY_THROW);
            closeable->close(true);
        });
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::OfficeConnectionLost)
            throw;
        throw ErrorText::closeFailed(m_path, error.description());
    }
    m_model.clear();
    m_activeSheet.reset();   // a closed document's sheets, their copies of the texts and unsent writes go too
    m_handedSheets.clear();
    office->forget(this);
}

void CalcDocument::discard(bool officeAlive)
{
    if (m_model.is() && officeAlive) {
        try {
            uno::Reference<util::XCloseable> closeable(m_model, uno::UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
        } catch (...) {
            // Shutting down: the office is terminated next whatever happens here.
        }
    }
    m_model.clear();
    m_activeSheet.reset();
    m_handedSheets.clear();
}

void CalcDocument::saveAs(const std::string& requestedPath)
{
    auto office = session();
    flushAllWrites();
    const std::string target = absolutePath(requestedPath);
    if (const auto targetIdentity = identityOf(target)) {
        for (const auto& other : office->documents()) {
            if (other.get() != this && other->isOpen() && other->identity() == targetIdentity)
                throw ErrorText::saveOntoOpenDocument(target, other->path());
        }
    }
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored))
        throw ErrorText::saveFolderMissing(target, folder.string());
    if (std::filesystem::is_directory(target, ignored))
        throw ErrorText::saveOntoFolder(target);
    if (isReadOnlyFile(target))
        throw ErrorText::saveOntoReadOnlyFile(target);
    // No document of ours is open there (refused above): a lock that names
    // our own office was left by an earlier save that failed.
    if (lockFileIsNoRegularFile(target))
        throw ErrorText::saveLockedByOther(target, lockFilePathOf(target));
    removeLockFileLeftBy(office->profileUrl(), target);
    removeStaleLockFileOfOurs(target);
    const OUString filter = office->call(ErrorText::OfficeStep::SaveWorkbook, [&] {
        const std::string byExtension = saveFilterForPath(target);
        if (!byExtension.empty())
            return OUString::createFromAscii(byExtension.c_str());
        OUString own;
        for (const auto& argument : model()->getArgs())
            if (argument.Name == "FilterName")
                argument.Value >>= own;
        return own;
    });
    m_lockablePaths.push_back(target);
    office->noteLockablePath(target);
    const mode_t permissions = permissionsOf(target).value_or(newFilePermissions());
    try {
        office->call(ErrorText::OfficeStep::SaveWorkbook, [&] {
            uno::Reference<frame::XStorable> storable(model(), uno::UNO_QUERY_THROW);
            const auto arguments = sequence<beans::PropertyValue>({property("Overwrite", true),
                                                          property("FilterName", filter)});
            storable->storeAsURL(fileUrlOf(target), arguments);
        });
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::OfficeConnectionLost)
            throw;
        // A failed save leaves the office's lock on the target behind.
        removeLockFileOfFailedSave(office->profileUrl(), target);
        throw saveError(target, error.description());
    }
    // The office writes under umask 077; the user's file gets the bits it had, or the user's umask gives.
    if (permissionsOf(target) != permissions)
        chmod(target.c_str(), permissions);
    m_path = target;
    m_identity = identityOf(target);
    m_readOnly = false;
}

void CalcDocument::activate(const uno::Reference<sheet::XSpreadsheet>& sheet)
{
    auto office = session();
    office->call(ErrorText::OfficeStep::ActivateSheet, [&] { view()->setActiveSheet(sheet); });
    office->setActiveDocument(shared_from_this());
}

void CalcDocument::setShowZeroValues(bool show)
{
    session()->call(ErrorText::OfficeStep::SetZeroDisplay, [&] {
        uno::Reference<beans::XPropertySet> properties(view(), uno::UNO_QUERY_THROW);
        properties->setPropertyValue("ShowZeroValues", uno::Any(show));
    });
}

bool CalcDocument::modified() const
{
    flushAllWrites();
    return session()->call(ErrorText::OfficeStep::ReadModified, [&] {
        uno::Reference<util::XModifiable> modifiable(model(), uno::UNO_QUERY);
        return modifiable.is() && modifiable->isModified();
    });
}

} // namespace rm::lo
