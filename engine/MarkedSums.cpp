#include "engine/MarkedSums.h"

#include "engine/Checked16.h"

#include <algorithm>
#include <cmath>

namespace rm {

MarkedSums::MarkedSums(int rows, int columns) : m_rows(rows > 0 ? rows : 0), m_columns(columns > 0 ? columns : 0) {}

void MarkedSums::fold(const SheetTexts& source, const NumericLocale& locale)
{
    if (m_sums.empty())
        m_sums.assign(static_cast<size_t>(m_rows) * static_cast<size_t>(m_columns), 0.0);
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
            if (const auto number = parseNumericText(source.text(sourceIndex), locale)) {
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

} // namespace rm
