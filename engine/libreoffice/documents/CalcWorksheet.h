#pragma once

#include "engine/Spreadsheet.h"
#include "engine/libreoffice/documents/WriteSpans.h"
#include "engine/libreoffice/files/CsvGrid.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace rm::lo {

class CalcDocument;

// A worksheet of a document in our office.
//
// Texts are read in bulk unless per-cell reads were asked for: the first read
// exports the whole sheet's displayed texts at once, or, when the sheet
// reaches beyond the rectangle given to limitReadsTo, reads that rectangle's
// texts in one call (so no read grows with what a file claims to hold). That copy stays exact
// because a read-only source never changes. On an editable sheet a write can
// change only the cells written, formula cells and cells under a conditional
// format that applies a number format: until the first write the copy holds for those too; after one,
// such a cell is read again, together with the next ones of its kind in scan
// order: as many as were read between the two writes before, twice as many
// each time the scan passes them without writing.
//
// On that path writes are also gathered and sent in one call, just before
// anything could observe them: a read of a cell they may change, the used
// range, saving.
//
// Told of a scan before it starts (prepareScan), the sheet learns from the
// formulas' texts which cells each formula follows, and sends ahead of the
// scan, in one call, the sums of the cells whose marks no write can change (a
// text or number that shows "?" by itself). A formula whose followed cells
// all come before it in the scan is then read once, after those writes; one
// that follows only later cells keeps the text it had; one that follows
// cells on both sides (or cannot be followed: another sheet, a name,
// INDIRECT, a volatile function, a conditional number format) stops the
// writes ahead just before it, so that it is read after exactly the writes
// before it. A read that a write sent ahead could falsify (out of scan order)
// first puts those cells' contents back, and so does saving.
class CalcWorksheet : public Worksheet {
public:
    CalcWorksheet(std::shared_ptr<CalcDocument> document, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
                  bool perCellReads);

    std::string name() override;
    long usedRangeRowCount() override;
    long usedRangeColumnCount() override;
    std::string cellText(int row, int column) override;
    bool cellHasFormula(int row, int column) override;
    void setCellValue2(int row, int column, double value) override;
    void limitReadsTo(long rows, long columns) override;
    void prepareScan(int rows, int columns, const ScanValues& valueFor) override;
    void activate() override;
    void saveAs(const std::string& path) override;

    // The displayed texts over rows 1..rows and columns 1..columns, taken at
    // once (per cell on the reference path).
    SheetTexts displayedTexts(int rows, int columns);
    // The live text of a cell, by its own remote call (the reference path).
    std::string liveCellText(int row, int column);
    // Sends the gathered writes to the office.
    void flushWrites();

private:
    struct UsedArea {
        long rows;
        long columns;
    };
    struct Extent {
        long rows;
        long columns;
    };
    UsedArea usedArea();
    void takeSnapshot();
    bool changesWithWrites(long long cell) const;
    CsvGrid readTexts();
    void calculateAll();
    // The sheet's formula cells and cells under conditional number formats, in one
    // call; false (and nothing kept) when there are too many.
    bool collectChangeableCells();
    // The text of a cell a write may have changed, as it is now.
    std::string currentText(int row, int column);
    void refreshFrom(long long cell);
    bool gathersWrites();
    // A cell of an array formula over several cells cannot be changed alone:
    // the office would split the array and leave its other cells broken.
    void refuseWriteIntoArray(int row, int column);
    void markWritten(int row, int column);

    // A write sent ahead of the scan, into a cell whose mark no write can change.
    struct AheadWrite {
        double value;
        std::string content;   // once sent: what the cell held, as the API writes it, to put back
        bool sent = false;
    };
    void planScan(int rows, int columns, const ScanValues& valueFor);
    // The writes whose cells a text may follow: a formula's span, a conditional cell any.
    WriteSpan spanOf(long long cell) const;
    bool writtenWithin(const WriteSpan& span) const;
    bool plannedFor(long long cell) const;
    void abandonPlan();
    // Whether a read of the cell after writes must ask the office (and not the copy).
    bool readFromOffice(long long cell) const;
    std::size_t sendAheadWrites(long long from);
    void takeBackAheadWrites(const WriteSpan& span);
    static long long key(int row, int column) { return (static_cast<long long>(row) << 32) | unsigned(column); }

    // The document owns its active sheet; the sheet only refers back to it.
    std::shared_ptr<CalcDocument> document() const;

    std::weak_ptr<CalcDocument> m_document;
    std::string m_documentPath;   // for the error once the document is gone
    css::uno::Reference<css::sheet::XSpreadsheet> m_sheet;
    bool m_perCellReads;
    std::optional<CsvGrid> m_snapshot;
    std::optional<Extent> m_readLimit;
    std::optional<std::unordered_set<long long>> m_formulaCells;   // known once collected
    // In scan order: formula cells, conditionally formatted cells, cells we wrote.
    std::set<long long> m_changeableCells;
    std::set<long long> m_writtenCells;
    std::unordered_set<long long> m_conditionalCells;
    std::vector<css::table::CellRangeAddress> m_formulaRanges;
    // Known once a scan was announced (and its formulas could be followed).
    std::optional<std::unordered_map<long long, WriteSpan>> m_spans;
    std::set<long long> m_barriers;   // cells that may follow writes before and after them
    std::map<long long, AheadWrite> m_ahead;
    std::set<long long> m_sentAhead;  // in the office, not yet made through setCellValue2
    long long m_sheetCells = 0;
    int m_scanRows = 0;
    int m_scanColumns = 0;
    // Texts of changeable cells from m_freshFirst to m_freshLast (by key),
    // read after the writes counted by m_freshGeneration.
    long m_writeGeneration = 0;
    long m_freshGeneration = -1;
    long long m_freshFirst = 0;
    long long m_freshLast = -1;
    std::size_t m_refreshWindow = 0;
    std::size_t m_readsAfterWrite = 0;   // of cells a write may change, since the last write
    std::unordered_map<long long, std::string> m_freshTexts;
    std::optional<bool> m_gathersWrites;
    std::vector<sal_Int32> m_pendingRows;
    std::vector<sal_Int32> m_pendingColumns;
    std::vector<double> m_pendingValues;
};

} // namespace rm::lo
