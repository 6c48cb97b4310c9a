// A report package of several sheets merged in memory: which sheet of each
// source is read (by name, missing, active), and the checks per sheet.

#include "RecordingProgress.h"
#include "TempFolder.h"

#include "engine/MergeRun.h"
#include "engine/SheetNames.h"
#include "engine/memory/MemoryBinding.h"
#include "engine/progress/StageText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using rm::LayoutFinding;
using rm::LayoutFindings;
using rm::SaveChoice;
using rm::mem::Formula;
using rm::mem::MemoryBinding;
using rm::mem::SheetContent;
using rm::mem::WorkbookContent;
using Kind = rm::LayoutFinding::Kind;

TEST(SheetNamesTest, ExactNameFirstThenBlanksWidthAndCaseButNeverTwoAndNeverACharts)
{
    const std::vector<rm::SheetInfo> sheets{{"利润表", false, false}, {"资产负债表 ", false, false},
                                            {"Ｑ１ 报表", false, false}, {"图表", true, false},
                                            {"现金 流量表", false, false}, {"现金流量表　", false, false}};
    EXPECT_EQ(rm::findSheetByName(sheets, "利润表").index, 0u);
    EXPECT_EQ(rm::findSheetByName(sheets, "资产负债表").index, 1u);   // a trailing blank
    EXPECT_EQ(rm::findSheetByName(sheets, "q1报表").index, 2u);        // width, case and blanks
    EXPECT_FALSE(rm::findSheetByName(sheets, "图表").index);           // a chart sheet is no worksheet
    const rm::SheetMatch twice = rm::findSheetByName(sheets, "现金流量表");
    EXPECT_FALSE(twice.index);
    EXPECT_EQ(twice.candidates, 2);
    EXPECT_EQ(rm::findSheetByName(sheets, "说明").candidates, 0);
}

namespace {

// One sheet of the package: labels in column A, "期末数" in B1, marks in B2..B3.
SheetContent statement(const std::string& name, const std::string& first, const std::string& second)
{
    SheetContent sheet(name);
    sheet.text(1, 1, "项目").text(1, 2, "期末数").text(2, 1, first).text(2, 2, "?").text(3, 1, second).text(3, 2, "?");
    return sheet;
}

SheetContent filled(SheetContent sheet, double first, double second)
{
    return sheet.number(2, 2, first).number(3, 2, second);
}

SheetContent balance() { return statement("资产负债表", "货币资金", "应收账款"); }
SheetContent income() { return statement("利润表", "营业收入", "营业成本"); }
SheetContent cashFlow() { return statement("现金流量表", "经营活动", "投资活动"); }
SheetContent notes()
{
    SheetContent sheet("说明");
    return sheet.text(1, 1, "本表无需填写").formula(2, 1, Formula::sum(3, 1, 3, 1));
}

// Every stage the run tells, in the words the window and the command line show.
class StageWords : public rm::StageListener {
public:
    void stageProgress(rm::MergeStage stage, long done, long total) override
    {
        said.push_back(rm::stageText(stage, done, total) + rm::stageSheetText(m_sheet));
    }
    void stageSheet(const std::string& sheet) override { m_sheet = sheet; }
    std::vector<std::string> said;

private:
    std::string m_sheet;
};

class SheetPackageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WorkbookContent package(balance());
        package.addSheet(income()).addSheet(notes()).addSheet(cashFlow()).addSheet(SheetContent("图").setChart());
        binding.createWorkbookFile(folder / "模板.xlsx", package);
        // 东区 as the template; 西区 with 利润表 active; 北区 in another
        // order with 现金流量表 active; 南区 without 现金流量表.
        WorkbookContent east(filled(balance(), 100, 10));
        east.addSheet(filled(income(), 1000, 600)).addSheet(notes()).addSheet(filled(cashFlow(), 50, -20));
        WorkbookContent west(filled(balance(), 200, 20));
        west.addSheet(filled(income(), 500, 300)).addSheet(filled(cashFlow(), 60, -30)).setActiveSheet(1);
        WorkbookContent north(filled(cashFlow(), 70, -40));
        north.addSheet(filled(income(), 800, 400)).addSheet(filled(balance(), 300, 30));
        WorkbookContent south(filled(balance(), 400, 40));
        south.addSheet(filled(income(), 900, 500));
        binding.createWorkbookFile(folder / "东区.xlsx", east);
        binding.createWorkbookFile(folder / "西区.xlsx", west);
        binding.createWorkbookFile(folder / "北区.xlsx", north);
        binding.createWorkbookFile(folder / "南区.xlsx", south);
    }

    std::vector<std::string> branches() const
    {
        return {folder / "东区.xlsx", folder / "西区.xlsx", folder / "北区.xlsx", folder / "南区.xlsx"};
    }

    std::optional<WorkbookContent> merge(bool everySheet, SaveChoice choice, std::vector<std::string> sources = {})
    {
        rm::MergeChecks checks;
        contributions.clear();
        checks.everyMarkedSheet = everySheet;
        checks.contributions = &contributions;
        checks.chooseSave = [&](const LayoutFindings& found) {
            asked = found;
            return choice;
        };
        checks.findingsSettled = [&](const LayoutFindings& found) { settled = found; };
        const std::string output = folder / ("合并" + std::to_string(++runs) + ".xlsx");
        stages.said.clear();
        if (!rm::runMerge(binding, folder / "模板.xlsx", sources.empty() ? branches() : sources, output, progress,
                          checks, &stages))
            return std::nullopt;
        return binding.savedWorkbook(output);
    }

    long opened(const std::string& path) const
    {
        return std::count(binding.events().begin(), binding.events().end(), "open-readonly " + path);
    }

    TempFolder folder;
    MemoryBinding binding;
    RecordingProgress progress;
    rm::ContributionTable contributions;
    LayoutFindings asked;
    LayoutFindings settled;
    int runs = 0;
    StageWords stages;
};

} // namespace

TEST_F(SheetPackageTest, AnotherActiveSheetIsAFindingAndAligningReadsTheSheetOfTheTemplatesName)
{
    const std::vector<std::string> two{folder / "东区.xlsx", folder / "西区.xlsx"};
    const auto byPosition = merge(false, SaveChoice::ByPosition, two);
    ASSERT_TRUE(byPosition);
    // By position 西区's active sheet is read: its 营业收入 500 lands in 货币资金.
    EXPECT_EQ(byPosition->active().numberAt(2, 2), 600);
    // One finding, which says why; its 资产负债表 (what aligning reads) has the template's labels.
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, Kind::ActiveSheetDiffers);
    EXPECT_EQ(rm::describeFinding(asked[0]),
              "活动工作表是“利润表”，模板是“资产负债表”；可按工作表名称读取：" + (folder / "西区.xlsx"));
    EXPECT_EQ(rm::safestSaveChoice(asked), SaveChoice::AlignByLabels);
    EXPECT_EQ(opened(folder / "西区.xlsx"), 1);

    const auto aligned = merge(false, SaveChoice::AlignByLabels, two);
    ASSERT_TRUE(aligned);
    EXPECT_EQ(aligned->active().numberAt(2, 2), 300);
    EXPECT_EQ(aligned->active().numberAt(3, 2), 30);
    EXPECT_EQ(aligned->activeSheet, 0);
    EXPECT_TRUE(settled.back().aligned);
    EXPECT_EQ(rm::describeFinding(settled.back()),
              "活动工作表是“利润表”，模板是“资产负债表”；已按工作表名称读取：" + (folder / "西区.xlsx"));
    ASSERT_EQ(contributions.size(), 2u);
    EXPECT_EQ(contributions[0].bySource, (std::vector<double>{100, 200}));
}

TEST_F(SheetPackageTest, EveryMarkedSheetIsFilledFromTheSourcesSheetOfItsName)
{
    const auto out = merge(true, SaveChoice::ByPosition);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->sheet("资产负债表")->numberAt(2, 2), 100 + 200 + 300 + 400);
    EXPECT_EQ(out->sheet("资产负债表")->numberAt(3, 2), 10 + 20 + 30 + 40);
    EXPECT_EQ(out->sheet("利润表")->numberAt(2, 2), 1000 + 500 + 800 + 900);
    EXPECT_EQ(out->sheet("利润表")->numberAt(3, 2), 600 + 300 + 400 + 500);
    EXPECT_EQ(out->sheet("现金流量表")->numberAt(2, 2), 50 + 60 + 70);
    EXPECT_EQ(out->sheet("现金流量表")->numberAt(3, 2), -20 - 30 - 40);
    // The unmarked sheet and the chart are left as they were; the template's sheet stays active.
    EXPECT_EQ(out->sheet("说明")->displayedText(1, 1), "本表无需填写");
    EXPECT_TRUE(out->sheet("说明")->hasFormula(2, 1));
    EXPECT_TRUE(out->sheet("图")->isChart());
    EXPECT_EQ(out->activeSheet, 0);
    for (const auto& branch : branches())
        EXPECT_EQ(opened(branch), 1) << branch;

    // 南区 lacks 现金流量表: the one finding, which names the sheet.
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, Kind::MissingSheet);
    EXPECT_EQ(rm::describeFinding(asked[0]), "缺少工作表“现金流量表”：" + (folder / "南区.xlsx"));
    EXPECT_EQ(rm::safestSaveChoice(asked), SaveChoice::DontSave);

    // Every sheet's cells in the report, in workbook order, the missing sheet adding nothing.
    ASSERT_EQ(contributions.size(), 6u);
    EXPECT_EQ(contributions[0].sheet, "资产负债表");
    EXPECT_EQ(contributions[2].sheet, "利润表");
    EXPECT_EQ(contributions[5].sheet, "现金流量表");
    ASSERT_EQ(contributions[5].bySource.size(), 4u);
    EXPECT_TRUE(std::isnan(contributions[5].bySource[3]));
    // The stage text names the sheet, and the bar ends full over every sheet.
    const auto said = [&](const std::string& words) {
        return std::find(stages.said.begin(), stages.said.end(), words) != stages.said.end();
    };
    EXPECT_TRUE(said("读取合并文件 2/4（利润表）"));
    EXPECT_TRUE(said("读取合并文件 4/4（现金流量表）"));
    EXPECT_TRUE(said("求和（利润表）"));
    EXPECT_EQ(progress.maximum, 3 * 3 * 2);
    EXPECT_EQ(progress.current, progress.maximum);

    EXPECT_FALSE(merge(true, SaveChoice::DontSave));
}

TEST_F(SheetPackageTest, EachSheetsChecksNameTheirSheet)
{
    // 西区's 利润表 has a label of its own, and 北区's 现金流量表 is 东区's again.
    WorkbookContent west(filled(balance(), 200, 20));
    west.addSheet(filled(statement("利润表", "主营业务收入", "营业成本"), 500, 300)).addSheet(filled(cashFlow(), 60, -30));
    binding.createWorkbookFile(folder / "西区.xlsx", west);
    WorkbookContent north(filled(cashFlow(), 50, -20));
    north.addSheet(filled(income(), 800, 400)).addSheet(filled(balance(), 300, 30));
    binding.createWorkbookFile(folder / "北区.xlsx", north);
    ASSERT_TRUE(merge(true, SaveChoice::ByPosition, {folder / "东区.xlsx", folder / "西区.xlsx", folder / "北区.xlsx"}));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].kind, Kind::LayoutDiffers);
    EXPECT_EQ(asked[0].sheet, "利润表");
    EXPECT_EQ(rm::describeFinding(asked[0]).rfind("工作表“利润表”：版式与模板不同：", 0), 0u);
    EXPECT_EQ(asked[1].kind, Kind::SameContent);
    EXPECT_EQ(asked[1].sheet, "现金流量表");
    EXPECT_EQ(asked[1].sourceIndex, 2);
    EXPECT_EQ(asked[1].otherIndex, 0);
}

TEST_F(SheetPackageTest, ATemplateWithoutAnyMarkedSheetIsAFinding)
{
    WorkbookContent plain(notes());
    binding.createWorkbookFile(folder / "模板.xlsx", plain);
    EXPECT_FALSE(merge(true, SaveChoice::DontSave));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, Kind::NoMarkedCells);
}
