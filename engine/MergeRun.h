#pragma once

// The merge run: copies the template to a hidden working copy beside the
// output, opens it, reads every source (opened once, the texts of every sheet
// merged taken over its scanned rectangle, and with the check before saving
// over the alignment margins beyond it; closed at once; several side by side
// when the binding offers several readers), sums the marked cells sheet by
// sheet by position and, in the same pass, aligned by labels, saves the
// chosen result under the output path and deletes the working copy.
// It catches nothing and undoes nothing: any failure reaches the caller as
// rm::Error.

#include "engine/check/LayoutFindings.h"
#include "engine/MarkedCells.h"
#include "engine/progress/ProgressIndicator.h"
#include "engine/progress/MergeStages.h"
#include "engine/Spreadsheet.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rm {

// What the caller wants to hear about during a run; all optional.
struct MergeChecks {
    // With it, each source is checked against the template as it is read
    // (LayoutCheck). When something was found, it is asked once, after the
    // sums and before anything is saved: save by position, save with the
    // alignable sources aligned by their labels, or save nothing. Called on
    // the run's thread; a caller on another thread marshals it itself.
    std::function<SaveChoice(const LayoutFindings&)> chooseSave;
    // Told the findings once the choice is made, with `aligned` set on those
    // of the sources that were read at their matched rows and columns.
    std::function<void(const LayoutFindings&)> findingsSettled;
    // Filled during the summation with every marked cell's summands; when the
    // choice aligns sources, their cells hold the aligned summands and the
    // cells that were read.
    ContributionTable* contributions = nullptr;
    // What is merged: false, the template's active sheet from each source's
    // active sheet; true, every worksheet of the template that shows a mark,
    // in workbook order, each from the source's sheet of the same name (see
    // SheetNames.h), a source's missing sheet being a finding of its own.
    bool everyMarkedSheet = false;
};

// The most cells a merge scans (for instance 32,767 rows by 512 columns): a
// larger rectangle is refused with the overflow error before any source is read.
constexpr long long kLargestMergedCellCount = 16777216;

// Returns the still-hidden application with the output workbook open in it;
// null when chooseSave declined: then every workbook was closed unsaved and
// the working copy removed. `stages`, when given, hears of each stage as the
// run reaches it.
std::shared_ptr<SpreadsheetApp> runMerge(SpreadsheetBinding& binding,
                                         const std::string& templatePath,
                                         const std::vector<std::string>& sourcePaths,
                                         const std::string& outputPath,
                                         ProgressIndicator& progress,
                                         const MergeChecks& checks = {},
                                         StageListener* stages = nullptr);

} // namespace rm
