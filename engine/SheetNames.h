#pragma once

// Which sheet of a source answers to a template sheet's name. A name that
// is exactly the same wins; else one that differs only in blanks, in
// full-width against half-width letters and digits, or in the case of Latin
// letters ("利润表 " and "利润表", "Ｑ１" and "q1"). When no sheet has the
// exact name and several match that way, none is taken: adding the wrong one
// would give a wrong sum. Chart sheets never answer.

#include "engine/Spreadsheet.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace rm {

struct SheetMatch {
    std::optional<std::size_t> index;   // into the sheets
    int candidates = 0;                 // how many worksheets matched (0: none; > 1: none taken)
};

SheetMatch findSheetByName(const std::vector<SheetInfo>& sheets, const std::string& name);

// The name as findSheetByName compares it when no name is exactly the same.
std::string comparableSheetName(const std::string& name);

} // namespace rm
