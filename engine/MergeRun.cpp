#include "engine/MergeRun.h"

#include "engine/Checked16.h"
#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/MarkedCells.h"
#include "engine/OutputPath.h"
#include "engine/WorkingCopy.h"

#include <filesystem>
#include <system_error>

namespace rm {

namespace {

bool sameFile(const std::string& a, const std::string& b)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(a, b, error))
        return true;
    return fs::absolute(a, error).lexically_normal() == fs::absolute(b, error).lexically_normal();
}

// Saving over a source would destroy an input that the merge still reads.
// Replacing the template is the user's confirmed choice: the run never opens
// the template itself, only its working copy, so nothing is lost half-way.
void refuseOutputOntoSource(const std::string& outputPath, const std::vector<std::string>& sourcePaths)
{
    for (const auto& source : sourcePaths)
        if (sameFile(outputPath, source))
            throw Error(ErrorNumber::OutputIsInput, "输出文件不能覆盖要合并的文件：" + outputPath);
}

} // namespace

std::shared_ptr<SpreadsheetApp> runMerge(SpreadsheetBinding& binding,
                                         const std::string& templatePath,
                                         const std::vector<std::string>& sourcePaths,
                                         const std::string& outputPath,
                                         ProgressIndicator& progress,
                                         RunProgress* stages)
{
    const auto report = [stages](MergeStage stage, long done, long total) {
        if (stages)
            stages->stageProgress(stage, done, total);
    };

    splitOutputPath(outputPath);
    refuseOutputOntoSource(outputPath, sourcePaths);
    const std::string workingCopy = makeWorkingCopy(templatePath, outputPath);

    report(MergeStage::StartingOffice, 0, 0);
    std::shared_ptr<SpreadsheetApp> app = binding.createInstance();
    app->setVisible(false);
    report(MergeStage::StartingOffice, 1, 1);
    report(MergeStage::OpeningTarget, 0, 0);
    const std::shared_ptr<Workbook> target = app->openWorkbook(workingCopy);
    const std::shared_ptr<Worksheet> targetSheet = target->activeSheet();

    const std::int16_t sourceCount = narrowToInt16(static_cast<long long>(sourcePaths.size()));
    std::vector<std::shared_ptr<Workbook>> sources;
    std::vector<std::shared_ptr<Worksheet>> sourceSheets;
    report(MergeStage::ReadingSources, 0, sourceCount);
    for (std::int16_t i = 0; i < sourceCount; ++i) {
        sources.push_back(binding.global().openWorkbook(sourcePaths[static_cast<size_t>(i)]));
        sourceSheets.push_back(sources.back()->activeSheet());
        report(MergeStage::ReadingSources, i + 1, sourceCount);
    }

    report(MergeStage::Summing, 0, 0);
    sumMarkedCells(*targetSheet, sourceSheets, progress);

    report(MergeStage::Saving, 0, 0);
    app->setDisplayAlerts(false);
    targetSheet->activate();
    app->setActiveWindowDisplayZeros(false);
    targetSheet->saveAs(outputPath);

    report(MergeStage::Finishing, 0, 0);
    for (const auto& source : sources)
        source->close();
    removeWorkingCopy(workingCopy);
    return app;
}

} // namespace rm
