#pragma once

// The merge run: copies the template to a hidden working copy beside the
// output, opens it and every source, sums the marked cells, saves the result
// under the output path, closes the sources and deletes the working copy.
// It catches nothing and undoes nothing: any failure reaches the caller as
// rm::Error.

#include "engine/Progress.h"
#include "engine/Spreadsheet.h"

#include <memory>
#include <string>
#include <vector>

namespace rm {

// Returns the still-hidden application with the output workbook open in it.
std::shared_ptr<SpreadsheetApp> runMerge(SpreadsheetBinding& binding,
                                         const std::string& templatePath,
                                         const std::vector<std::string>& sourcePaths,
                                         const std::string& outputPath,
                                         ProgressIndicator& progress);

} // namespace rm
