#include "engine/MarkedCells.h"

#include "engine/Checked16.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace rm {

namespace {

const char kFullWidthQuestionMark[] = "\xEF\xBC\x9F"; // U+FF1F

// `summands`, when given, receives each source's number (NaN for none).
double sumOfSources(const std::vector<std::shared_ptr<Worksheet>>& sourceSheets, int row, int column,
                    const NumericReader& numbers, std::vector<double>* summands)
{
    double sum = 0;
    for (const auto& source : sourceSheets) {
        const auto number = numbers.read(source->cells(row, column).text());
        if (summands)
            summands->push_back(number ? *number : std::numeric_limits<double>::quiet_NaN());
        if (number) {
            sum += *number;
            if (!std::isfinite(sum))
                throwOverflow();
        }
    }
    return sum;
}

void sumInto(const Range& cell, int row, int column, const std::vector<std::shared_ptr<Worksheet>>& sourceSheets,
             const NumericReader& numbers, ContributionTable* contributions)
{
    if (!contributions) {
        cell.setValue2(sumOfSources(sourceSheets, row, column, numbers, nullptr));
        return;
    }
    MarkedCellContributions recorded{row, column, {}, 0};
    recorded.bySource.reserve(sourceSheets.size());
    recorded.sum = sumOfSources(sourceSheets, row, column, numbers, &recorded.bySource);
    cell.setValue2(recorded.sum);
    contributions->push_back(std::move(recorded));
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
             const NumericReader& numbers, ContributionTable* contributions)
{
    for (std::int16_t column = 1;; column = incrementInt16(column)) {
        const Range cell = targetSheet.cells(row, column);
        if (isMarkedText(cell.text()))
            sumInto(cell, row, column, sourceSheets, numbers, contributions);
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
                    ProgressIndicator& progress,
                    const NumericLocale& locale,
                    ContributionTable* contributions)
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
    const NumericReader numbers(locale);
    for (std::int16_t row = 1;; row = incrementInt16(row)) {
        scanRow(targetSheet, row, columnCount, sourceSheets, progress, numbers, contributions);
        if (row == rowCount)
            break;
    }
}

} // namespace rm
