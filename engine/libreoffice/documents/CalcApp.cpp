#include "engine/libreoffice/documents/CalcApp.h"

#include "engine/ErrorTexts.h"
#include "engine/SourceReading.h"
#include "engine/libreoffice/documents/CalcDocument.h"
#include "engine/libreoffice/documents/CalcWorksheet.h"
#include "engine/libreoffice/process/OfficeSlot.h"
#include "engine/libreoffice/documents/DocumentLoader.h"
#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/uno/UnoErrors.h"

namespace rm::lo {

namespace {

constexpr int kUnlockWaitMs = 5000;

struct EndsInBackground {
    OfficeSession& session;
    ~EndsInBackground() { session.shutdownInBackground(); }
};

} // namespace

CalcApp::CalcApp(std::shared_ptr<OfficeSession> session, bool perCellReads, Opener opener)
    : m_session(std::move(session)), m_perCellReads(perCellReads), m_opener(std::move(opener))
{
}

std::shared_ptr<Workbook> CalcApp::openWorkbook(const std::string& path)
{
    if (m_session->ended())
        throw connectionLostError();
    return openDocument(m_session, path, {false, m_perCellReads, false});
}

void CalcApp::setActiveWindowDisplayZeros(bool on)
{
    const auto document = m_session->activeDocument();
    if (!document || !document->isOpen())
        throw ErrorText::noWindowForZeroDisplay();
    document->setShowZeroValues(on);
}

void CalcApp::setVisible(bool visible)
{
    if (!visible || m_visible)
        return;
    const auto document = m_session->activeDocument();
    if (!document || !document->isOpen())
        throw ErrorText::nothingToHandOver();
    if (document->modified())
        throw ErrorText::handOverUnsaved(document->path());
    const std::string path = document->path();
    document->close();
    // The user's application may open the file once our office has let go of
    // it; the office itself ends in the background meanwhile. A lock that
    // outlives the close goes with the office (shutdown removes it).
    if (!m_session->waitUntilUnlocked(path, kUnlockWaitMs))
        m_session->shutdown();
    const EndsInBackground endsAnyway{*m_session};
    try {
        m_opener(path);
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        throw ErrorText::outputNotOpened(path, e.what());
    }
    m_visible = true;
}

CalcGlobal::CalcGlobal(OfficeSlot* office, bool perCellReads, bool bareModels)
    : m_office(office), m_perCellReads(perCellReads), m_bareModels(bareModels)
{
}

std::shared_ptr<Workbook> CalcGlobal::openWorkbook(const std::string& path)
{
    return openDocument(m_office->session(), path, {true, m_perCellReads, m_bareModels});
}

SourceSheets CalcGlobal::readSheets(const std::string& path, const SourceRequest& request)
{
    const auto document = openDocument(m_office->session(), path, {true, m_perCellReads, m_bareModels});
    SourceSheets read = readRequestedSheets(*document, request, [](Worksheet& sheet, const SheetRead& wanted) {
        return static_cast<CalcWorksheet&>(sheet).displayedTexts(wanted.rows, wanted.columns);
    });
    document->close();
    return read;
}

GlobalEntryPoint::ReaderState CalcGlobal::readerState()
{
    if (m_office->runningSession())
        return ReaderState::Ready;
    if (m_office->starting())
        return ReaderState::Starting;
    // Never started, or its start failed: this reader stays out (the first office always runs by now).
    return ReaderState::Unavailable;
}

void CalcGlobal::abandon()
{
    m_office->killOffice();
}

} // namespace rm::lo
