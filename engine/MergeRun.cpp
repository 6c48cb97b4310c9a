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

#include <algorithm>
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

// One sheet of the template being merged, with everything gathered for it.
struct MergedSheet {
    std::string name;   // the template's name of it
    std::size_t index = 0;
    std::shared_ptr<Worksheet> target;
    ScanRectangle rectangle;
    std::optional<MarkedSums> sums;
    std::optional<LayoutCheck> check;
    std::optional<AlignedSums> aligned;
    SheetRead read;   // what is read of each source for it
    bool marked = false;
    bool formulas = false;   // its texts may change when other sheets are filled
};

// The summation of several sheets on one indicator: each sheet's scan sets
// the indicator up as if alone; here its values run on from the sheets before.
class SheetsProgress : public ProgressIndicator {
public:
    SheetsProgress(ProgressIndicator& whole, float total) : m_whole(whole)
    {
        m_whole.setMaximum(total);
        m_whole.setMinimum(0.0f);
        m_whole.setValue(0.0f);
    }
    void nextSheet(float cells) { m_offset = m_base; m_base += cells; }
    void setMaximum(float) override {}
    void setMinimum(float) override {}
    float value() const override { return m_whole.value() - m_offset; }
    void setValue(float value) override { m_whole.setValue(m_offset + value); }

private:
    ProgressIndicator& m_whole;
    float m_offset = 0.0f;
    float m_base = 0.0f;
};

// Whether the sheet shows a mark, and holds formulas, before anything is written.
void inspect(MergedSheet& sheet)
{
    const SheetTexts texts = readSheetTexts(*sheet.target, sheet.rectangle.rows, sheet.rectangle.sourceColumns());
    for (long i = 0; i < texts.cellCount() && !sheet.marked; ++i)
        sheet.marked = !texts.readError(i) && isMarkedText(texts.text(i));
    for (int row = 1; row <= texts.rows() && sheet.marked && !sheet.formulas; ++row)
        for (int column = 1; column <= texts.columns() && !sheet.formulas; ++column)
            sheet.formulas = sheet.target->cellHasFormula(row, column);
}

struct SourceInList {
    int index;
    const std::string& path;
};

// The template's active sheet: summed from the source's active sheet; checked,
// and aligned, on its sheet of the template's name when another sheet is active.
void foldActiveSheet(MergedSheet& sheet, const SourceInList& source, const SourceSheets& read,
                     const NumericReader& numbers, LayoutFindings& ofReading)
{
    sheet.sums->fold(read.active, numbers);
    if (!sheet.check)
        return;
    const SourceSheets::Named* named = read.byName.empty() ? nullptr : &read.byName.front();
    const bool otherSheet = named && named->texts;
    const SheetTexts& checked = otherSheet ? *named->texts : read.active;
    if (otherSheet) {
        LayoutFinding finding(LayoutFinding::Kind::ActiveSheetDiffers, source.index, source.path);
        finding.sheet = sheet.name;
        finding.sourceSheet = read.activeName;
        finding.alignable = true;
        ofReading.push_back(std::move(finding));
    }
    sheet.aligned->fold(checked, numbers, sheet.check->checkSource(source.path, checked), otherSheet);
}

// One of every marked sheet, from the source's sheet of its name; a source
// without one adds nothing there and is a finding.
void foldSheetOfItsName(MergedSheet& sheet, const SourceInList& source, SourceSheets::Named& named,
                        const NumericReader& numbers, LayoutFindings& ofReading)
{
    static const SheetTexts nothing;
    const SheetTexts& texts = named.texts ? *named.texts : nothing;
    sheet.sums->fold(texts, numbers);
    if (sheet.check && named.texts) {
        sheet.aligned->fold(texts, numbers, sheet.check->checkSource(source.path, texts));
    } else if (sheet.check) {
        sheet.check->skipSource();
        sheet.aligned->fold(texts, numbers, nullptr);
        LayoutFinding missing(LayoutFinding::Kind::MissingSheet, source.index, source.path);
        missing.sheet = sheet.name;
        missing.candidates = named.candidates;
        ofReading.push_back(std::move(missing));
    }
    named.texts.reset();   // what is held between sources stays small
}

// The summation of every marked sheet in workbook order, on one bar.
void sumEverySheet(Workbook& target, std::vector<MergedSheet>& sheets, ProgressIndicator& progress,
                   ContributionTable* contributions, StageListener* stages)
{
    const auto cellsOf = [](const MergedSheet& sheet) {
        return static_cast<float>(static_cast<long long>(sheet.rectangle.rows) * sheet.rectangle.columns);
    };
    float cells = 0.0f;
    for (const MergedSheet& sheet : sheets)
        cells += cellsOf(sheet);
    SheetsProgress overAll(progress, cells);
    for (MergedSheet& sheet : sheets) {
        if (stages) {
            stages->stageSheet(sheet.name);
            stages->stageProgress(MergeStage::Summing, 0, 0);
        }
        // Its formulas show the sheets filled before it: its texts are read afresh.
        if (&sheet != &sheets.front() && sheet.formulas)
            sheet.target = target.worksheet(sheet.index);
        overAll.nextSheet(cellsOf(sheet));
        const std::size_t first = contributions ? contributions->size() : 0;
        sumMarkedCells(*sheet.target, sheet.rectangle, *sheet.sums, overAll, contributions);
        if (contributions)
            for (std::size_t i = first; i < contributions->size(); ++i)
                (*contributions)[i].sheet = sheet.name;
    }
    if (stages)
        stages->stageSheet({});
}

// The findings of every sheet in sheet order, each in list order of the sources.
LayoutFindings gatherFindings(const std::vector<MergedSheet>& sheets, const LayoutFindings& ofReading,
                              bool nameSheets)
{
    LayoutFindings all;
    for (const MergedSheet& sheet : sheets) {
        if (!sheet.check)
            continue;
        std::vector<LayoutFinding> found = sheet.check->findings();
        // Of a whole package, "marks nothing" is said once, of the template (below):
        // a sheet of formulas that show "?" only until the sheets before it are filled
        // (a 说明 over them) marks no cell of its own, yet the package does.
        if (nameSheets)
            found.erase(std::remove_if(found.begin(), found.end(),
                                       [](const LayoutFinding& finding) {
                                           return finding.kind == LayoutFinding::Kind::NoMarkedCells;
                                       }),
                        found.end());
        for (const LayoutFinding& finding : ofReading)
            if (finding.sheet == sheet.name)
                found.push_back(finding);
        std::stable_sort(found.begin(), found.end(), [](const LayoutFinding& a, const LayoutFinding& b) {
            return a.sourceIndex < b.sourceIndex;
        });
        for (LayoutFinding& finding : found) {
            if (nameSheets || finding.kind == LayoutFinding::Kind::ActiveSheetDiffers)
                finding.sheet = sheet.name;
            all.push_back(std::move(finding));
        }
    }
    return all;
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
    std::shared_ptr<Worksheet> activeTarget;   // null: a chart sheet, when every marked sheet is merged
    std::vector<MergedSheet> sheets;
    try {
        target = app->openWorkbook(workingCopy);
        if (checks.everyMarkedSheet) {
            const std::vector<SheetInfo> infos = target->sheets();
            for (std::size_t i = 0; i < infos.size(); ++i)
                if (!infos[i].chart)
                    sheets.push_back(MergedSheet{infos[i].name, i, target->worksheet(i), {}, {}, {}, {}, {}, false, false});
            try {
                activeTarget = target->activeSheet();
            } catch (const Error& error) {
                if (error.number() != ErrorNumber::NotAWorksheet)
                    throw;
            }
        } else {
            activeTarget = target->activeSheet();
            sheets.push_back(MergedSheet{activeTarget->name(), 0, activeTarget, {}, {}, {}, {}, {}, true, false});
        }
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::OfficeConnectionLost)
            throw;
        rethrowNamingTheTemplate(error, workingCopy, templatePath);
    }
    // The rectangles are known before anything else is read: only they are ever read.
    for (MergedSheet& sheet : sheets) {
        sheet.rectangle = measureScanRectangle(*sheet.target);
        refuseRectangleTooLargeToHold(sheet.rectangle);
    }
    if (checks.everyMarkedSheet) {
        for (MergedSheet& sheet : sheets)
            inspect(sheet);
        sheets.erase(std::remove_if(sheets.begin(), sheets.end(), [](const MergedSheet& sheet) { return !sheet.marked; }),
                     sheets.end());
    }
    const NumericLocale locale = binding.numericLocale();
    LayoutFindings ofReading;   // findings about whole sheets of sources
    SourceRequest request;
    for (MergedSheet& sheet : sheets) {
        sheet.sums.emplace(sheet.rectangle.rows, sheet.rectangle.sourceColumns(), checks.contributions != nullptr);
        sheet.read = SheetRead{sheet.name, sheet.rectangle.rows, sheet.rectangle.sourceColumns()};
        if (checks.chooseSave) {
            // The template's own texts, before any sum.
            sheet.check.emplace(*sheet.target, locale, checks.everyMarkedSheet ? std::string() : templatePath);
            sheet.aligned.emplace(sheet.check->markedCells(), checks.contributions != nullptr);
            sheet.read.rows = alignmentReach(sheet.read.rows, kAlignmentRowMargin);
            sheet.read.columns = alignmentReach(sheet.read.columns, kAlignmentColumnMargin);
        }
        if (checks.everyMarkedSheet)
            request.byName.push_back(sheet.read);
    }
    if (checks.chooseSave && checks.everyMarkedSheet
        && std::all_of(sheets.begin(), sheets.end(),
                       [](const MergedSheet& sheet) { return sheet.check->markedCells().empty(); }))
        ofReading.push_back(LayoutFinding(LayoutFinding::Kind::NoMarkedCells, -1, templatePath));
    if (!checks.everyMarkedSheet) {
        request.active = sheets.front().read;
        // The sheet of the template's name too, for a source that was saved
        // with another sheet active: the aligned choice reads that one.
        if (checks.chooseSave && !sheets.front().name.empty())
            request.byName.push_back(sheets.front().read);
    }

    const std::int16_t sourceCount = narrowToInt16(static_cast<long long>(sourcePaths.size()));
    if (readers.empty())
        readers.push_back(&binding.global());
    report(MergeStage::ReadingSources, 0, sourceCount);
    const NumericReader numbers(locale);
    readSourcesInOrder(readers, sourcePaths, request, [&](std::size_t index, SourceSheets&& read) {
        const SourceInList source{static_cast<int>(index), sourcePaths[index]};
        if (!checks.everyMarkedSheet) {
            foldActiveSheet(sheets.front(), source, read, numbers, ofReading);
            report(MergeStage::ReadingSources, source.index + 1, sourceCount);
            return;
        }
        for (std::size_t k = 0; k < sheets.size(); ++k) {
            if (stages)
                stages->stageSheet(sheets[k].name);
            foldSheetOfItsName(sheets[k], source, read.byName[k], numbers, ofReading);
            report(MergeStage::ReadingSources, source.index + 1, sourceCount);
        }
        if (sheets.empty())
            report(MergeStage::ReadingSources, source.index + 1, sourceCount);
    });

    report(MergeStage::Summing, 0, 0);
    if (!checks.everyMarkedSheet) {
        const MergedSheet& sheet = sheets.front();
        sumMarkedCells(*sheet.target, sheet.rectangle, *sheet.sums, progress, checks.contributions);
    } else {
        sumEverySheet(*target, sheets, progress, checks.contributions, stages);
    }

    if (checks.chooseSave) {
        const auto allFindings = [&] {
            LayoutFindings findings = gatherFindings(sheets, ofReading, checks.everyMarkedSheet);
            for (const LayoutFinding& finding : ofReading)
                if (finding.kind == LayoutFinding::Kind::NoMarkedCells)
                    findings.insert(findings.begin(), finding);
            return findings;
        };
        LayoutFindings findings = allFindings();
        if (!findings.empty()) {
            const SaveChoice choice = checks.chooseSave(findings);
            if (choice == SaveChoice::AlignByLabels && anyAlignable(findings)) {
                for (MergedSheet& sheet : sheets) {
                    sheet.aligned->writeInto(*sheet.target, checks.contributions,
                                             checks.everyMarkedSheet ? sheet.name : std::string());
                    sheet.check->markAlignedSources();
                }
                for (LayoutFinding& finding : ofReading)
                    if (finding.kind == LayoutFinding::Kind::ActiveSheetDiffers)
                        finding.aligned = true;
                findings = allFindings();
            }
            if (checks.findingsSettled)
                checks.findingsSettled(findings);
            if (choice == SaveChoice::DontSave) {
                target->close();
                removeWorkingCopy(workingCopy);
                return nullptr;
            }
        }
    }

    report(MergeStage::Saving, 0, 0);
    app->setDisplayAlerts(false);
    // The output opens where the template did.
    if (activeTarget)
        activeTarget->activate();
    app->setActiveWindowDisplayZeros(false);
    (activeTarget ? activeTarget : sheets.empty() ? target->worksheet(0) : sheets.front().target)->saveAs(outputPath);

    report(MergeStage::Finishing, 0, 0);
    removeWorkingCopy(workingCopy);
    return app;
}

} // namespace rm
