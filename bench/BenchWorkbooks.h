#pragma once

#include <string>
#include <vector>

namespace rm::bench {

struct BenchFiles {
    std::string templatePath;
    std::vector<std::string> sourcePaths;
};

enum class TemplateKind {
    Labels,     // every other cell marked "?", the rest labels
    Formulas,   // a report: labels in row 1 and column 1, column B marked, and
                // across each row formulas over its mark (=Bn*c) between numbers
};

bool isMarkedIn(TemplateKind kind, int row, int column);

// In `folder`: a template of rows x columns cells of that kind, and `sources`
// workbooks holding a number in every cell. With several sheets (a report
// package, merged with --sheets all) every sheet is such a sheet, and the
// sources have them in the opposite order, the last one active.
BenchFiles makeBenchWorkbooks(const std::string& folder, int rows, int columns, int sources,
                              TemplateKind kind = TemplateKind::Labels, int sheets = 1);

// The name of sheet `index` (from 0) of a package of `sheets`.
std::string benchSheetName(int index, int sheets);

// Reads a merged output back (through read_xls.py) and counts the marked
// cells that do not hold the sum of the sources; -1 when it cannot be read.
long wrongSums(const std::string& output, int rows, int columns, int sources,
               TemplateKind kind = TemplateKind::Labels, int sheets = 1);

} // namespace rm::bench
