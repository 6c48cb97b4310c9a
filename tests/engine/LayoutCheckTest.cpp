#include "RecordingProgress.h"
#include "TempFolder.h"

#include "engine/check/LayoutCheck.h"
#include "engine/MergeRun.h"
#include "engine/memory/MemoryBinding.h"
#include "engine/memory/MemorySheet.h"

#include <gtest/gtest.h>

#include <cmath>

using rm::LayoutCheck;
using rm::LayoutFinding;
using rm::LayoutFindings;
using rm::mem::Formula;
using rm::mem::MemoryBinding;
using rm::mem::MemorySheet;
using rm::mem::SheetContent;
using rm::mem::WorkbookContent;
using Kind = rm::LayoutFinding::Kind;

namespace {

const rm::NumericLocale enUS = rm::NumericLocale{};

// Labels in column A, marks in column B, a total formula under them.
SheetContent reportLayout()
{
    SheetContent sheet;
    sheet.text(1, 1, "项目").text(1, 2, "金额")
        .text(2, 1, "销售").text(2, 2, "?")
        .text(3, 1, "成本").text(3, 2, "?")
        .text(4, 1, "利润").text(4, 2, "?")
        .text(5, 1, "合计").formula(5, 2, Formula::sum(2, 2, 4, 2));
    return sheet;
}

// A filled copy of the layout (its total formula shows the sum).
SheetContent filled(double sales, double cost, double profit)
{
    return reportLayout().number(2, 2, sales).number(3, 2, cost).number(4, 2, profit);
}

// The layout with a row inserted under the heading: every label below moves down.
SheetContent withInsertedRow()
{
    SheetContent sheet;
    sheet.text(1, 1, "项目").text(1, 2, "金额").text(2, 1, "其中：")
        .text(3, 1, "销售").number(3, 2, 1)
        .text(4, 1, "成本").number(4, 2, 2)
        .text(5, 1, "利润").number(5, 2, 3);
    return sheet;
}

LayoutFindings check(const SheetContent& templateSheet, const std::vector<SheetContent>& sources)
{
    MemorySheet target(templateSheet);
    LayoutCheck layoutCheck(target, enUS);
    for (size_t i = 0; i < sources.size(); ++i) {
        MemorySheet source(sources[i]);
        const rm::SheetTexts texts = rm::readSheetTexts(source, static_cast<int>(target.usedRangeRowCount()),
                                                        static_cast<int>(target.usedRangeColumnCount()));
        layoutCheck.checkSource("/in/s" + std::to_string(i + 1) + ".xls", texts);
    }
    return layoutCheck.findings();
}

} // namespace

TEST(LayoutCheck, FilledCopiesOfTheLayoutGiveNoFindings)
{
    EXPECT_TRUE(check(reportLayout(), {filled(1, 2, 3), filled(4, 5, 6), filled(1, 2, 4)}).empty());
}

TEST(LayoutCheck, ALabelThatReadsDifferentlyIsReportedWithTheFirstThree)
{
    // The labels moved down a row: found where they went.
    SheetContent renamed = withInsertedRow();
    renamed.text(4, 1, "费用");
    const LayoutFindings findings = check(reportLayout(), {filled(1, 2, 3), withInsertedRow(), renamed});
    ASSERT_EQ(findings.size(), 2u);
    const LayoutFinding& moved = findings[0];
    EXPECT_EQ(moved.kind, Kind::LayoutDiffers);
    EXPECT_EQ(moved.sourceIndex, 1);
    EXPECT_EQ(moved.sourcePath, "/in/s2.xls");
    EXPECT_EQ(moved.differingLabels, 3);   // A2..A4; "合计" by the formula's cell B5 governs no sum
    EXPECT_TRUE(moved.alignable);
    EXPECT_EQ(rm::describeFinding(moved), "版式与模板不同：/in/s2.xls（第 2 行起下移 1 行（多出“其中：”）；可按标签对齐）");

    // "成本" is nowhere: the differing labels, the first three.
    LayoutFinding layout = findings[1];
    EXPECT_FALSE(layout.alignable);
    EXPECT_EQ(layout.differingLabels, 3);
    ASSERT_EQ(layout.firstDifferences.size(), 3u);
    EXPECT_EQ(layout.firstDifferences[0].row, 2);
    EXPECT_EQ(layout.firstDifferences[0].templateText, "销售");
    EXPECT_EQ(layout.firstDifferences[0].sourceText, "其中：");
    EXPECT_EQ(rm::describeFinding(layout),
              "版式与模板不同：/in/s3.xls（3 处标签不同：A2 模板“销售”，此文件“其中：”；A3 模板“成本”，此文件“销售”；"
              "A4 模板“利润”，此文件“费用”）");
    layout.differingLabels = 4;
    EXPECT_EQ(rm::describeFinding(layout).substr(rm::describeFinding(layout).size() - std::string("；…）").size()),
              "；…）");
}

TEST(LayoutCheck, ASourceSentTwiceIsReportedAgainstTheFirst)
{
    const LayoutFindings findings = check(reportLayout(), {filled(1, 2, 3), filled(7, 8, 9), filled(1, 2, 3)});
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, Kind::SameContent);
    EXPECT_EQ(findings[0].sourceIndex, 2);
    EXPECT_EQ(findings[0].otherIndex, 0);
    EXPECT_EQ(rm::describeFinding(findings[0]), "与 /in/s1.xls 内容相同：/in/s3.xls");
    // Identical empty forms are "nothing to add", not copies of each other.
    const LayoutFindings empty = check(reportLayout(), {reportLayout(), reportLayout()});
    ASSERT_EQ(empty.size(), 2u);
    EXPECT_EQ(empty[0].kind, Kind::NothingToAdd);
    EXPECT_EQ(empty[1].kind, Kind::NothingToAdd);
    EXPECT_EQ(rm::describeFinding(empty[1]), "没有可相加的数字：/in/s2.xls");
}

TEST(LayoutCheck, TheLastSourceIsCheckedToo)
{
    SheetContent words = reportLayout();
    words.text(2, 2, "无").text(3, 2, "n/a");
    const LayoutFindings findings = check(reportLayout(), {filled(1, 2, 3), filled(2, 3, 4), words});
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, Kind::NothingToAdd);
    EXPECT_EQ(findings[0].sourceIndex, 2);
}

TEST(LayoutCheck, LabelsAreTheTemplatesOwnTextsWithoutNumbersFormulasOrMarks)
{
    SheetContent layout;
    layout.text(1, 1, "名称").number(1, 2, 2026).text(1, 3, " ").formula(1, 4, Formula::error("#NAME?"))
        .text(2, 1, "?");
    SheetContent source;
    source.text(1, 1, "名称").number(1, 2, 1999).text(1, 3, "x").text(1, 4, "other").number(2, 1, 5);
    EXPECT_TRUE(check(layout, {source}).empty());
    source.clear(1, 1);
    const LayoutFindings findings = check(layout, {source});
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(rm::describeFinding(findings[0]), "版式与模板不同：/in/s1.xls（1 处标签不同：A1 模板“名称”，此文件为空）");
}

TEST(LayoutFindings, CellAddresses)
{
    EXPECT_EQ(rm::cellAddress(7, 2), "B7");
    EXPECT_EQ(rm::cellAddress(1, 26), "Z1");
    EXPECT_EQ(rm::cellAddress(10, 27), "AA10");
    EXPECT_EQ(rm::cellAddress(3, 702), "ZZ3");
    EXPECT_EQ(rm::cellAddress(3, 703), "AAA3");
}

namespace {

class CheckedMergeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        binding.createWorkbookFile(folder / "t.xls", WorkbookContent(reportLayout()));
        binding.createWorkbookFile(folder / "s1.xls", WorkbookContent(filled(1, 2, 3)));
        binding.createWorkbookFile(folder / "s2.xls", WorkbookContent(filled(10, 20, 30)));
        binding.createWorkbookFile(folder / "moved.xls", WorkbookContent(withInsertedRow()));
    }

    std::shared_ptr<rm::SpreadsheetApp> run(std::vector<std::string> sources, bool answer)
    {
        rm::MergeChecks checks;
        checks.chooseSave = [&](const LayoutFindings& findings) {
            asked.push_back(findings);
            return answer ? rm::SaveChoice::ByPosition : rm::SaveChoice::DontSave;
        };
        checks.contributions = &contributions;
        return rm::runMerge(binding, folder / "t.xls", sources, folder / "out.xls", progress, checks);
    }

    TempFolder folder;
    MemoryBinding binding;
    RecordingProgress progress;
    std::vector<LayoutFindings> asked;
    rm::ContributionTable contributions;
};

} // namespace

TEST_F(CheckedMergeTest, WithoutFindingsNothingIsAsked)
{
    ASSERT_TRUE(run({folder / "s1.xls", folder / "s2.xls"}, false));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(binding.savedWorkbook(folder / "out.xls")->active().numberAt(2, 2), 11);

    // Every marked cell's summands, in scan order; NaN where a source adds nothing.
    ASSERT_EQ(contributions.size(), 3u);
    EXPECT_EQ(contributions[0].row, 2);
    EXPECT_EQ(contributions[0].column, 2);
    EXPECT_EQ(contributions[0].bySource, (std::vector<double>{1, 10}));
    EXPECT_EQ(contributions[2].sum, 33);
}

TEST_F(CheckedMergeTest, DeclinedNothingIsSavedAndEverythingIsClosed)
{
    EXPECT_EQ(run({folder / "s1.xls", folder / "moved.xls"}, false), nullptr);
    ASSERT_EQ(asked.size(), 1u);
    ASSERT_EQ(asked[0].size(), 1u);
    EXPECT_EQ(asked[0][0].kind, Kind::LayoutDiffers);
    EXPECT_FALSE(binding.savedWorkbook(folder / "out.xls"));
    EXPECT_TRUE(binding.openDocuments().empty());
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"moved.xls", "s1.xls", "s2.xls", "t.xls"}));
    // Asked after the sums, before anything is saved.
    EXPECT_EQ(progress.current, progress.maximum);
    EXPECT_TRUE(std::isnan(contributions[0].bySource[1]));
    EXPECT_EQ(contributions[0].sum, 1);
}

// A branch's filled-in report chosen as the template marks nothing: the
// "merge" would be a copy of it. Said once, naming the template; not saving
// is the safe answer.
TEST_F(CheckedMergeTest, ATemplateThatMarksNothingIsAFinding)
{
    binding.createWorkbookFile(folder / "filled.xls", WorkbookContent(filled(1, 2, 3)));
    rm::MergeChecks checks;
    checks.chooseSave = [&](const LayoutFindings& findings) {
        asked.push_back(findings);
        return rm::safestSaveChoice(findings);
    };
    EXPECT_EQ(rm::runMerge(binding, folder / "filled.xls", {folder / "s1.xls", folder / "s2.xls"},
                           folder / "out.xls", progress, checks),
              nullptr);
    ASSERT_EQ(asked.size(), 1u);
    ASSERT_EQ(asked[0].size(), 1u);
    EXPECT_EQ(asked[0][0].kind, Kind::NoMarkedCells);
    EXPECT_EQ(rm::describeFinding(asked[0][0]),
              "模板中没有要填写的单元格（显示内容含有“?”的单元格），合并结果将与模板相同：" + (folder / "filled.xls"));
    EXPECT_FALSE(binding.savedWorkbook(folder / "out.xls"));
    EXPECT_EQ(rm::findingsRemaining(asked[0], rm::SaveChoice::AlignByLabels), 1u);
}

TEST_F(CheckedMergeTest, AcceptedTheMergeIsSavedAsUsual)
{
    ASSERT_TRUE(run({folder / "s1.xls", folder / "s1.xls"}, true));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0][0].kind, Kind::SameContent);
    EXPECT_EQ(binding.savedWorkbook(folder / "out.xls")->active().numberAt(4, 2), 6);
    EXPECT_EQ(binding.openDocuments(), std::vector<std::string>{folder / "out.xls"});
}
