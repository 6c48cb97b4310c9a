#pragma once

// The spreadsheet layer: every workbook is opened, read, written and saved
// through these handles. Two bindings implement them: the LibreOffice one
// (engine/libreoffice) and an in-memory one for tests (engine/memory).
//
// Handles are shared_ptrs. Dropping a handle closes nothing. Every failure is
// thrown as rm::Error. Texts and paths are UTF-8; rows and columns count from 1.

#include "engine/NumericLocale.h"
#include "engine/SheetTexts.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rm {

class Worksheet;

// One cell of a worksheet (`Cells(row, column)`): a light value, no remote object.
class Range {
public:
    Range(Worksheet& sheet, int row, int column) : m_sheet(&sheet), m_row(row), m_column(column) {}
    std::string text() const;              // the displayed text, as the office shows it
    void setValue2(double value) const;    // the cell holds that number from now on

private:
    Worksheet* m_sheet;
    int m_row;
    int m_column;
};

class Worksheet {
public:
    virtual ~Worksheet() = default;

    // The sheet's tab name; empty where the binding does not know it.
    virtual std::string name() { return {}; }

    // UsedRange.Rows.Count and UsedRange.Columns.Count: the extents of the used area.
    virtual long usedRangeRowCount() = 0;
    virtual long usedRangeColumnCount() = 0;

    Range cells(int row, int column) { return Range(*this, row, column); }
    virtual std::string cellText(int row, int column) = 0;
    // True when the cell holds a formula: its text may change after any write.
    virtual bool cellHasFormula(int row, int column) = 0;
    virtual void setCellValue2(int row, int column, double value) = 0;
    // Cells beyond rows 1..rows and columns 1..columns will hardly be read:
    // a binding that reads in bulk reads no further (each cell beyond is read
    // on its own), whatever the sheet's own extent.
    virtual void limitReadsTo(long /*rows*/, long /*columns*/) {}
    // Told before a scan of rows 1..rows and columns 1..columns in order:
    // `valueFor(row, column)` is the number the scan writes into that cell if
    // it finds it marked (none where the scan would stop with an error). A
    // binding may send ahead of the scan the writes into cells whose marks no
    // write can change; its texts stay those the cells show after the writes
    // made through setCellValue2 so far, and it saves only those writes.
    using ScanValues = std::function<std::optional<double>(int row, int column)>;
    virtual void prepareScan(int /*rows*/, int /*columns*/, const ScanValues& /*valueFor*/) {}

    // Makes this sheet the active sheet of its workbook's view.
    virtual void activate() = 0;
    // Saves the sheet's whole workbook under `path`; from then on the workbook is that file.
    virtual void saveAs(const std::string& path) = 0;
};

inline std::string Range::text() const { return m_sheet->cellText(m_row, m_column); }
inline void Range::setValue2(double value) const { m_sheet->setCellValue2(m_row, m_column, value); }

// One sheet of a workbook, as its tab shows it.
struct SheetInfo {
    std::string name;
    bool chart = false;    // a chart sheet: no cells
    bool hidden = false;   // known for a workbook opened for editing
};

class Workbook {
public:
    virtual ~Workbook() = default;
    // The sheet that was active when the file was saved; an error when it is no worksheet.
    virtual std::shared_ptr<Worksheet> activeSheet() = 0;
    // Every sheet, in workbook order.
    virtual std::vector<SheetInfo> sheets() = 0;
    // The worksheet at `index` of sheets(); an error for a chart sheet.
    // Writes into sheets handed out earlier are in the workbook before this returns.
    virtual std::shared_ptr<Worksheet> worksheet(std::size_t index) = 0;
    // Closes without saving.
    virtual void close() = 0;
};

// An application instance of our own (the target is opened and saved in it).
class SpreadsheetApp {
public:
    virtual ~SpreadsheetApp() = default;
    // false: nothing is shown. true: hands the saved output over to the user's
    // own spreadsheet application (see the binding for how).
    virtual void setVisible(bool visible) = 0;
    virtual bool visible() const = 0;
    // Workbooks.Open on this instance: opened for editing.
    virtual std::shared_ptr<Workbook> openWorkbook(const std::string& path) = 0;
    virtual void setDisplayAlerts(bool on) = 0;
    // ActiveWindow.DisplayZeros: stored with the workbook when it is saved.
    virtual void setActiveWindowDisplayZeros(bool on) = 0;
};

// What is read of one source in its single opening.
struct SheetRead {
    std::string name;   // unused for the active sheet
    int rows = 0;
    int columns = 0;
};
struct SourceRequest {
    // The active sheet's texts (and its name).
    std::optional<SheetRead> active;
    // Sheets found by name (see findSheetByName). A sheet that is the active
    // sheet, when `active` is asked for too, is not read twice: its texts are
    // the active ones.
    std::vector<SheetRead> byName;
};
struct SourceSheets {
    std::vector<SheetInfo> sheets;   // in workbook order
    std::string activeName;          // with SourceRequest::active
    SheetTexts active;
    // Per SourceRequest::byName, in its order. Missing: no such worksheet,
    // or several match (`candidates` says how many), or it is the active
    // sheet and `active` holds its texts (`isActive`).
    struct Named {
        std::optional<SheetTexts> texts;
        std::string foundName;   // the source's own name of the sheet read
        bool isActive = false;
        int candidates = 0;
    };
    std::vector<Named> byName;
};

// The application-wide entry point (`Global`); sources are opened through it, read-only.
class GlobalEntryPoint {
public:
    virtual ~GlobalEntryPoint() = default;
    virtual std::shared_ptr<Workbook> openWorkbook(const std::string& path) = 0;

    // One source, read then closed: opens the workbook at `path`, takes the
    // displayed texts of its active sheet over rows 1..rows and columns
    // 1..columns (or fewer, where the sheet holds nothing further), and
    // closes it: readSheets() for the active sheet alone.
    SheetTexts readSource(const std::string& path, int rows, int columns);
    // The same for every sheet asked for, in one opening of the file. The
    // default does this through openWorkbook(); a binding may read in bulk.
    virtual SourceSheets readSheets(const std::string& path, const SourceRequest& request);
    // Whether this entry point can read now: its office may still be
    // starting, or may have failed to start (the others read then). Never waits.
    enum class ReaderState { Ready, Starting, Unavailable };
    virtual ReaderState readerState() { return ReaderState::Ready; }
    // The run has failed: end what this reader reads with now, whether it
    // answers or not (an office is killed), so that a read in progress
    // returns at once and nothing waits on it. The next use starts afresh.
    // Safe from another thread while it reads.
    virtual void abandon() {}
};

// What the merge run needs of a binding: start an instance, reach the global
// entry point (obtained on first use and held until the process ends), and
// learn how the application shows numbers.
class SpreadsheetBinding {
public:
    virtual ~SpreadsheetBinding() = default;
    virtual std::shared_ptr<SpreadsheetApp> createInstance() = 0;
    virtual GlobalEntryPoint& global() = 0;

    // Entry points that read `sourceCount` sources side by side: each has an
    // office of its own and may be used from a thread of its own while the
    // others are in use; the first is global(). Asked before createInstance(),
    // so that further offices can start while the first does. Empty (the
    // default): global() alone reads.
    virtual std::vector<GlobalEntryPoint*> sourceReaders(std::size_t sourceCount)
    {
        (void)sourceCount;
        return {};
    }
    // Starts the office in the background, so that a later createInstance()
    // need not wait for it. A failed start is reported by createInstance().
    virtual void prepare() {}
    // The separators and currency symbols the application formats the
    // displayed texts with, in its current locale: the numeric test reads
    // the texts with them. Asked after the workbooks are open.
    virtual NumericLocale numericLocale() = 0;
};

} // namespace rm
