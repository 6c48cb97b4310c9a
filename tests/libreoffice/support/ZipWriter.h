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

// An Office Open XML workbook of one worksheet "Data" whose part
// xl/worksheets/sheet1.xml is `sheetXml`, byte for byte (it may be broken).
void writeOneSheetWorkbook(const std::string& path, const std::string& sheetXml);
// The worksheet part for cells given as (reference, number) pairs, e.g. {"B2", 1}.
std::string worksheetXml(const std::vector<std::pair<std::string, double>>& cells, const std::string& dimension = {});

} // namespace rm::lo::test
