// Merge runs end to end against a real, private office, and reportmerge-cli.

#include "RecordingProgress.h"
#include "ReportGrids.h"
#include "TempFolder.h"
#include "support/SharedOffice.h"
#include "XlsFiles.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/MergeRun.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <gtest/gtest.h>

#include <regex>
#include <unistd.h>

namespace Number = rm::ErrorNumber;

namespace {

// Template: the report is the second sheet and active; B2..B4 marked, B5 totals them.
const char* kTemplate = R"json({"active": 1, "sheets": [
  {"name": "Notes", "cells": {"A1": "not this sheet?"}},
  {"name": "Report", "cells": {
    "A1": "Item", "B1": "Amount",
    "A2": "apples", "B2": "?",
    "A3": "pears", "B3": "?",
    "A4": "plums", "B4": "？",
    "A5": "Total", "B5": {"formula": "SUM(B2:B4)", "format": "0.00"},
    "C2": "kept"}}]})json";

// A filled copy of the template's layout.
std::string sourceJson(const std::string& b2, const std::string& b3, const std::string& b4)
{
    return R"({"sheets": [{"name": "Data", "cells": {"A1": "Item", "B1": "Amount", "A2": "apples", "A3": "pears",
      "A4": "plums", "A5": "Total", "C2": "kept", "B2": )" +
           b2 + R"(, "B3": )" + b3 + R"(, "B4": )" + b4 + "}}]}";
}

// The layout with a row inserted above "apples": every amount sits one row lower.
const char* kInsertedRow = R"json({"sheets": [{"name": "Data", "cells": {
    "A1": "Item", "B1": "Amount", "A2": "fruit:",
    "A3": "apples", "B3": 100, "C3": "kept",
    "A4": "pears", "B4": 200,
    "A5": "plums", "B5": 300,
    "A6": "Total", "B6": {"formula": "SUM(B3:B5)"}}}]})json";

// A report grid as make_xls.py's JSON: one sheet "月报".
std::string gridJson(const reportgrids::Grid& grid)
{
    std::string cells;
    for (std::size_t r = 0; r < grid.size(); ++r)
        for (std::size_t c = 0; c < grid[r].size(); ++c) {
            const std::string& text = grid[r][c];
            double value = 0;
            if (text.empty())
                continue;
            cells += (cells.empty() ? "\"" : ", \"") + rm::cellAddress(int(r) + 1, int(c) + 1) + "\": " +
                     (reportgrids::isNumber(text, value) ? text : "\"" + text + "\"");
        }
    return R"({"sheets": [{"name": "月报", "cells": {)" + cells + "}}]}";
}

// Finds hidden working copies while the summation runs.
class WatchingProgress : public RecordingProgress {
public:
    WatchingProgress(const TempFolder& folder, std::string pattern) : m_folder(folder), m_pattern(std::move(pattern)) {}
    void setMaximum(float value) override
    {
        RecordingProgress::setMaximum(value);
        for (const auto& name : m_folder.entries())
            if (std::regex_match(name, std::regex(m_pattern)))
                copiesSeen.push_back(name);
    }
    std::vector<std::string> copiesSeen;

private:
    const TempFolder& m_folder;
    std::string m_pattern;
};

class OfficeMergeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeXls(folder / "template.xls", kTemplate);
        makeXls(folder / "s1.xls", sourceJson("1.5", "10", R"({"number": 1.236, "format": "0.00"})"));
        makeXls(folder / "s2.xls", sourceJson("2", R"("n/a")", "-1"));
        makeXls(folder / "s3.xls", sourceJson(R"({"formula": "1/0"})", "7", R"("")"));
        before = inputs();
    }

    std::vector<std::string> sources() const { return {folder / "s1.xls", folder / "s2.xls", folder / "s3.xls"}; }
    std::vector<std::string> inputs() const
    {
        return {readBytes(folder / "template.xls"), readBytes(folder / "s1.xls"), readBytes(folder / "s2.xls"),
                readBytes(folder / "s3.xls")};
    }
    std::vector<std::string> hiddenCopies(const std::string& pattern) const
    {
        std::vector<std::string> found;
        for (const auto& name : folder.entries())
            if (std::regex_match(name, std::regex(pattern)))
                found.push_back(name);
        return found;
    }
    int failingRun(const std::vector<std::string>& sourceList, const std::string& output)
    {
        try {
            rm::runMerge(rm::test::sharedOffice(), folder / "template.xls", sourceList, output, progress);
        } catch (const rm::Error& error) {
            return error.number();
        }
        return 0;
    }

    TempFolder folder;
    RecordingProgress progress;
    std::vector<std::string> before;
};

} // namespace

TEST_F(OfficeMergeTest, MergesSavesAndRemovesTheWorkingCopy)
{
    WatchingProgress watching(folder, R"(\.total[1-9][0-9]{3}\.xls)");
    const auto app = rm::runMerge(rm::test::sharedOffice(), folder / "template.xls", sources(), folder / "total.xls", watching);
    ASSERT_TRUE(app);
    EXPECT_FALSE(app->visible());
    EXPECT_EQ(watching.copiesSeen.size(), 1u) << "the hidden working copy exists during the run";
    EXPECT_TRUE(hiddenCopies(R"(\.total[0-9]{4}\.xls)").empty());
    EXPECT_EQ(watching.maximum, 15.0f); // used area A1:C5
    EXPECT_EQ(watching.current, 15.0f);

    const XlsContent out = readXls(folder / "total.xls");
    EXPECT_EQ(out.activeSheet, 1);
    EXPECT_EQ(out.cell("Report!B2"), "n:3.5");                     // 1.5 + 2 + an error
    EXPECT_EQ(out.cell("Report!B3"), "n:17.0");                    // 10 + words + 7
    EXPECT_EQ(out.cell("Report!B4"), "n:0.24");                    // shown 1.24 + -1 + empty
    EXPECT_EQ(out.cell("Report!B5"), "n:20.74");                    // the template's total recomputed
    EXPECT_EQ(out.cell("Report!C2"), "t:kept");
    EXPECT_EQ(out.cell("Notes!A1"), "t:not this sheet?");
    EXPECT_FALSE(out.zerosShown.at("Report"));
    EXPECT_EQ(inputs(), before);
}

TEST_F(OfficeMergeTest, ZeroSumsAreWrittenAndHidden)
{
    makeXls(folder / "blank.xls", R"({"sheets": [{"name": "Data", "cells": {"Z9": "far away"}}]})");
    rm::runMerge(rm::test::sharedOffice(), folder / "template.xls", {folder / "blank.xls"}, folder / "zero.xls", progress);
    const XlsContent out = readXls(folder / "zero.xls");
    EXPECT_EQ(out.cell("Report!B2"), "n:0.0");
    EXPECT_EQ(out.cell("Report!B4"), "n:0.0");
    EXPECT_FALSE(out.zerosShown.at("Report"));
}

TEST_F(OfficeMergeTest, OutputWithoutExtensionKeepsTheTemplatesFormat)
{
    rm::runMerge(rm::test::sharedOffice(), folder / "template.xls", sources(), folder / "report", progress);
    EXPECT_EQ(readXls(folder / "report").cell("Report!B2"), "n:3.5");
    EXPECT_TRUE(hiddenCopies(R"(\.report[0-9]{4})").empty());
}

TEST_F(OfficeMergeTest, ExistingOutputIsReplacedWithoutAPrompt)
{
    makeXls(folder / "old.xls", R"({"sheets": [{"name": "Old", "cells": {"A1": "old"}}]})");
    rm::runMerge(rm::test::sharedOffice(), folder / "template.xls", sources(), folder / "old.xls", progress);
    const XlsContent out = readXls(folder / "old.xls");
    EXPECT_EQ(out.cell("Report!B2"), "n:3.5");
    EXPECT_EQ(out.cell("Old!A1"), "");
}

TEST_F(OfficeMergeTest, FailuresLeaveTheHiddenCopyAndNeverTouchInputs)
{
    EXPECT_EQ(failingRun({folder / "s1.xls", folder / "missing.xls"}, folder / "a.xls"), Number::DocumentNotFound);
    EXPECT_EQ(hiddenCopies(R"(\.a[0-9]{4}\.xls)").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(folder / "a.xls"));

    writeBytes(folder / "notes.xls", "plain text, not a workbook\n");
    EXPECT_EQ(failingRun({folder / "notes.xls"}, folder / "b.xls"), Number::NotAWorkbook);
    EXPECT_EQ(hiddenCopies(R"(\.b[0-9]{4}\.xls)").size(), 1u);

    // A folder where the output should go: the copy is made, the save fails.
    std::filesystem::create_directory(folder / "c.xls");
    const int saveError = failingRun(sources(), folder / "c.xls");
    EXPECT_TRUE(saveError == Number::SaveFailed) << saveError;
    EXPECT_EQ(hiddenCopies(R"(\.c[0-9]{4}\.xls)").size(), 1u);

    EXPECT_EQ(failingRun(sources(), folder / "no-such-folder/d.xls"), Number::WorkingCopyFailed);
    if (geteuid() != 0) { // permissions do not bind root
        std::filesystem::create_directory(folder / "locked");
        std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_EQ(failingRun(sources(), folder / "locked/e.xls"), Number::WorkingCopyFailed);
        std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_all);
        EXPECT_TRUE(std::filesystem::is_empty(folder / "locked"));
    }
    EXPECT_EQ(failingRun(sources(), folder / "s2.xls"), Number::OutputIsInput);
    EXPECT_EQ(inputs(), before);
}

TEST_F(OfficeMergeTest, CommandLineMerges)
{
    const std::string cli = shellQuote(RM_CLI);
    CommandResult result = runCommand("cd " + shellQuote(folder.path()) + " && " + cli +
                                      " template.xls merged.xls s1.xls s2.xls s3.xls");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "报表合并完成。\n");
    EXPECT_EQ(result.err, "") << "no progress bar when stderr is no terminal";
    EXPECT_EQ(readXls(folder / "merged.xls").cell("Report!B2"), "n:3.5");
    EXPECT_TRUE(hiddenCopies(R"(\.merged[0-9]{4}\.xls)").empty());

    result = runCommand(cli + " " + shellQuote(folder / "template.xls") + " " + shellQuote(folder / "m2.xls") + " " +
                        shellQuote(folder / "s1.xls") + " " + shellQuote(folder / "gone.xls"));
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, "请检查" + (folder / "gone.xls") + "是否存在。\n");

    writeBytes(folder / "bad.xls", "not a workbook");
    result = runCommand(cli + " " + shellQuote(folder / "bad.xls") + " " + shellQuote(folder / "m3.xls") + " " +
                        shellQuote(folder / "s1.xls"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.substr(0, 12), "错误:" + std::to_string(Number::NotAWorkbook) + "\n") << result.err;
    EXPECT_EQ(hiddenCopies(R"(\.m3[0-9]{4}\.xls)").size(), 1u);

    result = runCommand(cli + " " + shellQuote(folder / "none.xls") + " m.xls s1.xls");
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, "模板文件未找到，请重新选择模板文件。\n");

    result = runCommand(cli + " --help");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Usage"), std::string::npos);
    EXPECT_EQ(inputs(), before);
}

TEST_F(OfficeMergeTest, ASourceWithAnInsertedRowIsFoundBeforeSaving)
{
    makeXls(folder / "moved.xls", kInsertedRow);
    const std::vector<std::string> list{folder / "s1.xls", folder / "moved.xls", folder / "s2.xls"};
    std::vector<rm::LayoutFindings> asked;
    rm::MergeChecks checks;
    checks.chooseSave = [&](const rm::LayoutFindings& findings) {
        asked.push_back(findings);
        return rm::SaveChoice::DontSave;
    };
    EXPECT_EQ(rm::runMerge(rm::test::sharedOffice(), folder / "template.xls", list, folder / "declined.xls", progress, checks),
              nullptr);
    ASSERT_EQ(asked.size(), 1u);
    ASSERT_EQ(asked[0].size(), 1u);
    EXPECT_EQ(rm::describeFinding(asked[0][0]),
              "版式与模板不同：" + (folder / "moved.xls") + "（第 2 行起下移 1 行（多出“fruit:”）；可按标签对齐）");
    EXPECT_FALSE(std::filesystem::exists(folder / "declined.xls"));
    EXPECT_TRUE(hiddenCopies(R"(\.declined[0-9]{4}\.xls)").empty());
    EXPECT_TRUE(hiddenCopies(R"(\.~lock\..*)").empty());

    // The same office merges again; saved when the answer is yes.
    checks.chooseSave = [&](const rm::LayoutFindings&) { return rm::SaveChoice::ByPosition; };
    ASSERT_TRUE(rm::runMerge(rm::test::sharedOffice(), folder / "template.xls", list, folder / "kept.xls", progress, checks));
    EXPECT_EQ(readXls(folder / "kept.xls").cell("Report!B2"), "n:3.5");   // 1.5 + nothing + 2
    EXPECT_EQ(readXls(folder / "kept.xls").cell("Report!B3"), "n:110.0"); // 10 + 100 + words

    const std::string cli = shellQuote(RM_CLI);
    CommandResult result = runCommand(cli + " --strict " + shellQuote(folder / "template.xls") + " " +
                                      shellQuote(folder / "strict.xls") + " " + shellQuote(folder / "s1.xls") + " " +
                                      shellQuote(folder / "moved.xls"));
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, rm::describeFinding(asked[0][0]) + "\n因发现以上问题，合并结果没有保存。\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "strict.xls"));
    EXPECT_EQ(inputs(), before);
}

// A Chinese monthly report from three branches; the west inserted a row
// "其中：新增项目" under 其他业务收入. Answered each way, cell by cell.
TEST_F(OfficeMergeTest, AShiftedBranchReportIsSavedAlignedByPositionOrNotAtAll)
{
    using namespace reportgrids;
    makeXls(folder / "月报模板.xls", gridJson(monthlyTemplate()));
    makeXls(folder / "东区.xls", gridJson(monthlyBranch("东区分公司", 1)));
    makeXls(folder / "西区.xls",
            gridJson(withRowInserted(monthlyBranch("西区分公司", 2), 8, {"    其中：新增项目", "", "50", "500"})));
    makeXls(folder / "南区.xls", gridJson(monthlyBranch("南区分公司", 3)));
    const std::vector<std::string> list{folder / "东区.xls", folder / "西区.xls", folder / "南区.xls"};
    const std::string finding = "版式与模板不同：" + (folder / "西区.xls") + "（第 8 行起下移 1 行（多出“其中：新增项目”）；";

    std::vector<rm::LayoutFinding> settled;
    const auto merge = [&](rm::SaveChoice answer, const std::string& output) {
        rm::MergeChecks checks;
        checks.chooseSave = [&](const rm::LayoutFindings& findings) {
            EXPECT_EQ(findings.size(), 1u);
            return answer;
        };
        checks.findingsSettled = [&](const rm::LayoutFindings& findings) { settled = findings; };
        return rm::runMerge(rm::test::sharedOffice(), folder / "月报模板.xls", list, folder / output, progress, checks) !=
               nullptr;
    };
    const auto amounts = [&](const std::string& output) {
        const XlsContent out = readXls(folder / output);
        std::vector<std::string> cells;
        for (const int row : {4, 6, 7, 8, 9})
            for (const char* column : {"C", "D"})
                cells.push_back(out.cell("月报!" + std::string(column) + std::to_string(row)));
        return cells;
    };

    EXPECT_FALSE(merge(rm::SaveChoice::DontSave, "不保存.xls"));
    EXPECT_FALSE(std::filesystem::exists(folder / "不保存.xls"));
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(rm::describeFinding(settled[0]), finding + "可按标签对齐）");

    // By position the west's new item lands in 营业成本 and its 营业成本 in 利润总额.
    ASSERT_TRUE(merge(rm::SaveChoice::ByPosition, "按位置.xls"));
    EXPECT_EQ(amounts("按位置.xls"),
              (std::vector<std::string>{"n:6000.0", "n:72000.0", "n:4800.0", "n:54000.0", "n:1200.0", "n:18000.0",
                                        "n:2450.0", "n:28500.0", "n:2800.0", "n:34000.0"}));

    // Aligned, every amount is the branches' own: six times the base amount.
    ASSERT_TRUE(merge(rm::SaveChoice::AlignByLabels, "按标签.xls"));
    EXPECT_EQ(rm::describeFinding(settled.at(0)), finding + "已按标签对齐）");
    const XlsContent aligned = readXls(folder / "按标签.xls");
    EXPECT_EQ(amounts("按标签.xls"),
              (std::vector<std::string>{"n:6000.0", "n:72000.0", "n:4800.0", "n:54000.0", "n:1200.0", "n:18000.0",
                                        "n:3600.0", "n:42000.0", "n:2400.0", "n:30000.0"}));
    EXPECT_EQ(aligned.cell("月报!A2"), "t:编制单位：");   // the template's own texts stay
    EXPECT_EQ(aligned.cell("月报!B8"), "n:4.0");

    // The command line: aligned, nothing remains for --strict to refuse.
    const CommandResult result =
        runCommand(shellQuote(RM_CLI) + " --align labels --strict " + shellQuote(folder / "月报模板.xls") + " " +
                   shellQuote(folder / "命令行.xls") + " " + shellQuote(list[0]) + " " + shellQuote(list[1]) + " " +
                   shellQuote(list[2]));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, finding + "已按标签对齐）\n");
    EXPECT_EQ(amounts("命令行.xls"), amounts("按标签.xls"));
}

// The workbooks shipped in examples/: Chinese sheet names and texts, and the
// window's default (Chinese) output name.
TEST(Examples, CommandLineMergesTheShippedExamples)
{
    TempFolder folder;
    const std::string examples = RM_EXAMPLES_DIR;
    const std::string output = folder / "合并后报表-20260201-090503.xls";
    const CommandResult result = runCommand(shellQuote(RM_CLI) + " " + shellQuote(examples + "/template.xls") + " " +
                                            shellQuote(output) + " " + shellQuote(examples + "/branch-north.xls") + " " +
                                            shellQuote(examples + "/branch-south.xls") + " " +
                                            shellQuote(examples + "/branch-west.xls"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const XlsContent out = readXls(output);
    EXPECT_EQ(out.cell("月报!B3"), "n:252800.5");  // 120,500.50 + 87,300.00 + 45,000.00
    EXPECT_EQ(out.cell("月报!C3"), "n:189250.75"); // the west's "未上报" adds nothing
    EXPECT_EQ(out.cell("月报!D5"), "n:146750.5");  // profit over both months, recomputed
    EXPECT_EQ(out.cell("月报!B6"), "n:26.0");
    EXPECT_EQ(out.cell("月报!D6"), "n:28.0");
    EXPECT_EQ(out.cell("说明!A1"), "t:在“月报”中显示问号的单元格由合并填写。");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"合并后报表-20260201-090503.xls"});
}
