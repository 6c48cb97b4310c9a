#pragma once

#include <string>
#include <vector>

namespace rm::bench {

struct BenchFiles {
    std::string templatePath;
    std::vector<std::string> sourcePaths;
};

// In `folder`: a template of rows x columns cells, every other one marked
// "?" (the rest labels), and `sources` workbooks holding a number in every cell.
BenchFiles makeBenchWorkbooks(const std::string& folder, int rows, int columns, int sources);

// Reads a merged output back (through read_xls.py) and counts the marked
// cells that do not hold the sum of the sources; -1 when it cannot be read.
long wrongSums(const std::string& output, int rows, int columns, int sources);

} // namespace rm::bench
