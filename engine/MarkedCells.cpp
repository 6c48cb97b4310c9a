#include "engine/MarkedCells.h"

#include "engine/Checked16.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace rm {

namespace {

const char kFullWidthQuestionMark[] = "\xEF\xBC\x9F"; // U+FF1F

double sumOfSources(const std::vector<std::shared_ptr<Worksheet>>& sourceSheets, int row, int column,
                    const NumericLocale& locale)
{
    double sum = 0;
    for (const auto& source : sourceSheets) {
        if (const auto number = parseNumericText(source->cells(row, column).text(), locale)) {
            sum += *number;
            if (!std::isfinite(sum))
                throwOverflow();
        }
    }
    return sum;
}

void advance(ProgressIndicator& progress)
{
    const float next = progress.value() + 1.0f;
    if (!std::isfinite(next))
        throwOverflow();
    progress.setValue(next);
}

// The 16-bit column index passes 32767 only when the row is wider: overflow.
void scanRow(Worksheet& targetSheet, std::int16_t row, std::int32_t columnCount,
             const std::vector<std::shared_ptr<Worksheet>>& sourceSheets, ProgressIndicator& progress,
             const NumericLocale& locale)
{
    for (std::int16_t column = 1;; column = incrementInt16(column)) {
        const Range cell = targetSheet.cells(row, column);
        if (isMarkedText(cell.text()))
            cell.setValue2(sumOfSources(sourceSheets, row, column, locale));
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

void sumMarkedCells(Worksheet& targetSheet,
                    const std::vector<std::shared_ptr<Worksheet>>& sourceSheets,
                    ProgressIndicator& progress)
{
    sumMarkedCells(targetSheet, sourceSheets, progress, userNumericLocale());
}

void sumMarkedCells(Worksheet& targetSheet,
                    const std::vector<std::shared_ptr<Worksheet>>& sourceSheets,
                    ProgressIndicator& progress,
                    const NumericLocale& locale)
{
    const std::int16_t rowCount = narrowToInt16(targetSheet.usedRangeRowCount());
    const long columnCountRead = targetSheet.usedRangeColumnCount();
    if (columnCountRead > std::numeric_limits<std::int32_t>::max() || columnCountRead < std::numeric_limits<std::int32_t>::min())
        throwOverflow();
    const std::int32_t columnCount = static_cast<std::int32_t>(columnCountRead);

    progress.setMaximum(static_cast<float>(static_cast<long long>(rowCount) * columnCount));
    progress.setMinimum(0.0f);
    progress.setValue(0.0f);

    if (rowCount < 1 || columnCount < 1)
        return;
    for (const auto& source : sourceSheets)
        source->limitReadsTo(rowCount, columnCount);
    for (std::int16_t row = 1;; row = incrementInt16(row)) {
        scanRow(targetSheet, row, columnCount, sourceSheets, progress, locale);
        if (row == rowCount)
            break;
    }
}

} // namespace rm
