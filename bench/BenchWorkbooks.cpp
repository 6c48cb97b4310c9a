#include "bench/BenchWorkbooks.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
#include <stdexcept>

namespace rm::bench {

namespace {

std::string cellName(int row, int column)
{
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

double sourceValue(int row, int column)
{
    return row * 100 + column + 0.25;
}

void writeWorkbook(const std::string& json, const std::string& jsonPath, const std::string& xlsPath)
{
    std::ofstream(jsonPath) << json;
    const std::string command = std::string(RM_PYTHON3) + " " RM_TOOLS_DIR "/make_xls.py '" + jsonPath + "' '" + xlsPath + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("make_xls.py failed for " + xlsPath);
}

void templateCell(std::ostream& json, TemplateKind kind, int r, int c)
{
    if (isMarkedIn(kind, r, c))
        json << "\"?\"";
    else if (kind == TemplateKind::Labels || r == 1 || c == 1)
        json << "\"L" << r << "-" << c << '"';
    else if (c % 2 == 1)
        json << "{\"formula\": \"B" << r << "*" << c << "\"}";
    else
        json << r + c;
}

std::string sheetJson(int rows, int columns, bool isTemplate, TemplateKind kind, int sheets = 1)
{
    std::ostringstream json;
    json << std::setprecision(17) << R"({"sheets": [)";
    for (int k = 0; k < sheets; ++k) {
        const int index = isTemplate ? k : sheets - 1 - k;
        json << (k ? ", " : "") << R"({"name": ")" << benchSheetName(index, sheets) << R"(", "cells": {)";
        bool first = true;
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c) {
                json << (first ? "" : ", ") << '"' << cellName(r, c) << "\": ";
                first = false;
                if (!isTemplate)
                    json << sourceValue(r, c);
                else
                    templateCell(json, kind, r, c);
            }
        json << "}}";
    }
    json << "]}";
    return json.str();
}

} // namespace

std::string benchSheetName(int index, int sheets)
{
    return sheets == 1 ? "Data" : "表" + std::to_string(index + 1);
}

bool isMarkedIn(TemplateKind kind, int row, int column)
{
    if (kind == TemplateKind::Formulas)
        return row > 1 && column == 2;
    return (row + column) % 2 == 0;
}

long wrongSums(const std::string& output, int rows, int columns, int sources, TemplateKind kind, int sheets)
{
    const std::string command = std::string(RM_PYTHON3) + " " RM_TOOLS_DIR "/read_xls.py '" + output + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::map<std::string, std::string> cells;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string kind, sheet, name, type, value;
        std::getline(fields, kind, '\t');
        std::getline(fields, sheet, '\t');
        std::getline(fields, name, '\t');
        std::getline(fields, type, '\t');
        std::getline(fields, value);
        if (kind == "cell" && type == "n")
            cells[sheet + "!" + name] = value;
    }
    if (pclose(pipe) != 0)
        return -1;
    long wrong = 0;
    for (int k = 0; k < sheets; ++k)
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c) {
                if (!isMarkedIn(kind, r, c))
                    continue;
                double expected = 0;
                for (int i = 0; i < sources; ++i)
                    expected += sourceValue(r, c);
                const auto found = cells.find(benchSheetName(k, sheets) + "!" + cellName(r, c));
                if (found == cells.end() || std::strtod(found->second.c_str(), nullptr) != expected)
                    ++wrong;
            }
    return wrong;
}

BenchFiles makeBenchWorkbooks(const std::string& folder, int rows, int columns, int sources, TemplateKind kind,
                              int sheets)
{
    BenchFiles files;
    files.templatePath = folder + "/template.xls";
    writeWorkbook(sheetJson(rows, columns, true, kind, sheets), folder + "/template.json", files.templatePath);
    const std::string first = folder + "/source-0001.xls";
    writeWorkbook(sheetJson(rows, columns, false, kind, sheets), folder + "/source.json", first);
    for (int i = 1; i <= sources; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/source-%04d.xls", i);
        const std::string path = folder + name;
        if (i > 1)
            std::filesystem::copy_file(first, path);
        files.sourcePaths.push_back(path);
    }
    return files;
}

} // namespace rm::bench
