#pragma once

// The merge run: copies the template to a hidden working copy beside the
// output, opens it and every source, sums the marked cells, saves the result
// under the output path, closes the sources and deletes the working copy.
// It catches nothing and undoes nothing: any failure reaches the caller as
// rm::Error.

#include "engine/Progress.h"
#include "engine/RunProgress.h"
#include "engine/Spreadsheet.h"

#include <memory>
#include <string>
#include <vector>

namespace rm {

// Returns the still-hidden application with the output workbook open in it.
// `stages`, when given, hears of each stage as the run reaches it.
std::shared_ptr<SpreadsheetApp> runMerge(SpreadsheetBinding& binding,
                                         const std::string& templatePath,
                                         const std::vector<std::string>& sourcePaths,
                                         const std::string& outputPath,
                                         ProgressIndicator& progress,
                                         RunProgress* stages = nullptr);

// The hidden copy of the template next to the output: folder + "." + base
// name + four random digits + extension. Never replaces an existing entry.
std::string makeWorkingCopy(const std::string& templatePath, const std::string& outputPath);

} // namespace rm
