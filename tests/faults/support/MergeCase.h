#pragma once

// What every fault case shares: a small template and sources made as .xls
// files, a merge run whose outcome (error or not, and how long it took) is
// recorded, and the bytes of every input to compare afterwards.

#include "engine/progress/ProgressIndicator.h"
#include "engine/Spreadsheet.h"

#include <map>
#include <string>
#include <vector>

namespace rm::faults {

// Template "Report" (active): A1 label, B2 and B3 marked, B4 = B2 + B3.
void makeTemplate(const std::string& path);
// A filled copy of the template whose B2 and B3 hold these numbers.
void makeSource(const std::string& path, double b2, double b3);

// Outcome::number of a failure that was no rm::Error.
constexpr int kNotAnError = -1;

struct Outcome {
    int number = 0;            // 0: the merge succeeded; kNotAnError
    std::string description;
    double seconds = 0;
};

// A progress indicator that does nothing, unless told to act at a step.
class QuietProgress : public ProgressIndicator {
public:
    void setMaximum(float) override {}
    void setMinimum(float) override {}
    float value() const override { return m_value; }
    void setValue(float value) override { m_value = value; }

private:
    float m_value = 0;
};

// runMerge, with any rm::Error caught; the handles it returns are dropped.
Outcome mergeWith(SpreadsheetBinding& binding, const std::string& templatePath,
                  const std::vector<std::string>& sources, const std::string& output,
                  ProgressIndicator* progress = nullptr);

// The bytes of each file, by path (a missing file reads as "<missing>").
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const std::vector<std::string>& paths);
// The paths of `before` whose bytes differ now (short to print, unlike two snapshots).
std::vector<std::string> changedSince(const Snapshot& before);

// The number a merged output's cell holds, from read_xls.py ("n:3.5" -> 3.5); NaN when none.
double numberIn(const std::string& xlsPath, const std::string& cell);

// The merge must end within this bound, error or not.
constexpr double kCaseSeconds = 30.0;

} // namespace rm::faults
