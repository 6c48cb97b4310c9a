#include "engine/progress/StageText.h"

#include <algorithm>
#include <cmath>

namespace rm {

std::string stageText(MergeStage stage, long done, long total)
{
    switch (stage) {
    case MergeStage::StartingOffice:
        return "启动 LibreOffice";
    case MergeStage::OpeningTarget:
        return "打开模板副本";
    case MergeStage::ReadingSources:
        return "读取合并文件 " + std::to_string(done) + "/" + std::to_string(total);
    case MergeStage::Summing:
        return "求和";
    case MergeStage::Saving:
        return "保存";
    case MergeStage::Finishing:
        return "关闭合并文件";
    }
    return {};
}

std::string stageSheetText(const std::string& sheet)
{
    return sheet.empty() ? std::string() : "（" + sheet + "）";
}

std::optional<double> remainingSeconds(double elapsedSeconds, double fractionDone, double minimumElapsed)
{
    if (!(elapsedSeconds >= minimumElapsed) || !(fractionDone > 0.0) || !std::isfinite(elapsedSeconds))
        return std::nullopt;
    if (fractionDone >= 1.0)
        return 0.0;
    return elapsedSeconds * (1.0 - fractionDone) / fractionDone;
}

std::string remainingTimeText(double seconds)
{
    long whole = std::lround(std::ceil(std::max(seconds, 1.0)));
    if (whole > 60)
        whole = (whole + 4) / 5 * 5;
    const long minutes = whole / 60;
    const long rest = whole % 60;
    if (minutes == 0)
        return "约剩 " + std::to_string(rest) + " 秒";
    if (rest == 0)
        return "约剩 " + std::to_string(minutes) + " 分";
    return "约剩 " + std::to_string(minutes) + " 分 " + std::to_string(rest) + " 秒";
}

} // namespace rm
