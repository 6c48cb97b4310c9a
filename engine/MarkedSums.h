#pragma once

#include "engine/Error.h"
#include "engine/NumericText.h"
#include "engine/SheetTexts.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace rm {

struct MarkedCellContributions;

struct CellPosition {
    int row = 0;
    int column = 0;
    bool operator==(const CellPosition& other) const { return row == other.row && column == other.column; }
    bool operator!=(const CellPosition& other) const { return !(*this == other); }
};

// The running sums of every cell of the scanned rectangle over the sources
// folded so far, in the order they were folded (double additions, the first
// source first, from 0): the same additions the summation makes at a marked
// cell. A cell whose sum left the double range, or whose text a source could
// not show, keeps that first failure; it is raised only when the summation
// asks for that cell, that is when the cell is marked.
class MarkedSums {
public:
    // `keepSummands`: also keep what each source added to each cell (for the
    // contribution report; memory grows with the sources then).
    MarkedSums(int rows, int columns, bool keepSummands = false);

    void fold(const SheetTexts& source, const NumericReader& numbers);
    // The sum at (row, column), or the cell's failure thrown.
    double sumAt(int row, int column) const;
    // What each source folded so far added at (row, column), in list order
    // (NaN: nothing); empty unless summands are kept.
    std::vector<double> summandsAt(int row, int column) const;

private:
    long indexOf(int row, int column) const { return static_cast<long>(row - 1) * m_columns + (column - 1); }

    int m_rows;
    int m_columns;
    std::vector<double> m_sums;   // empty until the first source: every sum 0
    std::unordered_map<long, Error> m_failures;
    bool m_keepSummands;
    std::vector<std::vector<double>> m_summands;   // per source, per cell
};

// What each source added to one marked cell during a summation.
struct MarkedCellContributions {
    int row = 0;
    int column = 0;
    std::vector<double> bySource;   // in list order; NaN: the source added nothing
    double sum = 0;
    // Per source, in list order: the source's cell that was read. Empty when
    // every source was read at this very cell (by position).
    std::vector<CellPosition> readAt;
    // The template's sheet, when every marked sheet is merged; else empty.
    std::string sheet = std::string();
};
// In scan order.
using ContributionTable = std::vector<MarkedCellContributions>;

} // namespace rm
