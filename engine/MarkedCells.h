#pragma once

// The arithmetic of a merge: every cell of the target sheet whose displayed
// text holds a question mark receives the sum of the numbers that the same
// cell shows on the source sheets.

#include "engine/NumericText.h"
#include "engine/Progress.h"
#include "engine/Spreadsheet.h"

#include <memory>
#include <string>
#include <vector>

namespace rm {

// What each source added to one marked cell during a summation.
struct MarkedCellContributions {
    int row = 0;
    int column = 0;
    std::vector<double> bySource;   // in list order; NaN: the source added nothing
    double sum = 0;
};
// In scan order.
using ContributionTable = std::vector<MarkedCellContributions>;

// True when the text holds "?" or the full-width "？" (U+FF1F).
bool isMarkedText(const std::string& utf8);

// Scans rows 1..UsedRange.Rows.Count and columns 1..UsedRange.Columns.Count
// from the sheet's first cell, row by row. Each cell is judged on the text it
// shows when the scan reaches it; the progress value grows by 1 per cell.
// Sources are read within that rectangle only (Worksheet::limitReadsTo).
// Numbers are read in `locale`, the one the texts were formatted in; with
// `contributions`, every marked cell's summands are appended to it.
void sumMarkedCells(Worksheet& targetSheet,
                    const std::vector<std::shared_ptr<Worksheet>>& sourceSheets,
                    ProgressIndicator& progress,
                    const NumericLocale& locale,
                    ContributionTable* contributions = nullptr);

} // namespace rm
