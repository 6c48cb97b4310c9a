#pragma once

// reportmerge-cli's work, apart from the office it runs against:
// parse the arguments, check the inputs as the window does, run the merge,
// and report in the window's words.

#include "engine/Spreadsheet.h"

#include <functional>
#include <iosfwd>
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
};

// `arguments` without the program name. After a successful merge
// `finishOutput` closes the output and ends the office.
int runCommandLine(const std::vector<std::string>& arguments,
                   SpreadsheetBinding& binding,
                   const std::function<void()>& finishOutput,
                   CommandLineIo io);

std::string usageText();

// Takes "--offices N" (1 to 4) out of `arguments` (before any "--") into
// `officeCount`; 0 when absent. false when N is missing or out of range.
bool takeOfficeCount(std::vector<std::string>& arguments, int& officeCount);

} // namespace rm::cli
