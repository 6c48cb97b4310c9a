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

// What a marked cell must hold after merging the sources.
double expectedSum(int row, int column, int sources);

} // namespace rm::bench
