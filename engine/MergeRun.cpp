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

// The target is opened from the hidden working copy; what goes wrong there is
// the template's fault, and the user knows the template's name only.
[[noreturn]] void rethrowNamingTheTemplate(const Error& error, const std::string& workingCopy,
                                           const std::string& templatePath)
{
    std::string description = error.description();
    const std::string absoluteCopy = std::filesystem::absolute(workingCopy).lexically_normal().string();
    for (const std::string& name : {absoluteCopy, workingCopy}) {
        for (auto at = description.find(name); at != std::string::npos; at = description.find(name, at))
            description.replace(at, name.size(), templatePath);
    }
    throw Error(error.number(), "模板文件有问题：" + description);
}

} // namespace

std::shared_ptr<SpreadsheetApp> runMerge(SpreadsheetBinding& binding,
                                         const std::string& templatePath,
                                         const std::vector<std::string>& sourcePaths,
                                         const std::string& outputPath,
                                         ProgressIndicator& progress)
{
    splitOutputPath(outputPath);
    refuseOutputOntoSource(outputPath, sourcePaths);
    const std::string workingCopy = makeWorkingCopy(templatePath, outputPath);

    std::shared_ptr<SpreadsheetApp> app = binding.createInstance();
    app->setVisible(false);
    std::shared_ptr<Workbook> target;
    std::shared_ptr<Worksheet> targetSheet;
    try {
        target = app->openWorkbook(workingCopy);
        targetSheet = target->activeSheet();
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::OfficeConnectionLost)
            throw;
        rethrowNamingTheTemplate(error, workingCopy, templatePath);
    }

    const std::int16_t sourceCount = narrowToInt16(static_cast<long long>(sourcePaths.size()));
    std::vector<std::shared_ptr<Workbook>> sources;
    std::vector<std::shared_ptr<Worksheet>> sourceSheets;
    for (std::int16_t i = 0; i < sourceCount; ++i) {
        sources.push_back(binding.global().openWorkbook(sourcePaths[static_cast<size_t>(i)]));
        sourceSheets.push_back(sources.back()->activeSheet());
    }

    sumMarkedCells(*targetSheet, sourceSheets, progress);

    app->setDisplayAlerts(false);
    targetSheet->activate();
    app->setActiveWindowDisplayZeros(false);
    targetSheet->saveAs(outputPath);

    for (const auto& source : sources)
        source->close();
    removeWorkingCopy(workingCopy);
    return app;
}

} // namespace rm
