#pragma once

#include "engine/Spreadsheet.h"

#include <functional>
#include <memory>
#include <string>

namespace rm::lo {

class OfficeSession;
class OfficeSlot;

// The application instance: the private office, seen through the layer.
class CalcApp : public SpreadsheetApp {
public:
    using Opener = std::function<void(const std::string& path)>;

    CalcApp(std::shared_ptr<OfficeSession> session, bool perCellReads, Opener opener);

    // true hands the active (saved) workbook over to the user: it is closed
    // here, the file is opened by `opener` as soon as the office has dropped
    // its lock on it, and the private office is shut down in the background.
    void setVisible(bool visible) override;
    bool visible() const override { return m_visible; }
    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override;
    void setDisplayAlerts(bool on) override { m_displayAlerts = on; }
    void setActiveWindowDisplayZeros(bool on) override;

private:
    std::shared_ptr<OfficeSession> m_session;
    bool m_perCellReads;
    Opener m_opener;
    bool m_visible = false;
    bool m_displayAlerts = true;
};

// The global entry point of one office: sources are opened through it,
// read-only. Each office of the pool has one; it reads a source in bulk
// (one export of the sheet's texts) and closes it at once.
class CalcGlobal : public GlobalEntryPoint {
public:
    CalcGlobal(OfficeSlot* office, bool perCellReads, bool bareModels);
    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override;
    SourceSheets readSheets(const std::string& path, const SourceRequest& request) override;
    ReaderState readerState() override;
    void abandon() override;

private:
    OfficeSlot* m_office;
    bool m_perCellReads;
    bool m_bareModels;
};

} // namespace rm::lo
