#pragma once

// The arithmetic of a merge: every cell of the target sheet whose displayed
// text holds a question mark receives the sum of the numbers that the same
// cell shows on the source sheets.

#include "engine/MarkedSums.h"
#include "engine/NumericText.h"
#include "engine/progress/ProgressIndicator.h"
#include "engine/Spreadsheet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rm {

// True when the text holds "?" or the full-width "？" (U+FF1F).
bool isMarkedText(const std::string& utf8);

// The scanned rectangle: rows 1..UsedRange.Rows.Count and columns
// 1..UsedRange.Columns.Count from the sheet's first cell.
struct ScanRectangle {
    std::int16_t rows = 0;
    std::int32_t columns = 0;
    // Columns a source must be read over: the scan stops with the overflow
    // error when the 16-bit column index would pass 32767.
    int sourceColumns() const { return columns > 32767 ? 32767 : static_cast<int>(columns); }
};

// Reads the row count (overflow error above 32767, before the column count
// is read), then the column count (32-bit).
ScanRectangle measureScanRectangle(Worksheet& targetSheet);

// The scan: row by row, each cell judged on the text it shows when the scan
// reaches it (after the writes into earlier cells); a marked cell receives
// its sum from `sums`; the progress value grows by 1 per cell, from the value
// read back. Sets the progress up first (maximum, minimum, value). With
// `contributions` (and `sums` keeping summands), every marked cell's summands
// are appended to it.
void sumMarkedCells(Worksheet& targetSheet, const ScanRectangle& rectangle, const MarkedSums& sums,
                    ProgressIndicator& progress, ContributionTable* contributions = nullptr);

// The same over open source sheets: each sheet's texts are taken over the
// rectangle and folded in list order. Numbers are read in `locale`, the one
// the texts were formatted in.
void sumMarkedCells(Worksheet& targetSheet,
                    const std::vector<std::shared_ptr<Worksheet>>& sourceSheets,
                    ProgressIndicator& progress,
                    const NumericLocale& locale,
                    ContributionTable* contributions = nullptr);

} // namespace rm
