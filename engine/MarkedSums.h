#pragma once

#include "engine/Error.h"
#include "engine/NumericText.h"
#include "engine/SheetTexts.h"

#include <unordered_map>
#include <vector>

namespace rm {

// The running sums of every cell of the scanned rectangle over the sources
// folded so far, in the order they were folded (double additions, the first
// source first, from 0): the same additions the summation makes at a marked
// cell. A cell whose sum left the double range, or whose text a source could
// not show, keeps that first failure; it is raised only when the summation
// asks for that cell, that is when the cell is marked.
class MarkedSums {
public:
    MarkedSums(int rows, int columns);

    void fold(const SheetTexts& source, const NumericLocale& locale);
    // The sum at (row, column), or the cell's failure thrown.
    double sumAt(int row, int column) const;

private:
    long indexOf(int row, int column) const { return static_cast<long>(row - 1) * m_columns + (column - 1); }

    int m_rows;
    int m_columns;
    std::vector<double> m_sums;   // empty until the first source: every sum 0
    std::unordered_map<long, Error> m_failures;
};

} // namespace rm
