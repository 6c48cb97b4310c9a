#include "engine/MarkedCells.h"

#include "engine/Checked16.h"
#include "engine/Error.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace rm {

namespace {

const char kFullWidthQuestionMark[] = "\xEF\xBC\x9F"; // U+FF1F

void advance(ProgressIndicator& progress)
{
    const float next = progress.value() + 1.0f;
    if (!std::isfinite(next))
        throwOverflow();
    progress.setValue(next);
}

// The 16-bit column index passes 32767 only when the row is wider: overflow.
void scanRow(Worksheet& targetSheet, std::int16_t row, std::int32_t columnCount, const MarkedSums& sums,
             ProgressIndicator& progress, ContributionTable* contributions)
{
    for (std::int16_t column = 1;; column = incrementInt16(column)) {
        const Range cell = targetSheet.cells(row, column);
        if (isMarkedText(cell.text())) {
            const double sum = sums.sumAt(row, column);
            cell.setValue2(sum);
            if (contributions)
                contributions->push_back({row, column, sums.summandsAt(row, column), sum, {}});
        }
        advance(progress);
        if (column == columnCount)
            break;
    }
}

} // namespace

bool isMarkedText(const std::string& utf8)
{
    return utf8.find('?') != std::string::npos || utf8.find(kFullWidthQuestionMark) != std::string::npos;
}

ScanRectangle measureScanRectangle(Worksheet& targetSheet)
{
    ScanRectangle rectangle;
    rectangle.rows = narrowToInt16(targetSheet.usedRangeRowCount());
    const long columns = targetSheet.usedRangeColumnCount();
    if (columns > std::numeric_limits<std::int32_t>::max() || columns < std::numeric_limits<std::int32_t>::min())
        throwOverflow();
    rectangle.columns = static_cast<std::int32_t>(columns);
    return rectangle;
}

void sumMarkedCells(Worksheet& targetSheet, const ScanRectangle& rectangle, const MarkedSums& sums,
                    ProgressIndicator& progress, ContributionTable* contributions)
{
    progress.setMaximum(static_cast<float>(static_cast<long long>(rectangle.rows) * rectangle.columns));
    progress.setMinimum(0.0f);
    progress.setValue(0.0f);

    if (rectangle.rows < 1 || rectangle.columns < 1)
        return;
    targetSheet.prepareScan(rectangle.rows, rectangle.sourceColumns(), [&sums](int row, int column) -> std::optional<double> {
        try {
            return sums.sumAt(row, column);
        } catch (const Error&) {
            return std::nullopt;   // the scan stops there with that error, if it finds the cell marked
        }
    });
    for (std::int16_t row = 1;; row = incrementInt16(row)) {
        scanRow(targetSheet, row, rectangle.columns, sums, progress, contributions);
        if (row == rectangle.rows)
            break;
    }
}

void sumMarkedCells(Worksheet& targetSheet,
                    const std::vector<std::shared_ptr<Worksheet>>& sourceSheets,
                    ProgressIndicator& progress,
                    const NumericLocale& locale,
                    ContributionTable* contributions)
{
    const ScanRectangle rectangle = measureScanRectangle(targetSheet);
    MarkedSums sums(rectangle.rows, rectangle.sourceColumns(), contributions != nullptr);
    const NumericReader numbers(locale);
    for (const auto& source : sourceSheets)
        sums.fold(readSheetTexts(*source, rectangle.rows, rectangle.sourceColumns()), numbers);
    sumMarkedCells(targetSheet, rectangle, sums, progress, contributions);
}

} // namespace rm
