#pragma once

// --report: what every source added to every marked cell, as a CSV file
// (UTF-8 with a byte-order mark, so that a spreadsheet reads it right).

#include "engine/MarkedCells.h"

#include <string>
#include <vector>

namespace rm::cli {

// Columns: the cell's address, one column per source (headed by its path),
// the sum. A source that added nothing leaves its field empty. An aligned
// source (`aligned`, by list order) is headed "路径（按标签对齐）" and followed
// by a column "读取的单元格": the source's cell that was read, where it is
// not the marked cell itself.
std::string contributionCsv(const std::vector<std::string>& sourcePaths, const std::vector<bool>& aligned,
                            const ContributionTable& table);

// Writes contributionCsv() to `path`; rm::Error (ReportWriteFailed) when it cannot.
void writeContributionReport(const std::string& path, const std::vector<std::string>& sourcePaths,
                             const std::vector<bool>& aligned, const ContributionTable& table);

} // namespace rm::cli
