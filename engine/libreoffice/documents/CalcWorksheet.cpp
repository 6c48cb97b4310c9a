#include "engine/libreoffice/documents/CalcWorksheet.h"

#include "engine/ErrorNumbers.h"
#include "engine/MarkedCells.h"
#include "engine/ErrorTexts.h"
#include "engine/check/LayoutFindings.h"
#include "engine/libreoffice/bulk/BatchCellReader.h"
#include "engine/libreoffice/bulk/BatchCellWriter.h"
#include "engine/libreoffice/documents/CalcDocument.h"
#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/bulk/SheetTextExport.h"
#include "engine/libreoffice/uno/UnoErrors.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XActionLockable.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XArrayFormulaRange.hpp>
#include <com/sun/star/sheet/XCalculatable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XConditionalFormat.hpp>
#include <com/sun/star/sheet/XConditionalFormats.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XProtectable.hpp>

#include <algorithm>
#include <cstring>
#include <limits>

using namespace css;

namespace rm::lo {

namespace {

// Beyond this many formula and conditionally formatted cells a sheet is simply read live.
constexpr long long MaxTrackedCells = 2'000'000;
// After a write, the cells it may have changed are read again together: as
// many as the scan read between the two writes before (the scan tends to
// repeat itself row after row), twice as many each time it passes them
// without writing between.
constexpr std::size_t FirstRefreshWindow = 64;
constexpr std::size_t LargestRefreshWindow = 65536;
// Following the formulas' references stops (and the scan goes the careful
// way) beyond this many cell visits.
constexpr long long FollowBudget = 20'000'000;
// A read of this many cells goes through the sheet's export rather than cell
// by cell: the export costs about as much as one cell read per this many cells of the sheet.
constexpr long long CellsPerExportedCellRead = 25;

bool sameNumber(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void checkPosition(int row, int column)
{
    if (row < 1 || column < 1)
        throw ErrorText::cellPositionInvalid(row, column);
}

// A cell call the office refused becomes an error about that cell; a lost
// connection or a deadline stays what it is.
template <typename CellError>
[[noreturn]] void rethrowAsCellAccess(const Error& error, CellError cellError)
{
    if (error.number() != ErrorNumber::OfficeCallFailed)
        throw error;
    throw cellError(error.description());
}

// While values go in: no view updates and no repeated recalculation.
class HeldRecalculation {
public:
    explicit HeldRecalculation(const uno::Reference<frame::XModel>& model)
        : m_model(model), m_actions(model, uno::UNO_QUERY)
    {
        m_model->lockControllers();
        if (m_actions.is())
            m_actions->addActionLock();
    }
    // Runs while a failed write unwinds too: an office that died meanwhile
    // must not turn the write's error into a second exception here.
    ~HeldRecalculation()
    {
        try {
            if (m_actions.is())
                m_actions->removeActionLock();
            m_model->unlockControllers();
        } catch (const uno::Exception&) {
        }
    }
    HeldRecalculation(const HeldRecalculation&) = delete;
    HeldRecalculation& operator=(const HeldRecalculation&) = delete;

private:
    uno::Reference<frame::XModel> m_model;
    uno::Reference<document::XActionLockable> m_actions;
};

table::CellRangeAddress usedAreaOf(const uno::Reference<sheet::XSpreadsheet>& sheet)
{
    const uno::Reference<sheet::XSheetCellCursor> cursor = sheet->createCursor();
    uno::Reference<sheet::XUsedAreaCursor> used(cursor, uno::UNO_QUERY_THROW);
    used->gotoStartOfUsedArea(false);
    used->gotoEndOfUsedArea(true);
    uno::Reference<sheet::XCellRangeAddressable> addressable(cursor, uno::UNO_QUERY_THROW);
    return addressable->getRangeAddress();
}

// Whether the cell style `name` (or one it inherits from) sets a number
// format: applied by a condition, only such a style changes a cell's text.
// Unsure (no such style, a cycle): it does.
bool styleSetsNumberFormat(const uno::Reference<container::XNameAccess>& cellStyles, OUString name)
{
    for (int depth = 0; depth < 32; ++depth) {
        if (name.isEmpty())
            return false;
        if (!cellStyles.is() || !cellStyles->hasByName(name))
            return true;
        uno::Reference<beans::XPropertyState> state(cellStyles->getByName(name), uno::UNO_QUERY);
        uno::Reference<style::XStyle> style(state, uno::UNO_QUERY);
        if (!state.is() || !style.is() || state->getPropertyState("NumberFormat") == beans::PropertyState_DIRECT_VALUE)
            return true;
        name = style->getParentStyle();
    }
    return true;
}

// Whether a conditional format can change the texts of its cells: only a
// condition that applies a style with a number format can (colour scales,
// data bars, icon sets and styles of colours and fonts change no text).
bool changesTexts(const uno::Reference<sheet::XConditionalFormat>& format,
                  const uno::Reference<container::XNameAccess>& cellStyles)
{
    for (sal_Int32 i = 0; i < format->getCount(); ++i) {
        uno::Reference<beans::XPropertySet> entry(format->getByIndex(i), uno::UNO_QUERY);
        if (!entry.is())
            return true;
        if (!entry->getPropertySetInfo()->hasPropertyByName("StyleName"))
            continue;
        OUString styleName;
        entry->getPropertyValue("StyleName") >>= styleName;
        if (styleSetsNumberFormat(cellStyles, styleName))
            return true;
    }
    return false;
}

uno::Reference<container::XNameAccess> cellStylesOf(const uno::Reference<frame::XModel>& model)
{
    uno::Reference<style::XStyleFamiliesSupplier> families(model, uno::UNO_QUERY);
    if (!families.is() || !families->getStyleFamilies()->hasByName("CellStyles"))
        return {};
    return uno::Reference<container::XNameAccess>(families->getStyleFamilies()->getByName("CellStyles"), uno::UNO_QUERY);
}

// The ranges of the sheet's conditional formats that can change texts, cut
// to `used` (cells beyond it are empty and show nothing, whatever their format).
std::vector<table::CellRangeAddress> conditionalRanges(const uno::Reference<sheet::XSpreadsheet>& sheet,
                                                       const uno::Reference<frame::XModel>& model,
                                                       const table::CellRangeAddress& used)
{
    std::vector<table::CellRangeAddress> ranges;
    uno::Reference<beans::XPropertySet> properties(sheet, uno::UNO_QUERY);
    if (!properties.is() || !properties->getPropertySetInfo()->hasPropertyByName("ConditionalFormats"))
        return ranges;
    uno::Reference<sheet::XConditionalFormats> formats(properties->getPropertyValue("ConditionalFormats"), uno::UNO_QUERY);
    if (!formats.is())
        return ranges;
    const uno::Reference<container::XNameAccess> cellStyles = cellStylesOf(model);
    for (const auto& format : formats->getConditionalFormats()) {
        uno::Reference<beans::XPropertySet> formatProperties(format, uno::UNO_QUERY);
        if (!formatProperties.is() || !changesTexts(format, cellStyles))
            continue;
        uno::Reference<sheet::XSheetCellRanges> covered(formatProperties->getPropertyValue("Range"), uno::UNO_QUERY);
        if (!covered.is())
            continue;
        for (auto range : covered->getRangeAddresses()) {
            range.StartRow = std::max(range.StartRow, used.StartRow);
            range.StartColumn = std::max(range.StartColumn, used.StartColumn);
            range.EndRow = std::min(range.EndRow, used.EndRow);
            range.EndColumn = std::min(range.EndColumn, used.EndColumn);
            if (range.StartRow <= range.EndRow && range.StartColumn <= range.EndColumn)
                ranges.push_back(range);
        }
    }
    return ranges;
}

long long cellCount(const std::vector<table::CellRangeAddress>& ranges)
{
    long long count = 0;
    for (const auto& range : ranges)
        count += static_cast<long long>(range.EndRow - range.StartRow + 1) * (range.EndColumn - range.StartColumn + 1);
    return count;
}

} // namespace

CalcWorksheet::CalcWorksheet(std::shared_ptr<CalcDocument> document, uno::Reference<sheet::XSpreadsheet> sheet,
                             bool perCellReads)
    : m_document(document), m_documentPath(document->path()), m_sheet(std::move(sheet)), m_perCellReads(perCellReads)
{
}

std::shared_ptr<CalcDocument> CalcWorksheet::document() const
{
    auto document = m_document.lock();
    if (!document)
        throw ErrorText::workbookClosed(m_documentPath);
    return document;
}

CalcWorksheet::UsedArea CalcWorksheet::usedArea()
{
    flushWrites();
    return document()->session()->call(ErrorText::OfficeStep::ReadUsedArea, [&] {
        const table::CellRangeAddress area = usedAreaOf(m_sheet);
        return UsedArea{long(area.EndRow) - area.StartRow + 1, long(area.EndColumn) - area.StartColumn + 1};
    });
}

long CalcWorksheet::usedRangeRowCount()
{
    return usedArea().rows;
}

long CalcWorksheet::usedRangeColumnCount()
{
    return usedArea().columns;
}

std::string CalcWorksheet::liveCellText(int row, int column)
{
    checkPosition(row, column);
    if (m_spans)
        takeBackAheadWrites(spanOf(key(row, column)));
    flushWrites();
    try {
        return document()->session()->call(ErrorText::OfficeStep::ReadCell, [&] {
            uno::Reference<text::XText> text(m_sheet->getCellByPosition(column - 1, row - 1), uno::UNO_QUERY_THROW);
            return toUtf8(text->getString());
        });
    } catch (const Error& error) {
        rethrowAsCellAccess(error, [&](const std::string& why) { return ErrorText::cellNotRead(row, column, why); });
    }
}

std::string CalcWorksheet::cellText(int row, int column)
{
    checkPosition(row, column);
    if (!m_perCellReads && !m_snapshot)
        takeSnapshot();   // may find that this sheet has to be read live after all
    if (m_perCellReads || (m_readLimit && (row > m_readLimit->rows || column > m_readLimit->columns)))
        return liveCellText(row, column);
    if (changesWithWrites(key(row, column)))
        return currentText(row, column);
    return m_snapshot->text(row, column);
}

std::string CalcWorksheet::currentText(int row, int column)
{
    const long long cell = key(row, column);
    if (m_spans) {
        const WriteSpan span = spanOf(cell);
        if (!writtenWithin(span))
            return m_snapshot->text(row, column);   // no write made so far reaches it
        takeBackAheadWrites(span);
    }
    flushWrites();
    if (m_writeGeneration == 0)
        return m_snapshot->text(row, column);   // nothing written since the copy was taken
    ++m_readsAfterWrite;
    if (m_freshGeneration != m_writeGeneration || cell < m_freshFirst || cell > m_freshLast)
        refreshFrom(cell);
    if (const auto fresh = m_freshTexts.find(cell); fresh != m_freshTexts.end())
        return fresh->second;
    return liveCellText(row, column);   // no routine to read them together
}

void CalcWorksheet::refreshFrom(long long cell)
{
    m_freshTexts.clear();
    const BatchCellReader* reader = document()->session()->batchCellReader();
    if (!reader)
        return;
    // Writes ahead are sent only for a cell that follows none after it (the scan's next).
    std::size_t sentAhead = 0;
    if (m_spans) {
        const WriteSpan span = spanOf(cell);
        if (span.known && (span.empty() || span.last < cell))
            sentAhead = sendAheadWrites(cell);
    }
    // Cells past the next write still to come would be read too early.
    long long before = std::numeric_limits<long long>::max();
    if (m_spans)
        for (auto ahead = m_ahead.lower_bound(cell); ahead != m_ahead.end(); ++ahead)
            if (!ahead->second.sent) {
                before = ahead->first;
                break;
            }
    if (m_freshGeneration == m_writeGeneration) {
        m_refreshWindow = std::min(m_refreshWindow * 2, LargestRefreshWindow);
    } else {
        // The read asking now is the first after this write; those before it followed the previous one.
        const std::size_t previousRun = m_freshGeneration < 0 ? FirstRefreshWindow : m_readsAfterWrite - 1;
        m_refreshWindow = std::clamp<std::size_t>(previousRun, 1, LargestRefreshWindow);
        m_readsAfterWrite = 1;
    }
    std::vector<long long> cells;
    std::vector<sal_Int32> rows;
    std::vector<sal_Int32> columns;
    // After writes sent ahead, every cell up to the next write to come is read at once.
    const std::size_t window = sentAhead > 0 ? std::numeric_limits<std::size_t>::max() : m_refreshWindow;
    // Cells passed over count too, so that a window stays short where few need reading.
    const std::size_t passes = sentAhead > 0 ? std::numeric_limits<std::size_t>::max() : 4 * m_refreshWindow + 256;
    std::size_t passed = 0;
    auto next = m_changeableCells.lower_bound(cell);
    for (; next != m_changeableCells.end() && *next < before && cells.size() < window && passed < passes; ++next, ++passed) {
        if (m_spans && *next != cell && !readFromOffice(*next))
            continue;
        cells.push_back(*next);
        rows.push_back(static_cast<sal_Int32>((*next >> 32) - 1));
        columns.push_back(static_cast<sal_Int32>((*next & 0xffffffff) - 1));
    }
    const long long readCount = static_cast<long long>(cells.size());
    if (m_spans && readCount >= 256 && readCount * CellsPerExportedCellRead >= m_sheetCells) {
        const CsvGrid grid = document()->session()->call(ErrorText::OfficeStep::ReadSheetContent, [&] { return readTexts(); });
        for (size_t i = 0; i < cells.size(); ++i)
            m_freshTexts.emplace(cells[i], grid.text(rows[i] + 1, columns[i] + 1));
    } else {
        std::vector<std::string> texts;
        try {
            texts = document()->session()->call(ErrorText::OfficeStep::ReadCell, [&] { return reader->readCells(m_sheet, rows, columns); });
        } catch (const Error& error) {
            rethrowAsCellAccess(error, ErrorText::cellsNotRead);
        }
        for (size_t i = 0; i < cells.size(); ++i)
            m_freshTexts.emplace(cells[i], std::move(texts[i]));
    }
    m_freshGeneration = m_writeGeneration;
    m_freshFirst = cell;
    // Cells passed over in between are read by themselves if they are asked for.
    m_freshLast = next == m_changeableCells.end() ? std::numeric_limits<long long>::max() : *next - 1;
}

SheetTexts CalcWorksheet::displayedTexts(int rows, int columns)
{
    limitReadsTo(rows, columns);
    if (!m_perCellReads && !m_snapshot)
        takeSnapshot();
    if (m_perCellReads || !m_changeableCells.empty())
        return readSheetTexts(*this, rows, columns);
    // Only as far as the sheet holds cells: a small source under a large
    // template needs no room for the empty rest.
    SheetTexts texts(static_cast<int>(std::min<long>(rows, m_snapshot->rowCount())),
                     static_cast<int>(std::min<long>(columns, m_snapshot->columnCount())));
    long index = 0;
    for (int row = 1; row <= texts.rows(); ++row)
        for (int column = 1; column <= texts.columns(); ++column)
            texts.setText(index++, m_snapshot->text(row, column));
    m_snapshot.reset();   // read once: the document is closed next
    return texts;
}

bool CalcWorksheet::changesWithWrites(long long cell) const
{
    return m_changeableCells.count(cell) != 0;
}

bool CalcWorksheet::collectChangeableCells()
{
    uno::Reference<sheet::XCellRangesQuery> query(m_sheet, uno::UNO_QUERY_THROW);
    const auto sequence = query->queryContentCells(sheet::CellFlags::FORMULA)->getRangeAddresses();
    const std::vector<table::CellRangeAddress> formulas(sequence.begin(), sequence.end());
    const std::vector<table::CellRangeAddress> conditional = conditionalRanges(m_sheet, document()->model(), usedAreaOf(m_sheet));
    if (cellCount(formulas) + cellCount(conditional) > MaxTrackedCells)
        return false;
    std::unordered_set<long long> formulaCells;
    for (const auto* ranges : {&formulas, &conditional})
        for (const auto& range : *ranges)
            for (sal_Int32 r = range.StartRow; r <= range.EndRow; ++r)
                for (sal_Int32 c = range.StartColumn; c <= range.EndColumn; ++c) {
                    m_changeableCells.insert(key(r + 1, c + 1));
                    if (ranges == &formulas)
                        formulaCells.insert(key(r + 1, c + 1));
                    else
                        m_conditionalCells.insert(key(r + 1, c + 1));
                }
    for (const long long written : m_writtenCells)
        formulaCells.erase(written);
    m_formulaRanges = formulas;
    m_formulaCells = std::move(formulaCells);
    return true;
}

bool CalcWorksheet::cellHasFormula(int row, int column)
{
    checkPosition(row, column);
    if (!m_formulaCells) {
        flushWrites();
        const bool collected = document()->session()->call(ErrorText::OfficeStep::ReadFormulaCells, [&] { return collectChangeableCells(); });
        if (!collected) {
            // Too many to keep: ask for this one cell.
            try {
                return document()->session()->call(ErrorText::OfficeStep::ReadCell, [&] {
                    return m_sheet->getCellByPosition(column - 1, row - 1)->getType() == table::CellContentType_FORMULA;
                });
            } catch (const Error& error) {
                rethrowAsCellAccess(error, [&](const std::string& why) { return ErrorText::cellNotRead(row, column, why); });
            }
        }
    }
    return m_formulaCells->count(key(row, column)) != 0;
}

void CalcWorksheet::takeSnapshot()
{
    flushWrites();
    const bool editable = !document()->readOnly();
    document()->session()->call(ErrorText::OfficeStep::ReadSheetContent, [&] {
        if (editable && !m_formulaCells && !collectChangeableCells()) {
            m_perCellReads = true;
            return;
        }
        m_snapshot = readTexts();
    });
}

void CalcWorksheet::limitReadsTo(long rows, long columns)
{
    m_readLimit = Extent{rows, columns};
}

// The export writes every row and column up to the sheet's last used cell, so
// it is only taken when that lies within the limit; otherwise the office reads
// just the limit's rectangle (or, without its routine, each cell is read alone).
CsvGrid CalcWorksheet::readTexts()
{
    if (m_readLimit) {
        const table::CellRangeAddress used = usedAreaOf(m_sheet);
        if (long(used.EndRow) + 1 > m_readLimit->rows || long(used.EndColumn) + 1 > m_readLimit->columns) {
            const BatchCellReader* reader = document()->session()->batchCellReader();
            if (!reader) {
                m_perCellReads = true;
                return CsvGrid();
            }
            calculateAll();
            return reader->read(m_sheet, m_readLimit->rows, m_readLimit->columns);
        }
    }
    uno::Reference<sheet::XCellRangeAddressable> addressable(m_sheet, uno::UNO_QUERY_THROW);
    return exportSheetTexts(document()->model(), addressable->getRangeAddress().Sheet,
                            document()->session()->temporaryFolder());
}

// On a model loaded without a view, a formula cell whose result came from
// the file answers a text read with its bare value, its result's own format
// (a truth value) unknown: "1" where the office shows TRUE. Calculated
// first, every cell reads as the view and the whole-sheet export show it.
void CalcWorksheet::calculateAll()
{
    uno::Reference<sheet::XCalculatable> calculatable(document()->model(), uno::UNO_QUERY);
    if (calculatable.is())
        calculatable->calculateAll();
}

bool CalcWorksheet::gathersWrites()
{
    if (!m_gathersWrites) {
        // Only with bulk reads, and not where the office might refuse a write
        // (a protected sheet): a refusal must come at the write that caused it.
        m_gathersWrites = !m_perCellReads && document()->session()->call(ErrorText::OfficeStep::PrepareWrites, [&] {
            uno::Reference<util::XProtectable> protectable(m_sheet, uno::UNO_QUERY);
            return !(protectable.is() && protectable->isProtected()) &&
                   document()->session()->batchCellWriter() != nullptr;
        });
    }
    return *m_gathersWrites && !m_perCellReads;
}

void CalcWorksheet::refuseWriteIntoArray(int row, int column)
{
    if (!cellHasFormula(row, column))
        return;   // known without a call once the formula cells are collected
    const auto array = document()->session()->call(ErrorText::OfficeStep::ReadArrayFormula, [&]() -> std::optional<table::CellRangeAddress> {
        uno::Reference<sheet::XArrayFormulaRange> cell(m_sheet->getCellRangeByPosition(column - 1, row - 1, column - 1, row - 1),
                                                       uno::UNO_QUERY);
        if (!cell.is() || cell->getArrayFormula().isEmpty())
            return std::nullopt;
        const uno::Reference<sheet::XSheetCellCursor> cursor =
            m_sheet->createCursorByRange(uno::Reference<sheet::XSheetCellRange>(cell, uno::UNO_QUERY_THROW));
        cursor->collapseToCurrentArray();
        const table::CellRangeAddress area =
            uno::Reference<sheet::XCellRangeAddressable>(cursor, uno::UNO_QUERY_THROW)->getRangeAddress();
        if (area.StartRow == area.EndRow && area.StartColumn == area.EndColumn)
            return std::nullopt;   // an array of this one cell is replaced whole
        return area;
    });
    if (!array)
        return;
    const std::string shown = cellText(row, column);
    const std::string arrayArea = cellAddress(array->StartRow + 1, array->StartColumn + 1) + ":" +
                                  cellAddress(array->EndRow + 1, array->EndColumn + 1);
    throw ErrorText::markInArrayFormula(cellAddress(row, column), shown, arrayArea);
}

void CalcWorksheet::setCellValue2(int row, int column, double value)
{
    checkPosition(row, column);
    refuseWriteIntoArray(row, column);
    if (m_spans && !plannedFor(key(row, column)))
        abandonPlan();
    if (const auto ahead = m_ahead.find(key(row, column)); ahead != m_ahead.end()) {
        const bool alreadyThere = ahead->second.sent && sameNumber(ahead->second.value, value);
        m_sentAhead.erase(ahead->first);
        m_ahead.erase(ahead);
        if (alreadyThere) {
            markWritten(row, column);
            return;
        }
    }
    if (gathersWrites()) {
        m_pendingRows.push_back(row - 1);
        m_pendingColumns.push_back(column - 1);
        m_pendingValues.push_back(value);
        markWritten(row, column);
        return;
    }
    try {
        document()->session()->call(ErrorText::OfficeStep::WriteCell, [&] {
            m_sheet->getCellByPosition(column - 1, row - 1)->setValue(value);
        });
    } catch (const Error& error) {
        rethrowAsCellAccess(error, [&](const std::string& why) { return ErrorText::cellNotWritten(row, column, why); });
    }
    ++m_writeGeneration;
    markWritten(row, column);
}

void CalcWorksheet::markWritten(int row, int column)
{
    m_writtenCells.insert(key(row, column));
    m_changeableCells.insert(key(row, column));
    if (m_formulaCells)
        m_formulaCells->erase(key(row, column));   // a written value replaces a formula
}

void CalcWorksheet::flushWrites()
{
    if (m_pendingValues.empty())
        return;
    std::vector<sal_Int32> rows;
    std::vector<sal_Int32> columns;
    std::vector<double> values;
    rows.swap(m_pendingRows);
    columns.swap(m_pendingColumns);
    values.swap(m_pendingValues);
    auto office = document()->session();
    try {
        office->call(ErrorText::OfficeStep::WriteCell, [&] {
            const HeldRecalculation held(document()->model());
            office->batchCellWriter()->write(m_sheet, rows, columns, values);
        });
    } catch (const Error& error) {
        rethrowAsCellAccess(error, ErrorText::cellsNotWritten);
    }
    ++m_writeGeneration;
}

void CalcWorksheet::prepareScan(int rows, int columns, const ScanValues& valueFor)
{
    if (m_perCellReads || m_spans || !m_writtenCells.empty() || document()->readOnly())
        return;
    if (!m_snapshot)
        takeSnapshot();
    if (m_perCellReads || !m_snapshot || m_changeableCells.empty() || !m_formulaCells || !gathersWrites())
        return;
    if (m_readLimit && (rows > m_readLimit->rows || columns > m_readLimit->columns))
        return;   // cells beyond the limit are read live anyway
    flushWrites();
    planScan(rows, columns, valueFor);
}

void CalcWorksheet::planScan(int rows, int columns, const ScanValues& valueFor)
{
    // The formulas to follow, as the API writes them: a block of formula
    // cells at a time, or all in the blocks' bounding box when they are many.
    long sheetRows = 0;
    long sheetColumns = 0;
    std::unordered_map<long long, std::string> formulas;
    const bool fetched = document()->session()->call(ErrorText::OfficeStep::ReadFormulaCells, [&] {
        const table::CellRangeAddress used = usedAreaOf(m_sheet);
        sheetRows = used.EndRow + 1;
        sheetColumns = used.EndColumn + 1;
        std::vector<table::CellRangeAddress> blocks = m_formulaRanges;
        if (blocks.size() > 16) {
            table::CellRangeAddress box = blocks.front();
            for (const auto& block : blocks) {
                box.StartRow = std::min(box.StartRow, block.StartRow);
                box.StartColumn = std::min(box.StartColumn, block.StartColumn);
                box.EndRow = std::max(box.EndRow, block.EndRow);
                box.EndColumn = std::max(box.EndColumn, block.EndColumn);
            }
            if (static_cast<long long>(box.EndRow - box.StartRow + 1) * (box.EndColumn - box.StartColumn + 1) > MaxTrackedCells)
                return false;   // scattered far apart: not worth following
            blocks = {box};
        }
        for (const auto& block : blocks) {
            uno::Reference<sheet::XCellRangeFormula> range(
                m_sheet->getCellRangeByPosition(block.StartColumn, block.StartRow, block.EndColumn, block.EndRow), uno::UNO_QUERY_THROW);
            const auto array = range->getFormulaArray();
            for (sal_Int32 r = 0; r < array.getLength(); ++r)
                for (sal_Int32 c = 0; c < array[r].getLength(); ++c) {
                    const long long cell = key(block.StartRow + r + 1, block.StartColumn + c + 1);
                    if (m_formulaCells->count(cell))
                        formulas.emplace(cell, toUtf8(array[r][c]));
                }
        }
        return true;
    });
    if (!fetched)
        return;

    // Nothing is written yet: the cells a write may change are the formula and conditional cells.
    auto changeable = [&](long long cell) { return m_formulaCells->count(cell) != 0 || m_conditionalCells.count(cell) != 0; };
    auto inScan = [&](long long cell) { return (cell >> 32) <= rows && (cell & 0xffffffff) <= static_cast<unsigned>(columns); };
    auto writable = [&](long long cell) {
        return inScan(cell) && (changeable(cell) ||
                                isMarkedText(m_snapshot->text(static_cast<int>(cell >> 32), static_cast<int>(cell & 0xffffffff))));
    };
    auto spans = writeSpans(formulas, writable, sheetRows, sheetColumns, FollowBudget);
    if (!spans)
        return;
    m_spans = std::move(*spans);
    m_sheetCells = static_cast<long long>(sheetRows) * sheetColumns;
    m_scanRows = rows;
    m_scanColumns = columns;
    for (const long long cell : m_changeableCells) {
        const WriteSpan span = spanOf(cell);
        if (!span.known || (span.first < cell && span.last > cell))
            m_barriers.insert(cell);
    }
    for (int row = 1; row <= rows; ++row)
        for (int column = 1; column <= columns; ++column) {
            const long long cell = key(row, column);
            if (changeable(cell) || !isMarkedText(m_snapshot->text(row, column)))
                continue;
            if (const std::optional<double> value = valueFor(row, column))
                m_ahead.emplace(cell, AheadWrite{*value, {}});
        }
}

// The spans count only the cells the scan may write.
bool CalcWorksheet::plannedFor(long long cell) const
{
    const int row = static_cast<int>(cell >> 32);
    const int column = static_cast<int>(cell & 0xffffffff);
    return row <= m_scanRows && column <= m_scanColumns &&
           (m_changeableCells.count(cell) != 0 || isMarkedText(m_snapshot->text(row, column)));
}

// Back to reading every changeable cell after any write.
void CalcWorksheet::abandonPlan()
{
    takeBackAheadWrites(WriteSpan::unknown());
    m_spans.reset();
    m_ahead.clear();
    m_barriers.clear();
    ++m_writeGeneration;
}

WriteSpan CalcWorksheet::spanOf(long long cell) const
{
    if (m_writtenCells.count(cell) || m_conditionalCells.count(cell))
        return WriteSpan::unknown();
    if (const auto span = m_spans->find(cell); span != m_spans->end())
        return span->second;
    if (m_changeableCells.count(cell))
        return WriteSpan::unknown();
    WriteSpan own;   // a cell without a formula shows its own content
    own.first = own.last = cell;
    return own;
}

bool CalcWorksheet::writtenWithin(const WriteSpan& span) const
{
    if (!span.known)
        return !m_writtenCells.empty();
    const auto written = m_writtenCells.lower_bound(span.first);
    return written != m_writtenCells.end() && *written <= span.last;
}

bool CalcWorksheet::readFromOffice(long long cell) const
{
    if (m_writtenCells.count(cell))
        return false;   // the scan is past it
    const WriteSpan span = spanOf(cell);
    return !span.empty() && !(span.known && span.first > cell);   // else the copy holds until the scan passes it
}

// Sends the writes ahead from `from` up to the next cell that may follow
// writes on both of its sides.
std::size_t CalcWorksheet::sendAheadWrites(long long from)
{
    const auto barrier = m_barriers.lower_bound(from);
    const long long before = barrier == m_barriers.end() ? std::numeric_limits<long long>::max() : *barrier;
    std::vector<sal_Int32> rows;
    std::vector<sal_Int32> columns;
    std::vector<double> values;
    for (auto ahead = m_ahead.lower_bound(from); ahead != m_ahead.end() && ahead->first < before; ++ahead) {
        if (ahead->second.sent)
            continue;
        rows.push_back(static_cast<sal_Int32>((ahead->first >> 32) - 1));
        columns.push_back(static_cast<sal_Int32>((ahead->first & 0xffffffff) - 1));
        values.push_back(ahead->second.value);
    }
    if (values.empty())
        return 0;
    flushWrites();
    auto office = document()->session();
    std::vector<std::string> previous;
    try {
        previous = office->call(ErrorText::OfficeStep::WriteCell, [&] {
            const HeldRecalculation held(document()->model());
            return office->batchCellWriter()->swap(m_sheet, rows, columns, values);
        });
    } catch (const Error& error) {
        rethrowAsCellAccess(error, ErrorText::cellsNotWritten);
    }
    for (size_t i = 0; i < values.size(); ++i) {
        const long long cell = key(rows[i] + 1, columns[i] + 1);
        AheadWrite& ahead = m_ahead.at(cell);
        ahead.sent = true;
        ahead.content = std::move(previous[i]);
        m_sentAhead.insert(cell);
    }
    ++m_writeGeneration;
    return values.size();
}

void CalcWorksheet::takeBackAheadWrites(const WriteSpan& span)
{
    std::vector<long long> cells;
    for (auto sent = span.known ? m_sentAhead.lower_bound(span.first) : m_sentAhead.begin();
         sent != m_sentAhead.end() && (!span.known || *sent <= span.last); ++sent)
        cells.push_back(*sent);
    if (cells.empty())
        return;
    try {
        document()->session()->call(ErrorText::OfficeStep::WriteCell, [&] {
            for (const long long cell : cells)
                m_sheet->getCellByPosition(static_cast<sal_Int32>((cell & 0xffffffff) - 1), static_cast<sal_Int32>((cell >> 32) - 1))
                    ->setFormula(toOUString(m_ahead.at(cell).content));
        });
    } catch (const Error& error) {
        rethrowAsCellAccess(error, ErrorText::cellsNotWritten);
    }
    for (const long long cell : cells) {
        m_ahead.at(cell).sent = false;
        m_sentAhead.erase(cell);
    }
    ++m_writeGeneration;
}

void CalcWorksheet::activate()
{
    flushWrites();
    document()->activate(m_sheet);
}

void CalcWorksheet::saveAs(const std::string& path)
{
    if (m_spans)
        takeBackAheadWrites(WriteSpan::unknown());   // only the writes made are saved
    document()->saveAs(path);   // flushes this sheet's writes first
}

std::string CalcWorksheet::name()
{
    return document()->session()->call(ErrorText::OfficeStep::ReadSheetList, [&] {
        return toUtf8(uno::Reference<container::XNamed>(m_sheet, uno::UNO_QUERY_THROW)->getName());
    });
}

} // namespace rm::lo
