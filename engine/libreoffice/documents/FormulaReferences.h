#pragma once

// What a formula reads, as far as it can be told from its text alone.

#include <optional>
#include <string>
#include <vector>

namespace rm::lo {

// A block of cells of the formula's own sheet; rows and columns count from 1, both ends included.
struct CellBlock {
    long firstRow;
    long firstColumn;
    long lastRow;
    long lastColumn;
};

// The blocks of its own sheet that a formula, written as the office's API
// gives it ("=B5*2", "=SUM(B2:B10;D4)"), reads. Nothing when it may read
// anything more: another sheet or file, a name, a reference made while it is
// calculated (INDIRECT, OFFSET), a volatile function, or text this reading
// does not understand.
std::optional<std::vector<CellBlock>> sameSheetReferences(const std::string& formula);

} // namespace rm::lo
