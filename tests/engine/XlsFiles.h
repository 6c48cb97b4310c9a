#pragma once

// Test workbooks through tests/tools: make_xls.py writes them from JSON,
// read_xls.py reports what a saved workbook holds.

#include <map>
#include <string>

struct XlsContent {
    int activeSheet = -1;
    std::map<std::string, bool> zerosShown;  // by sheet name
    std::map<std::string, std::string> cells; // "Sheet!B2" -> "n:3.5", "t:text", "e:#DIV/0!"

    std::string cell(const std::string& name) const
    {
        const auto found = cells.find(name);
        return found == cells.end() ? "" : found->second;
    }
};

// Throws std::runtime_error when the tool fails.
void makeXls(const std::string& path, const std::string& json);
XlsContent readXls(const std::string& path);

// Runs a shell command; its exit status and what it printed on stdout and stderr.
struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
CommandResult runCommand(const std::string& command);
std::string shellQuote(const std::string& text);
