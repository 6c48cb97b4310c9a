#pragma once

// The command line's own texts for the user, in one place (UTF-8). What it
// shares with the window comes from the engine: engine/ErrorTexts.h and the
// check's words in engine/LayoutFindings.h.

#include <string>

namespace rm::cli::CliText {

// The usage, in Chinese and English, printed for -h/--help and for wrong arguments.
std::string usageText();

// "reportmerge-cli " and the release, for --version.
std::string versionText();

// Printed on stderr when SIGINT, SIGTERM or SIGHUP ends a merge.
std::string mergeInterrupted();
// ... when it comes after the output was saved (report, office shutdown).
std::string interruptedAfterSaving();

// The progress line's stage once the run has ended.
std::string progressDone();

// Printed on standard output after the output is saved.
std::string mergeDone();

// The --report file must not replace the template, the output or a source.
std::string reportPathTaken(const std::string& reportPath);

// The contribution report's headings: the first column, a source's column
// (an aligned source's column says so and is followed by the cells it was
// read at), and the last column.
std::string cellHeading();
std::string sheetHeading();
std::string sourceHeading(const std::string& sourcePath, bool aligned);
std::string cellReadHeading();
std::string sumHeading();

} // namespace rm::cli::CliText
