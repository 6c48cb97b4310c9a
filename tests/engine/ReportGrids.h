#pragma once

// A Chinese monthly report as rows of cell texts, for the check before saving
// and the alignment by labels: "" is an empty cell, "?" a mark, a text that
// reads whole as a number is a number, anything else a text.

#include <cstdlib>
#include <string>
#include <vector>

namespace reportgrids {

using Row = std::vector<std::string>;
using Grid = std::vector<Row>;

// Title, unit and date line, column headers in row 3, row labels in column A,
// row numbers (行次) in column B, marks under 本月数 (C) and 本年累计 (D).
inline Grid monthlyTemplate()
{
    return {
        {"东方集团月度经营报表"},
        {"编制单位：", "", "  年  月", "单位：元"},
        {"项目", "行次", "本月数", "本年累计"},
        {"一、营业收入", "1", "?", "?"},
        {"其中："},
        {"\xE3\x80\x80主营业务收入", "2", "?", "?"},   // indented with U+3000
        {"  其他业务收入", "3", "?", "?"},
        {"二、营业成本", "4", "?", "?"},
        {"三、利润总额", "5", "?", "?"},
        {"填表人：", "", "审核：", ""},
    };
}

// One branch's copy, filled in: the header line and the signatures carry the
// branch's own words, every amount is the base amount times `factor`.
inline Grid monthlyBranch(const std::string& unit, double factor)
{
    Grid grid = monthlyTemplate();
    grid[1] = {"编制单位：" + unit, "", "2026 年 11 月", "单位：元"};
    grid[9] = {"填表人：张三", "", "审核：李四", ""};
    const double amounts[][2] = {{1000, 12000}, {0, 0}, {800, 9000}, {200, 3000}, {600, 7000}, {400, 5000}};
    for (int i = 0; i < 6; ++i) {
        Row& row = grid[static_cast<std::size_t>(3 + i)];
        if (row.size() < 4)
            continue;
        row[2] = std::to_string(static_cast<long>(amounts[i][0] * factor));
        row[3] = std::to_string(static_cast<long>(amounts[i][1] * factor));
    }
    return grid;
}

// Rows and columns count from 1, as in the sheet.
inline Grid withRowInserted(Grid grid, int row, Row cells)
{
    grid.insert(grid.begin() + (row - 1), std::move(cells));
    return grid;
}

inline Grid withRowRemoved(Grid grid, int row)
{
    grid.erase(grid.begin() + (row - 1));
    return grid;
}

// `cells` from the first row down; rows it does not reach get an empty cell.
inline Grid withColumnInserted(Grid grid, int column, const Row& cells)
{
    for (std::size_t r = 0; r < grid.size(); ++r) {
        Row& row = grid[r];
        if (row.size() < static_cast<std::size_t>(column - 1))
            row.resize(static_cast<std::size_t>(column - 1));
        row.insert(row.begin() + (column - 1), r < cells.size() ? cells[r] : std::string());
    }
    return grid;
}

inline Grid withColumnRemoved(Grid grid, int column)
{
    for (Row& row : grid)
        if (row.size() >= static_cast<std::size_t>(column))
            row.erase(row.begin() + (column - 1));
    return grid;
}

inline bool isNumber(const std::string& text, double& value)
{
    if (text.empty() || text.front() == ' ')
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

} // namespace reportgrids
