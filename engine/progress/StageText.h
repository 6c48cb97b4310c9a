#pragma once

#include "engine/progress/MergeStages.h"

#include <optional>
#include <string>

namespace rm {

// What a merge run is doing, in the words the user reads: "读取合并文件 12/300".
std::string stageText(MergeStage stage, long done, long total);

// The sheet a stage works on, after the stage's text (and a file's name):
// "（利润表）"; empty for none.
std::string stageSheetText(const std::string& sheet);

// Seconds still to go, from the time the run has taken so far and the
// fraction of it done (as rm::ProgressFraction weighs it); none while too little
// is known (before `minimumElapsed` seconds, or with nothing done yet).
std::optional<double> remainingSeconds(double elapsedSeconds, double fractionDone, double minimumElapsed = 3.0);

// "约剩 1 分 20 秒", "约剩 45 秒"; above a minute rounded to 5 seconds, so the
// figure does not flicker from second to second.
std::string remainingTimeText(double seconds);

} // namespace rm
