#include "engine/MarkedSums.h"

#include "engine/Checked16.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rm {

MarkedSums::MarkedSums(int rows, int columns, bool keepSummands)
    : m_rows(rows > 0 ? rows : 0), m_columns(columns > 0 ? columns : 0), m_keepSummands(keepSummands)
{
}

void MarkedSums::fold(const SheetTexts& source, const NumericReader& numbers)
{
    const size_t cells = static_cast<size_t>(m_rows) * static_cast<size_t>(m_columns);
    if (m_sums.empty())
        m_sums.assign(cells, 0.0);
    std::vector<double>* summands = nullptr;
    if (m_keepSummands) {
        m_summands.emplace_back(cells, std::numeric_limits<double>::quiet_NaN());
        summands = &m_summands.back();
    }
    const int rows = std::min(m_rows, source.rows());
    const int columns = std::min(m_columns, source.columns());
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column) {
            const long index = indexOf(row, column);
            if (m_failures.count(index))
                continue;   // the summation stops at this cell before any later source
            const long sourceIndex = source.indexOf(row, column);
            if (const Error* error = source.readError(sourceIndex)) {
                m_failures.emplace(index, *error);
                continue;
            }
            if (const auto number = numbers.read(source.text(sourceIndex))) {
                if (summands)
                    (*summands)[static_cast<size_t>(index)] = *number;
                double& sum = m_sums[static_cast<size_t>(index)];
                sum += *number;
                if (!std::isfinite(sum))
                    m_failures.emplace(index, overflowError());
            }
        }
    }
}

double MarkedSums::sumAt(int row, int column) const
{
    if (row < 1 || column < 1 || row > m_rows || column > m_columns)
        return 0;
    const long index = indexOf(row, column);
    if (const auto failure = m_failures.find(index); failure != m_failures.end())
        throw failure->second;
    return m_sums.empty() ? 0.0 : m_sums[static_cast<size_t>(index)];
}

std::vector<double> MarkedSums::summandsAt(int row, int column) const
{
    std::vector<double> bySource;
    if (row < 1 || column < 1 || row > m_rows || column > m_columns)
        return bySource;
    for (const auto& source : m_summands)
        bySource.push_back(source[static_cast<size_t>(indexOf(row, column))]);
    return bySource;
}

} // namespace rm
