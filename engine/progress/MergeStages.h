#pragma once

// What a merge run reports about its stages, besides the summation's own
// progress indicator. Called on the thread that runs the merge.

#include <string>

namespace rm {

enum class MergeStage {
    StartingOffice,   // the private office(s) start
    OpeningTarget,    // the working copy is opened
    ReadingSources,   // each source is opened and read; done/total = sources
    Summing,          // the summation; its progress indicator has the detail
    Saving,           // the output is written
    Finishing         // sources closed, working copy removed
};

class StageListener {
public:
    virtual ~StageListener() = default;
    // `done` of `total` units of `stage` (total 0: the stage has no steps of its own).
    virtual void stageProgress(MergeStage stage, long done, long total) = 0;
    // The sheet the reports that follow are about, when every marked sheet
    // is merged ("利润表"); empty: none in particular.
    virtual void stageSheet(const std::string& sheet) { (void)sheet; }
};

} // namespace rm
