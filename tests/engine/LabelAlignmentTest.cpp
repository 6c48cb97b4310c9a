// Which header labels the check before saving compares, and sources aligned
// by their labels, on a Chinese monthly report.

#include "GridSheets.h"
#include "RecordingProgress.h"
#include "TempFolder.h"

#include "engine/check/LayoutCheck.h"
#include "engine/MergeRun.h"
#include "engine/memory/MemoryBinding.h"
#include "engine/memory/MemorySheet.h"

#include <gtest/gtest.h>

using namespace reportgrids;
using rm::CellPosition;
using rm::LayoutFinding;
using rm::LayoutFindings;
using rm::mem::MemoryBinding;
using rm::mem::MemorySheet;
using rm::mem::WorkbookContent;
using Kind = rm::LayoutFinding::Kind;

namespace {

const rm::NumericLocale enUS = rm::NumericLocale{};

rm::TemplateLabels labelsOf(const Grid& grid)
{
    MemorySheet sheet(sheetOf(grid));
    rm::TemplateCells cells{static_cast<int>(sheet.usedRangeRowCount()), static_cast<int>(sheet.usedRangeColumnCount()),
                            {}, {}};
    for (int row = 1; row <= cells.rows; ++row)
        for (int column = 1; column <= cells.columns; ++column) {
            cells.texts.push_back(sheet.cellText(row, column));
            cells.formulas.push_back(sheet.cellHasFormula(row, column));
        }
    return rm::TemplateLabels(cells, rm::NumericReader(enUS));
}

std::vector<std::string> governing(const Grid& grid)
{
    std::vector<std::string> cells;
    const rm::TemplateLabels labels = labelsOf(grid);
    for (const auto& label : labels.governingLabels())
        cells.push_back(rm::cellAddress(label.row, label.column) + "=" + label.text);
    return cells;
}

// Each source read as the merge reads it: over the template's rectangle and the margins.
LayoutFindings check(const Grid& templateGrid, const std::vector<Grid>& sources,
                     std::vector<bool>* alignable = nullptr)
{
    MemorySheet target(sheetOf(templateGrid));
    rm::LayoutCheck layoutCheck(target, enUS);
    for (size_t i = 0; i < sources.size(); ++i) {
        MemorySheet source(sheetOf(sources[i]));
        const rm::SheetTexts texts = rm::readSheetTexts(
            source, rm::alignmentReach(static_cast<int>(target.usedRangeRowCount()), rm::kAlignmentRowMargin),
            rm::alignmentReach(static_cast<int>(target.usedRangeColumnCount()), rm::kAlignmentColumnMargin));
        const bool aligned = layoutCheck.checkSource("/in/s" + std::to_string(i + 1) + ".xls", texts) != nullptr;
        if (alignable)
            alignable->push_back(aligned);
    }
    return layoutCheck.findings();
}

// The one finding of a single source, which must differ in layout.
LayoutFinding layoutFindingOf(const Grid& source)
{
    const LayoutFindings findings = check(monthlyTemplate(), {source});
    EXPECT_EQ(findings.size(), 1u);
    if (findings.empty())
        return {};
    EXPECT_EQ(findings[0].kind, Kind::LayoutDiffers);
    return findings[0];
}

const Row kNewItem = {"    其中：新增项目", "", "50", "500"};

} // namespace

TEST(HeaderLabels, OnlyTheNearestLabelsLeftOfAndAboveAMarkGovern)
{
    // Not the title, the unit, the date, the signatures, "项目", "行次" or the
    // "其中：" line; row numbers between a label and its marks are skipped.
    EXPECT_EQ(governing(monthlyTemplate()),
              (std::vector<std::string>{"C3=本月数", "D3=本年累计", "A4=一、营业收入", "A6=主营业务收入", "A7=其他业务收入",
                                        "A8=二、营业成本", "A9=三、利润总额"}));
    const rm::TemplateLabels labels = labelsOf(monthlyTemplate());
    EXPECT_EQ(labels.rowLabelColumns().at(4), std::vector<int>{1});
    EXPECT_EQ(labels.columnLabelRows().at(4), std::vector<int>{3});
    EXPECT_EQ(labels.rowLabelColumns().count(5), 0u);   // no mark in the "其中：" line
    EXPECT_EQ(labels.marks().size(), 10u);

    // Two tables side by side: each mark has its own row label; a mark with
    // nothing to its left or above has none.
    const Grid sideBySide = {{"?", "本月", "", "本年"}, {"收入", "?", "支出", "?"}};
    EXPECT_EQ(governing(sideBySide), (std::vector<std::string>{"B1=本月", "D1=本年", "A2=收入", "C2=支出"}));
    const rm::TemplateLabels sides = labelsOf(sideBySide);
    EXPECT_EQ(sides.rowLabelColumns().at(2), (std::vector<int>{1, 3}));
    EXPECT_TRUE(sides.rowLabelColumns().at(1).empty());
    EXPECT_TRUE(sides.columnLabelRows().at(1).empty());
}

TEST(HeaderLabels, FilledInAndPaddedLabelsAgree)
{
    EXPECT_TRUE(rm::labelAgrees("编制单位：", "编制单位：东区分公司"));
    EXPECT_TRUE(rm::labelAgrees("本月数", "\xE3\x80\x80本月数  "));
    EXPECT_TRUE(rm::labelAgrees(rm::trimmedText("\xC2\xA0单位：元\t"), "单位：元"));
    EXPECT_FALSE(rm::labelAgrees("本月数", "本年累计"));
    EXPECT_FALSE(rm::labelAgrees("本月数", ""));
    EXPECT_FALSE(rm::labelAgrees("编制单位：东区分公司", "编制单位："));
    EXPECT_EQ(rm::trimmedText("  年  月"), "年  月");
}

TEST(LabelAlignment, BranchesThatFillInTheHeaderGiveNoFindings)
{
    // Unit, date, signatures filled in; a header written "本月数（元）"; a row label without its indent.
    Grid south = monthlyBranch("南区分公司", 3);
    south[2][2] = "本月数（元）";
    south[6][0] = "其他业务收入";
    EXPECT_TRUE(check(monthlyTemplate(), {monthlyBranch("东区分公司", 1), monthlyBranch("西区分公司", 2), south}).empty());
}

TEST(LabelAlignment, InsertedAndRemovedRowsAreNamedAndAligned)
{
    const LayoutFinding inserted = layoutFindingOf(withRowInserted(monthlyBranch("西区分公司", 2), 8, kNewItem));
    EXPECT_TRUE(inserted.alignable);
    EXPECT_FALSE(inserted.aligned);
    EXPECT_EQ(rm::describeFinding(inserted),
              "版式与模板不同：/in/s1.xls（第 8 行起下移 1 行（多出“其中：新增项目”）；可按标签对齐）");
    EXPECT_EQ(inserted.differingLabels, 2);   // A8 and A9 read the rows above them

    const LayoutFinding removed = layoutFindingOf(withRowRemoved(monthlyBranch("北区分公司", 1), 5));
    EXPECT_TRUE(removed.alignable);
    EXPECT_EQ(rm::describeFinding(removed), "版式与模板不同：/in/s1.xls（第 5 行起上移 1 行（缺少“其中：”）；可按标签对齐）");

    // Two rows at the top: a second title line and a blank one.
    const LayoutFinding top =
        layoutFindingOf(withRowInserted(withRowInserted(monthlyBranch("东区分公司", 1), 2, {"（合并口径）"}), 2, {}));
    EXPECT_FALSE(top.alignable);   // the column headers are looked for in their own row only
}

TEST(LabelAlignment, InsertedAndRemovedColumnsAreNamedAndAligned)
{
    const Row lastYear = {"", "", "上年同期", "1", "", "2", "3", "4", "5"};
    const LayoutFinding inserted = layoutFindingOf(withColumnInserted(monthlyBranch("西区分公司", 1), 3, lastYear));
    EXPECT_TRUE(inserted.alignable);
    EXPECT_EQ(rm::describeFinding(inserted), "版式与模板不同：/in/s1.xls（第 C 列起右移 1 列（多出“上年同期”）；可按标签对齐）");

    const LayoutFinding removed = layoutFindingOf(withColumnRemoved(monthlyBranch("西区分公司", 1), 2));
    EXPECT_TRUE(removed.alignable);
    EXPECT_EQ(rm::describeFinding(removed), "版式与模板不同：/in/s1.xls（第 B 列起左移 1 列（缺少“行次”）；可按标签对齐）");

    // A row and a column at once.
    const LayoutFinding both = layoutFindingOf(
        withColumnInserted(withRowInserted(monthlyBranch("西区分公司", 1), 8, kNewItem), 3, lastYear));
    EXPECT_EQ(rm::describeFinding(both), "版式与模板不同：/in/s1.xls（第 8 行起下移 1 行（多出“其中：新增项目”）；"
                                         "第 C 列起右移 1 列（多出“上年同期”）；可按标签对齐）");
}

TEST(LabelAlignment, RemovedMarkedRowsAndColumnsAreNamedButNotAligned)
{
    // A marked row or column the source lacks has nothing to add to its sums:
    // what moved is named, and the source stays unaligned.
    const LayoutFinding row = layoutFindingOf(withRowRemoved(monthlyBranch("南区分公司", 1), 8));
    EXPECT_FALSE(row.alignable);
    EXPECT_EQ(rm::describeFinding(row), "版式与模板不同：/in/s1.xls（第 8 行起上移 1 行（缺少“二、营业成本”）；不能按标签对齐）");

    const LayoutFinding column = layoutFindingOf(withColumnRemoved(monthlyBranch("南区分公司", 1), 3));
    EXPECT_FALSE(column.alignable);
    EXPECT_EQ(rm::describeFinding(column), "版式与模板不同：/in/s1.xls（第 C 列起左移 1 列（缺少“本月数”）；不能按标签对齐）");

    // The last marked row removed moves nothing after it: the differing headers as before.
    const LayoutFinding last = layoutFindingOf(withRowRemoved(monthlyBranch("南区分公司", 1), 9));
    EXPECT_TRUE(last.moves.empty());
    EXPECT_NE(rm::describeFinding(last).find("处标签不同：A9 模板“三、利润总额”"), std::string::npos)
        << rm::describeFinding(last);
}

TEST(LabelAlignment, ManyMissingLabelsAreNotNamedAsRemovals)
{
    // A long list of items: two removed are named; a source whose item labels
    // are all other words is no report with lines removed.
    Grid longTemplate = {{"项目", "本月数"}};
    Grid twoRemoved = {{"项目", "本月数"}};
    Grid otherWords = {{"项目", "本月数"}};
    for (int i = 1; i <= 40; ++i) {
        longTemplate.push_back({"项目" + std::to_string(i), "?"});
        if (i != 10 && i != 11)
            twoRemoved.push_back({"项目" + std::to_string(i), "1"});
        otherWords.push_back({"其他" + std::to_string(i), "1"});
    }
    const LayoutFindings removed = check(longTemplate, {twoRemoved});
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(rm::describeFinding(removed[0]),
              "版式与模板不同：/in/s1.xls（第 11 行起上移 2 行（缺少“项目10”、“项目11”）；不能按标签对齐）");

    const LayoutFindings unrelated = check(longTemplate, {otherWords});
    ASSERT_EQ(unrelated.size(), 1u);
    EXPECT_TRUE(unrelated[0].moves.empty());
    EXPECT_EQ(unrelated[0].differingLabels, 40);
}

TEST(LabelAlignment, AmbiguousSourcesAreNotAligned)
{
    const Grid moved = withRowInserted(monthlyBranch("西区分公司", 1), 8, kNewItem);
    Grid renamed = moved;
    renamed[8][0] = "二、营业总成本";   // a label missing
    Grid twice = withRowInserted(moved, 8, {"\xE3\x80\x80主营业务收入", "", "1", "2"});   // a label found twice
    Grid swapped = moved;
    std::swap(swapped[8], swapped[9]);   // rows in another order
    Grid header = moved;
    header[2][3] = "本月数";   // two columns with one header
    std::vector<bool> aligned;
    const LayoutFindings findings = check(monthlyTemplate(), {renamed, twice, swapped, header}, &aligned);
    ASSERT_EQ(findings.size(), 4u);
    EXPECT_EQ(aligned, (std::vector<bool>{false, false, false, false}));
    for (const auto& finding : findings) {
        EXPECT_EQ(finding.kind, Kind::LayoutDiffers);
        EXPECT_FALSE(finding.alignable);
    }
    // Not alignable: the differing headers as before, the first three.
    EXPECT_EQ(rm::describeFinding(findings[0]),
              "版式与模板不同：/in/s1.xls（2 处标签不同：A8 模板“二、营业成本”，此文件“    其中：新增项目”；"
              "A9 模板“三、利润总额”，此文件“二、营业总成本”）");
    EXPECT_EQ(findings[3].differingLabels, 3);   // D3, A8, A9

    // Labels the template repeats in a column are matched in order, as often as the template has them.
    Grid twoSections = {{"项目", "金额"}, {"本月", ""}, {"收入", "?"}, {"本年", ""}, {"收入", "?"}};
    Grid shifted = {{"项目", "金额"}, {"本月", ""}, {"其中：", ""}, {"收入", "1"}, {"本年", ""}, {"收入", "2"}};
    aligned.clear();
    check(twoSections, {shifted, withRowRemoved(shifted, 6)}, &aligned);
    EXPECT_EQ(aligned, (std::vector<bool>{true, false}));

    // A marked row without a row label keeps its row, so it cannot follow a move.
    aligned.clear();
    check({{"", "金额"}, {"收入", "?"}, {"", "?"}}, {{{"", "金额"}, {"其中：", ""}, {"收入", "1"}, {"", "2"}}}, &aligned);
    EXPECT_EQ(aligned, std::vector<bool>{false});
}

TEST(LabelAlignment, SourcesAreReadNoFurtherThanTheMargins)
{
    EXPECT_EQ(rm::alignmentReach(10, rm::kAlignmentRowMargin), 74);
    EXPECT_EQ(rm::alignmentReach(32767 - 10, rm::kAlignmentRowMargin), 32767);
    EXPECT_EQ(rm::alignmentReach(32767, rm::kAlignmentColumnMargin), 32767);

    // The template's last marked row is row 9 of 10: 65 rows inserted above it
    // still fall within the 74 rows read, 66 do not.
    const auto shiftedBy = [](int rows) {
        Grid grid = monthlyBranch("西区分公司", 1);
        for (int i = 0; i < rows; ++i)
            grid = withRowInserted(grid, 4, {"补充说明"});
        return grid;
    };
    std::vector<bool> aligned;
    check(monthlyTemplate(), {shiftedBy(65), shiftedBy(66)}, &aligned);
    EXPECT_EQ(aligned, (std::vector<bool>{true, false}));

    // Columns: the last marked column is D of D; 16 inserted before C stay within reach, 17 do not.
    const auto widenedBy = [](int columns) {
        Grid grid = monthlyBranch("西区分公司", 1);
        for (int i = 0; i < columns; ++i)
            grid = withColumnInserted(grid, 3, {"", "", "备注"});
        return grid;
    };
    aligned.clear();
    check(monthlyTemplate(), {widenedBy(16), widenedBy(17)}, &aligned);
    EXPECT_EQ(aligned, (std::vector<bool>{true, false}));
}

namespace {

class AlignedMergeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        binding.createWorkbookFile(folder / "月报模板.xls", WorkbookContent(sheetOf(monthlyTemplate())));
        binding.createWorkbookFile(folder / "东区.xls", WorkbookContent(sheetOf(monthlyBranch("东区分公司", 1))));
        binding.createWorkbookFile(folder / "西区.xls",
                                   WorkbookContent(sheetOf(withRowInserted(monthlyBranch("西区分公司", 2), 8, kNewItem))));
    }

    std::shared_ptr<rm::SpreadsheetApp> run(rm::SaveChoice answer)
    {
        asked.clear();
        settled.clear();
        contributions.clear();
        rm::MergeChecks checks;
        checks.chooseSave = [&](const LayoutFindings& findings) {
            asked = findings;
            return answer;
        };
        checks.findingsSettled = [&](const LayoutFindings& findings) { settled = findings; };
        checks.contributions = &contributions;
        return rm::runMerge(binding, folder / "月报模板.xls", {folder / "东区.xls", folder / "西区.xls"},
                            folder / "合并.xls", progress, checks);
    }

    double saved(int row, int column) const
    {
        return binding.savedWorkbook(folder / "合并.xls")->active().numberAt(row, column).value_or(-1);
    }

    TempFolder folder;
    MemoryBinding binding;
    RecordingProgress progress;
    LayoutFindings asked;
    LayoutFindings settled;
    rm::ContributionTable contributions;
};

} // namespace

TEST_F(AlignedMergeTest, AlignedTheSumsFollowTheLabels)
{
    ASSERT_TRUE(run(rm::SaveChoice::AlignByLabels));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].alignable);
    EXPECT_FALSE(asked[0].aligned);
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_TRUE(settled[0].aligned);
    EXPECT_NE(rm::describeFinding(settled[0]).find("；已按标签对齐）"), std::string::npos);

    // East once, west twice, each amount where its label stands.
    const double expected[][3] = {{4, 3000, 36000}, {6, 2400, 27000}, {7, 600, 9000}, {8, 1800, 21000}, {9, 1200, 15000}};
    for (const auto& row : expected) {
        EXPECT_EQ(saved(static_cast<int>(row[0]), 3), row[1]) << row[0];
        EXPECT_EQ(saved(static_cast<int>(row[0]), 4), row[2]) << row[0];
    }
    // The contributions name the cell each source was read at.
    ASSERT_EQ(contributions.size(), 10u);
    const rm::MarkedCellContributions& cost = contributions[6];
    EXPECT_EQ(rm::cellAddress(cost.row, cost.column), "C8");
    EXPECT_EQ(cost.bySource, (std::vector<double>{600, 1200}));
    EXPECT_EQ(cost.sum, 1800);
    EXPECT_EQ(cost.readAt, (std::vector<CellPosition>{{8, 3}, {9, 3}}));
    EXPECT_TRUE(contributions[0].readAt.empty());   // 营业收入 was read where it stands in both
}

TEST_F(AlignedMergeTest, ByPositionTheSumsAreTodays)
{
    ASSERT_TRUE(run(rm::SaveChoice::ByPosition));
    EXPECT_FALSE(settled.at(0).aligned);
    EXPECT_EQ(saved(7, 3), 600);
    EXPECT_EQ(saved(8, 3), 650);    // west's new item
    EXPECT_EQ(saved(9, 3), 1600);   // west's cost
    EXPECT_EQ(contributions[6].bySource, (std::vector<double>{600, 50}));
    EXPECT_TRUE(contributions[6].readAt.empty());
}

TEST_F(AlignedMergeTest, NotSavedNothingIsWritten)
{
    EXPECT_FALSE(run(rm::SaveChoice::DontSave));
    EXPECT_FALSE(binding.savedWorkbook(folder / "合并.xls"));
    EXPECT_TRUE(binding.openDocuments().empty());
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_FALSE(settled[0].aligned);
    EXPECT_TRUE(settled[0].alignable);
}
