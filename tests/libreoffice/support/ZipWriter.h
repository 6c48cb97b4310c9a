#pragma once

#include <string>
#include <utility>
#include <vector>

namespace rm::lo::test {

// Writes a zip archive of uncompressed entries (name, content), in order.
void writeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries);

// A minimal Office Open XML workbook: a worksheet "Data" (A1 = 1, A2 = 2) and
// a chart sheet "Chart1"; `activeTab` 0 or 1 picks the active one.
void writeChartSheetWorkbook(const std::string& path, int activeTab);

} // namespace rm::lo::test
