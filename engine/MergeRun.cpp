#include "engine/MergeRun.h"

#include "engine/check/AlignedSums.h"
#include "engine/Checked16.h"
#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/ErrorTexts.h"
#include "engine/files/FileIdentity.h"
#include "engine/files/FileSystem.h"
#include "engine/check/LayoutCheck.h"
#include "engine/MarkedCells.h"
#include "engine/MarkedSums.h"
#include "engine/files/OutputPath.h"
#include "engine/SourceReading.h"
#include "engine/files/WorkingCopy.h"

#include <optional>

namespace rm {

namespace {

// Saving over a source would destroy an input that the merge still reads.
// Replacing the template is the user's confirmed choice: the run never opens
// the template itself, only its working copy, so nothing is lost half-way.
void refuseOutputOntoSource(const std::string& outputPath, const std::vector<std::string>& sourcePaths)
{
    for (const auto& source : sourcePaths)
        if (sameFile(outputPath, source))
            throw ErrorText::outputIsSource(outputPath);
}

// The target is opened from the hidden working copy; what goes wrong there is
// the template's fault, and the user knows the template's name only.
[[noreturn]] void rethrowNamingTheTemplate(const Error& error, const std::string& workingCopy,
                                           const std::string& templatePath)
{
    std::string description = error.description();
    const std::string absoluteCopy = absolutePath(workingCopy);
    for (const std::string& name : {absoluteCopy, workingCopy}) {
        for (auto at = description.find(name); at != std::string::npos; at = description.find(name, at))
            description.replace(at, name.size(), templatePath);
    }
    throw Error(error.number(), ErrorText::templateAtFault(description));
}

// The template's texts and the running sums over the whole rectangle are
// held, and so are a source's texts as far as its cells reach (with the
// check before saving, up to the alignment margins beyond): a used area
// reaching far out (one stray cell at XFD30000) would need many gigabytes and
// hours.
void refuseRectangleTooLargeToHold(const ScanRectangle& rectangle)
{
    const long long cells = static_cast<long long>(rectangle.rows) * rectangle.sourceColumns();
    if (cells <= kLargestMergedCellCount)
        return;
    throw ErrorText::templateAreaTooLarge(rectangle.rows, rectangle.columns, kLargestMergedCellCount);
}

} // namespace

std::shared_ptr<SpreadsheetApp> runMerge(SpreadsheetBinding& binding,
                                         const std::string& templatePath,
                                         const std::vector<std::string>& sourcePaths,
                                         const std::string& outputPath,
                                         ProgressIndicator& progress,
                                         const MergeChecks& checks,
                                         StageListener* stages)
{
    const auto report = [stages](MergeStage stage, long done, long total) {
        if (stages)
            stages->stageProgress(stage, done, total);
    };

    const OutputPathParts output = splitOutputPath(outputPath);
    refuseOutputOntoSource(outputPath, sourcePaths);
    const std::string workingCopy = makeWorkingCopy(templatePath, output);

    std::vector<GlobalEntryPoint*> readers = binding.sourceReaders(sourcePaths.size());
    report(MergeStage::StartingOffice, 0, 0);
    std::shared_ptr<SpreadsheetApp> app = binding.createInstance();
    app->setVisible(false);
    report(MergeStage::StartingOffice, 1, 1);
    report(MergeStage::OpeningTarget, 0, 0);
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
    // The rectangle is known before anything else is read: only it is ever read.
    const ScanRectangle rectangle = measureScanRectangle(*targetSheet);
    refuseRectangleTooLargeToHold(rectangle);
    const NumericLocale locale = binding.numericLocale();
    std::optional<LayoutCheck> layoutCheck;
    std::optional<AlignedSums> alignedSums;
    int readRows = rectangle.rows;
    int readColumns = rectangle.sourceColumns();
    if (checks.chooseSave) {
        layoutCheck.emplace(*targetSheet, locale, templatePath);   // the template's own texts, before any sum
        alignedSums.emplace(layoutCheck->markedCells(), checks.contributions != nullptr);
        readRows = alignmentReach(readRows, kAlignmentRowMargin);
        readColumns = alignmentReach(readColumns, kAlignmentColumnMargin);
    }

    const std::int16_t sourceCount = narrowToInt16(static_cast<long long>(sourcePaths.size()));
    if (readers.empty())
        readers.push_back(&binding.global());
    report(MergeStage::ReadingSources, 0, sourceCount);
    const NumericReader numbers(locale);
    MarkedSums sums(rectangle.rows, rectangle.sourceColumns(), checks.contributions != nullptr);
    readSourcesInOrder(readers, sourcePaths, readRows, readColumns,
                       [&](std::size_t index, SheetTexts&& texts) {
                           sums.fold(texts, numbers);
                           if (layoutCheck)
                               alignedSums->fold(texts, numbers,
                                                 layoutCheck->checkSource(sourcePaths[index], texts));
                           report(MergeStage::ReadingSources, static_cast<long>(index) + 1, sourceCount);
                       });

    report(MergeStage::Summing, 0, 0);
    sumMarkedCells(*targetSheet, rectangle, sums, progress, checks.contributions);

    if (layoutCheck && !layoutCheck->findings().empty()) {
        const SaveChoice choice = checks.chooseSave(layoutCheck->findings());
        if (choice == SaveChoice::AlignByLabels && anyAlignable(layoutCheck->findings())) {
            alignedSums->writeInto(*targetSheet, checks.contributions);
            layoutCheck->markAlignedSources();
        }
        if (checks.findingsSettled)
            checks.findingsSettled(layoutCheck->findings());
        if (choice == SaveChoice::DontSave) {
            target->close();
            removeWorkingCopy(workingCopy);
            return nullptr;
        }
    }

    report(MergeStage::Saving, 0, 0);
    app->setDisplayAlerts(false);
    targetSheet->activate();
    app->setActiveWindowDisplayZeros(false);
    targetSheet->saveAs(outputPath);

    report(MergeStage::Finishing, 0, 0);
    removeWorkingCopy(workingCopy);
    return app;
}

} // namespace rm
