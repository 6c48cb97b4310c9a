#pragma once

#include "engine/Spreadsheet.h"
#include "engine/files/FileIdentity.h"

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rm::lo {

class OfficeSession;
class CalcWorksheet;

// A spreadsheet document open in our office: the Workbook handle. The
// session keeps it listed until it is closed, so shutdown can close it.
class CalcDocument : public Workbook, public std::enable_shared_from_this<CalcDocument> {
public:
    struct Opened {
        css::uno::Reference<css::frame::XModel> model;
        std::string path;             // absolute
        bool readOnly = false;
        bool perCellReads = false;
        // false: a bare model (a source whose file names its active sheet).
        bool withView = true;
    };

    CalcDocument(const std::shared_ptr<OfficeSession>& session, Opened opened);

    std::shared_ptr<Worksheet> activeSheet() override;
    std::vector<SheetInfo> sheets() override;
    // A fresh handle each time: its texts are read after the writes so far.
    std::shared_ptr<Worksheet> worksheet(std::size_t index) override;
    void close() override;

    // The sheet that the file itself records as active, which the office's
    // view may not know (see WorkbookFileInfo.h).
    // The name is looked up first, then the index (a name whose code page is unknown).
    void recordActiveSheetFromFile(const std::string& name, int index, bool chart);
    // Which sheets the file records as chart sheets (the office loads them as
    // worksheets), in its order.
    void recordChartSheetsFromFile(std::vector<bool> charts);

    // Closes without saving and swallows every failure (shutdown).
    void discard(bool officeAlive);

    const std::string& path() const { return m_path; }
    const std::optional<FileIdentity>& identity() const { return m_identity; }
    bool readOnly() const { return m_readOnly; }
    bool isOpen() const { return m_model.is(); }
    // Every path the office may have locked for this document: where it was
    // opened for editing, and where it was saved or was being saved.
    const std::vector<std::string>& lockablePaths() const { return m_lockablePaths; }

    std::shared_ptr<OfficeSession> session() const;
    css::uno::Reference<css::sheet::XSpreadsheetView> view() const;
    const css::uno::Reference<css::frame::XModel>& model() const;

    void saveAs(const std::string& path);
    void activate(const css::uno::Reference<css::sheet::XSpreadsheet>& sheet);
    void setShowZeroValues(bool show);
    bool modified() const;

private:
    std::weak_ptr<OfficeSession> m_session;
    css::uno::Reference<css::frame::XModel> m_model;
    std::string m_path;
    std::optional<FileIdentity> m_identity;
    bool m_readOnly;
    bool m_perCellReads;
    bool m_withView;
    std::optional<std::string> m_fileActiveSheet;
    int m_fileActiveIndex = 0;
    bool m_fileActiveSheetIsChart = false;
    std::shared_ptr<CalcWorksheet> m_activeSheet;
    std::vector<bool> m_fileChartSheets;
    // Every sheet handle handed out, so that their gathered writes are sent
    // before another sheet is handed out or the file is saved.
    std::vector<std::shared_ptr<CalcWorksheet>> m_handedSheets;
    void flushAllWrites() const;
    std::vector<std::string> m_lockablePaths;
};

} // namespace rm::lo
