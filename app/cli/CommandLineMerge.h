#pragma once

// reportmerge-cli's work, apart from the office it runs against:
// parse the arguments, check the inputs as the window does, run the merge,
// and report in the window's words.

#include "engine/Spreadsheet.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace rm::cli {

enum ExitCode : int {
    ExitSuccess = 0,
    ExitMergeFailed = 1,   // "错误:" + number + newline + description
    ExitUsage = 2,         // wrong arguments
    ExitInputMissing = 3,  // the template or a source failed its check
    ExitFindings = 4,      // --strict, and the check before saving found something: nothing saved
};

struct CommandLineIo {
    std::ostream& out;
    std::ostream& err;
    bool progressBar = false; // draw a bar on `err` (when it is a terminal)
    std::function<int()> terminalColumns = {};   // the width of `err`'s terminal; 80 when not given
    std::function<void()> outputSaved = {};      // called as soon as the output is saved
};

// What the arguments ask for; paths are made absolute.
struct CommandLine {
    bool help = false;            // -h or --help anywhere before "--": nothing else counts
    bool version = false;         // --version, likewise (help wins over it)
    std::string templatePath;
    std::string outputPath;
    std::vector<std::string> sourcePaths;
    bool strict = false;          // findings of the check that remain refuse the save
    bool alignByLabels = false;   // --align labels: alignable sources are read where their labels stand
    std::string reportPath;       // empty: no report
    bool everyMarkedSheet = false;   // --sheets all: every marked sheet, each source's found by its name
    int officeCount = 0;          // --offices N (1 to 4); 0 when absent
};

// `arguments` without the program name; nothing when they are unusable (the
// caller prints the usage and ends with ExitUsage).
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

// After a successful merge `finishOutput` closes the output and ends the office.
int runCommandLine(const CommandLine& commandLine,
                   SpreadsheetBinding& binding,
                   const std::function<void()>& finishOutput,
                   CommandLineIo io);

// Parses `arguments` and runs them; for callers whose binding already exists
// (--offices is then only checked).
int runCommandLine(const std::vector<std::string>& arguments,
                   SpreadsheetBinding& binding,
                   const std::function<void()>& finishOutput,
                   CommandLineIo io);


} // namespace rm::cli
