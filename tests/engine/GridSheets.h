#pragma once

// ReportGrids as in-memory sheets.

#include "ReportGrids.h"

#include "engine/memory/MemoryContent.h"

namespace reportgrids {

inline rm::mem::SheetContent sheetOf(const Grid& grid)
{
    rm::mem::SheetContent sheet;
    for (std::size_t r = 0; r < grid.size(); ++r)
        for (std::size_t c = 0; c < grid[r].size(); ++c) {
            const std::string& text = grid[r][c];
            const int row = static_cast<int>(r) + 1;
            const int column = static_cast<int>(c) + 1;
            double value = 0;
            if (isNumber(text, value))
                sheet.number(row, column, value);
            else if (!text.empty())
                sheet.text(row, column, text);
        }
    return sheet;
}

} // namespace reportgrids
