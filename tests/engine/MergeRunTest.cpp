#include "RecordingProgress.h"
#include "TempFolder.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/MergeRun.h"
#include "engine/memory/MemoryBinding.h"

#include <gtest/gtest.h>

#include <regex>

using rm::mem::Formula;
using rm::mem::MemoryBinding;
using rm::mem::NumberFormat;
using rm::mem::SheetContent;
using rm::mem::WorkbookContent;
namespace Number = rm::ErrorNumber;

namespace {

// The stages a run reports, as "stage done/total".
class RecordingStages : public rm::StageListener {
public:
    void stageProgress(rm::MergeStage stage, long done, long total) override
    {
        static const char* const names[] = {"start", "target", "read", "sum", "save", "finish"};
        calls.push_back(std::string(names[static_cast<int>(stage)]) + " " + std::to_string(done) + "/" +
                        std::to_string(total));
    }
    std::vector<std::string> calls;
};

// A template with marks and a total, two sources, all as files in one folder.
class MergeRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SheetContent layout("Report");
        layout.text(1, 1, "Item").text(1, 2, "Amount")
            .text(2, 1, "a").text(2, 2, "?")
            .text(3, 1, "b").text(3, 2, "?")
            .text(4, 1, "Total").formula(4, 2, Formula::sum(2, 2, 3, 2), NumberFormat::fixed(2));
        WorkbookContent templateBook;
        templateBook.addSheet(SheetContent("Notes").text(1, 1, "?")).addSheet(layout).setActiveSheet(1);
        binding.createWorkbookFile(templatePath(), templateBook);
        binding.createWorkbookFile(source(1), WorkbookContent(SheetContent().number(2, 2, 1.5).number(3, 2, 10)));
        binding.createWorkbookFile(source(2), WorkbookContent(SheetContent().number(2, 2, 2).text(3, 2, "n/a")));
        inputsBefore = inputBytes();
    }

    std::string templatePath() const { return folder / "template.xls"; }
    std::string source(int n) const { return folder / ("source" + std::to_string(n) + ".xls"); }
    std::string output() const { return folder / "total.xls"; }
    std::vector<std::string> sources() const { return {source(1), source(2)}; }

    std::vector<std::string> inputBytes() const
    {
        return {readBytes(templatePath()), readBytes(source(1)), readBytes(source(2))};
    }

    std::shared_ptr<rm::SpreadsheetApp> run(const std::string& out, std::vector<std::string> sourceList)
    {
        return rm::runMerge(binding, templatePath(), sourceList, out, progress, {}, &stages);
    }

    int failingRun(const std::string& out, std::vector<std::string> sourceList)
    {
        try {
            run(out, std::move(sourceList));
        } catch (const rm::Error& error) {
            return error.number();
        }
        return 0;
    }

    // Hidden working copies left in the folder.
    std::vector<std::string> workingCopies(const std::string& pattern = R"(\.total[0-9]{4}\.xls)") const
    {
        std::vector<std::string> found;
        for (const auto& name : folder.entries())
            if (std::regex_match(name, std::regex(pattern)))
                found.push_back(name);
        return found;
    }

    // The working copy of the latest run: what was last opened for editing.
    std::string workingCopyOpened() const
    {
        std::string last;
        for (const auto& event : binding.events())
            if (event.rfind("open ", 0) == 0)
                last = event.substr(5);
        return last;
    }

    TempFolder folder;
    MemoryBinding binding;
    RecordingProgress progress;
    RecordingStages stages;
    std::vector<std::string> inputsBefore;
};

} // namespace

TEST_F(MergeRunTest, SumsSavesAndCleansUp)
{
    const auto app = run(output(), sources());
    ASSERT_TRUE(app);
    EXPECT_FALSE(app->visible());
    EXPECT_FALSE(binding.lastInstanceDisplayAlerts());

    const auto saved = binding.savedWorkbook(output());
    ASSERT_TRUE(saved);
    const SheetContent& sheet = saved->active();
    EXPECT_EQ(sheet.name(), "Report");
    EXPECT_EQ(sheet.numberAt(2, 2), 3.5);
    EXPECT_EQ(sheet.numberAt(3, 2), 10);
    EXPECT_EQ(sheet.displayedText(4, 2), "13.50"); // the template's total recomputes
    EXPECT_EQ(saved->sheets[0].displayedText(1, 1), "?"); // other sheets untouched
    EXPECT_FALSE(saved->displayZeros);

    EXPECT_TRUE(workingCopies().empty());
    EXPECT_EQ(inputBytes(), inputsBefore);
    EXPECT_EQ(binding.openDocuments(), std::vector<std::string>{output()});
    EXPECT_EQ(progress.current, 8.0f);
}

TEST_F(MergeRunTest, StepsInTheRunsOrder)
{
    run(output(), sources());
    const std::string copy = workingCopyOpened();
    EXPECT_TRUE(std::regex_match(copy, std::regex(".*/\\.total[1-9][0-9]{3}\\.xls"))) << copy;
    const std::vector<std::string> expected = {
        "start", "visible 0", "open " + copy, "open-readonly " + source(1), "close " + source(1),
        "open-readonly " + source(2), "close " + source(2), "alerts 0", "activate " + copy, "zeros 0",
        "saveAs " + output()};
    EXPECT_EQ(binding.events(), expected);
}

TEST_F(MergeRunTest, StagesAreReportedAsTheRunReachesThem)
{
    run(output(), sources());
    const std::vector<std::string> expected = {"start 0/0", "start 1/1", "target 0/0", "read 0/2", "read 1/2",
                                               "read 2/2",  "sum 0/0",   "save 0/0",   "finish 0/0"};
    EXPECT_EQ(stages.calls, expected);

    // A failing source ends the reports where the run stopped.
    stages.calls.clear();
    binding.failOpen(source(2), rm::Error(Number::DocumentLoadFailed, "locked"));
    EXPECT_EQ(failingRun(folder / "other.xls", sources()), Number::DocumentLoadFailed);
    ASSERT_FALSE(stages.calls.empty());
    EXPECT_EQ(stages.calls.back(), "read 1/2");

    // Without a listener the run is silent and the same.
    EXPECT_NE(rm::runMerge(binding, templatePath(), {source(1)}, folder / "third.xls", progress), nullptr);
}

TEST_F(MergeRunTest, WorkingCopyIsHiddenWhileTheRunLasts)
{
    binding.failSave(rm::Error(Number::SaveFailed, "stop here"));
    EXPECT_EQ(failingRun(output(), sources()), Number::SaveFailed);
    const auto copies = workingCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(folder / copies[0], workingCopyOpened());
    EXPECT_EQ(readBytes(folder / copies[0]), inputsBefore[0]);
}

TEST_F(MergeRunTest, EmptySourceListStillSaves)
{
    run(output(), {});
    const auto saved = binding.savedWorkbook(output());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->active().numberAt(2, 2), 0);
    EXPECT_EQ(saved->active().displayedText(4, 2), "0.00");
}

TEST_F(MergeRunTest, OutputNamesWithoutOrWithSeveralDots)
{
    run(folder / "report", sources());
    EXPECT_TRUE(binding.savedWorkbook(folder / "report"));
    EXPECT_TRUE(std::regex_match(workingCopyOpened(), std::regex(".*/\\.report[0-9]{4}")));
    EXPECT_TRUE(workingCopies(R"(\.report[0-9]{4})").empty());

    std::filesystem::create_directory(folder / "a.b");
    run(folder / "a.b/report", sources());
    EXPECT_TRUE(binding.savedWorkbook(folder / "a.b/report"));

    run(folder / "x.y.xls", sources());
    EXPECT_TRUE(std::regex_match(workingCopyOpened(), std::regex(".*/\\.x\\.y[0-9]{4}\\.xls")));
}

TEST_F(MergeRunTest, ExistingOutputIsReplaced)
{
    writeBytes(output(), "an older report");
    run(output(), sources());
    EXPECT_NE(readBytes(output()), "an older report");
    EXPECT_EQ(binding.savedWorkbook(output())->active().numberAt(2, 2), 3.5);
}

TEST_F(MergeRunTest, OutputWithoutFileNameTouchesNothing)
{
    const auto before = folder.entries();
    EXPECT_EQ(failingRun(folder.path() + "/", sources()), Number::OutputPathInvalid);
    EXPECT_TRUE(binding.events().empty());
    EXPECT_EQ(folder.entries(), before);
}

TEST_F(MergeRunTest, OutputOntoASourceIsRefusedBeforeAnythingHappens)
{
    EXPECT_EQ(failingRun(source(2), sources()), Number::OutputIsInput);
    EXPECT_EQ(failingRun(folder.path() + "/./source1.xls", sources()), Number::OutputIsInput);
    EXPECT_TRUE(binding.events().empty());
    EXPECT_EQ(inputBytes(), inputsBefore);
}

TEST_F(MergeRunTest, OutputMayReplaceTheTemplate)
{
    run(templatePath(), sources());
    EXPECT_EQ(binding.savedWorkbook(templatePath())->active().numberAt(2, 2), 3.5);
    EXPECT_TRUE(workingCopies().empty());
}

TEST_F(MergeRunTest, MissingTemplateFailsBeforeTheOfficeStarts)
{
    std::filesystem::remove(templatePath());
    EXPECT_EQ(failingRun(output(), sources()), Number::WorkingCopyFailed);
    EXPECT_TRUE(binding.events().empty());
    EXPECT_TRUE(workingCopies().empty());
}

TEST_F(MergeRunTest, StartFailureLeavesTheWorkingCopy)
{
    binding.failStart(rm::Error(Number::OfficeStartFailed, "no office"));
    EXPECT_EQ(failingRun(output(), sources()), Number::OfficeStartFailed);
    EXPECT_EQ(workingCopies().size(), 1u);
    EXPECT_TRUE(binding.openDocuments().empty());
}

TEST_F(MergeRunTest, TemplateThatIsNoWorkbookFailsAtOpening)
{
    writeBytes(folder / "notes.txt", "not a workbook");
    try {
        rm::runMerge(binding, folder / "notes.txt", sources(), output(), progress);
        FAIL() << "the run should fail";
    } catch (const rm::Error& error) {
        EXPECT_EQ(error.number(), Number::NotAWorkbook);
    }
    EXPECT_EQ(binding.instancesStarted(), 1);
    EXPECT_TRUE(binding.openDocuments().empty());
    EXPECT_EQ(workingCopies().size(), 1u);
    EXPECT_EQ(readBytes(folder / "notes.txt"), "not a workbook");
}

TEST_F(MergeRunTest, SourceFailuresLeaveTheTargetOpen)
{
    writeBytes(folder / "notes.txt", "not a workbook");
    EXPECT_EQ(failingRun(output(), {source(1), folder / "notes.txt", source(2)}), Number::NotAWorkbook);
    std::vector<std::string> open = binding.openDocuments();
    ASSERT_EQ(open.size(), 1u) << "each source read is closed at once";
    EXPECT_NE(open[0], source(1));
    EXPECT_EQ(workingCopies().size(), 1u);
    EXPECT_FALSE(binding.savedWorkbook(output()));
    EXPECT_FALSE(std::filesystem::exists(output()));
    EXPECT_EQ(inputBytes(), inputsBefore);
}

TEST_F(MergeRunTest, MissingSourceFails)
{
    EXPECT_EQ(failingRun(output(), {source(1), folder / "gone.xls"}), Number::DocumentNotFound);
    EXPECT_EQ(binding.openDocuments().size(), 1u);
    EXPECT_EQ(workingCopies().size(), 1u);
}

TEST_F(MergeRunTest, ChartSheetSourceFailsAfterItIsOpened)
{
    WorkbookContent chart;
    chart.addSheet(SheetContent("Data")).addSheet(SheetContent("Chart").setChart()).setActiveSheet(1);
    binding.createWorkbookFile(folder / "chart.xls", chart);
    EXPECT_EQ(failingRun(output(), {source(1), folder / "chart.xls", source(2)}), Number::NotAWorksheet);
    const auto open = binding.openDocuments();
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[1], folder / "chart.xls");
}

TEST_F(MergeRunTest, SummationFailureLeavesTargetPartlyWritten)
{
    SheetContent layout;
    layout.text(1, 1, "?").text(1, 2, "?").refuseWrites(1, 2);
    binding.createWorkbookFile(folder / "locked.xls", WorkbookContent(layout));
    try {
        rm::runMerge(binding, folder / "locked.xls", sources(), output(), progress);
        FAIL() << "the run should fail";
    } catch (const rm::Error& error) {
        EXPECT_EQ(error.number(), Number::CellAccessFailed);
    }
    EXPECT_EQ(binding.openDocuments().size(), 1u);
    EXPECT_EQ(progress.current, 1.0f);
    EXPECT_EQ(workingCopies().size(), 1u);
}

TEST_F(MergeRunTest, ARectangleTooLargeToHoldIsRefusedBeforeAnySourceIsRead)
{
    // 32,767 rows by 512 columns is the most; one stray cell far out makes more.
    binding.createWorkbookFile(folder / "stray.xls",
                               WorkbookContent(SheetContent().text(1, 1, "?").text(32767, 513, "x")));
    try {
        rm::runMerge(binding, folder / "stray.xls", sources(), output(), progress);
        FAIL() << "the run should fail";
    } catch (const rm::Error& error) {
        EXPECT_EQ(error.number(), Number::Overflow);
        EXPECT_NE(error.description().find("32767 行 × 513 列"), std::string::npos) << error.description();
    }
    for (const std::string& event : binding.events())
        EXPECT_EQ(event.rfind("open-readonly", 0), std::string::npos) << event;
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(MergeRunTest, SaveFailureKeepsEverythingOpen)
{
    std::filesystem::create_directory(output()); // an existing folder cannot be replaced by a file
    EXPECT_EQ(failingRun(output(), sources()), Number::SaveFailed);
    EXPECT_EQ(binding.openDocuments().size(), 1u);
    EXPECT_EQ(workingCopies().size(), 1u);
    EXPECT_EQ(inputBytes(), inputsBefore);
}

TEST_F(MergeRunTest, SourceCloseFailureEndsTheRunBeforeSaving)
{
    binding.failClose(source(1), rm::Error(Number::CloseFailed, "cannot close"));
    EXPECT_EQ(failingRun(output(), sources()), Number::CloseFailed);
    EXPECT_FALSE(binding.savedWorkbook(output()));
    EXPECT_EQ(binding.openDocuments().size(), 2u);
    EXPECT_EQ(workingCopies().size(), 1u);
}

TEST_F(MergeRunTest, EarlierHiddenCopiesAreLeftAlone)
{
    writeBytes(folder / ".total5000.xls", "left by an earlier failed run");
    for (int i = 0; i < 5; ++i) {
        // One merge per process: each run gets an office of its own, which finds the same files.
        MemoryBinding office;
        office.registerWorkbook(templatePath(), WorkbookContent(SheetContent().text(1, 1, "?")));
        office.registerWorkbook(source(1), WorkbookContent(SheetContent().number(1, 1, 1)));
        rm::runMerge(office, templatePath(), {source(1)}, output(), progress);
        EXPECT_EQ(office.savedWorkbook(output())->active().numberAt(1, 1), 1);
    }
    EXPECT_EQ(readBytes(folder / ".total5000.xls"), "left by an earlier failed run");
    EXPECT_EQ(workingCopies(), std::vector<std::string>{".total5000.xls"});
}

TEST(MemoryBinding, OpensRegisteredPathsAndCopiesOfTheirFiles)
{
    TempFolder folder;
    MemoryBinding binding;
    binding.registerWorkbook("/nowhere/book.xls", WorkbookContent(SheetContent().text(1, 1, "hi")));
    auto book = binding.global().openWorkbook("/nowhere/book.xls");
    EXPECT_EQ(book->activeSheet()->cells(1, 1).text(), "hi");

    writeBytes(folder / "real.xls", "some bytes");
    binding.registerWorkbook(folder / "real.xls", WorkbookContent(SheetContent().number(1, 1, 2)));
    std::filesystem::copy_file(folder / "real.xls", folder / "copy.xls");
    auto copy = binding.createInstance()->openWorkbook(folder / "copy.xls");
    auto sheet = copy->activeSheet();
    EXPECT_EQ(sheet->cells(1, 1).text(), "2");
    sheet->cells(1, 1).setValue2(5);
    // Each opening is a document of its own.
    EXPECT_EQ(binding.global().openWorkbook(folder / "real.xls")->activeSheet()->cellText(1, 1), "2");
    EXPECT_THROW(binding.global().openWorkbook(folder / "real.xls")->activeSheet()->setCellValue2(1, 1, 1), rm::Error);
    copy->close();
    EXPECT_THROW(sheet->cellText(1, 1), rm::Error);
}

TEST(MemoryBinding, SavingOntoAnOpenDocumentIsRefused)
{
    TempFolder folder;
    MemoryBinding binding;
    binding.createWorkbookFile(folder / "a.xls", WorkbookContent(SheetContent().text(1, 1, "a")));
    binding.createWorkbookFile(folder / "b.xls", WorkbookContent(SheetContent().text(1, 1, "b")));
    const std::string before = readBytes(folder / "b.xls");
    auto source = binding.global().openWorkbook(folder / "b.xls");
    auto target = binding.createInstance()->openWorkbook(folder / "a.xls");
    try {
        target->activeSheet()->saveAs(folder / "b.xls");
        FAIL();
    } catch (const rm::Error& error) {
        EXPECT_EQ(error.number(), Number::SaveOntoOpenDocument);
    }
    EXPECT_EQ(readBytes(folder / "b.xls"), before);
}

TEST(NumberFormat, DisplayedTexts)
{
    EXPECT_EQ(NumberFormat::general().format(3.5), "3.5");
    EXPECT_EQ(NumberFormat::general().format(1e20), "1E+20");
    EXPECT_EQ(NumberFormat::fixed(2).format(1.236), "1.24");
    EXPECT_EQ(NumberFormat::fixed(2, true).format(-1234567.5), "-1,234,567.50");
    EXPECT_EQ(NumberFormat::fixed(0).format(-0.2), "0");
    EXPECT_EQ(NumberFormat::percent(1).format(0.125), "12.5%");
    EXPECT_EQ(NumberFormat::accounting(2).format(1234.5), " $1,234.50 ");
    EXPECT_EQ(NumberFormat::accounting(2).format(-1234.5), "($1,234.50)");
    EXPECT_EQ(NumberFormat::tooNarrow().format(1), "###");
}
