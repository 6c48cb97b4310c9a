#include "GridSheets.h"
#include "TempFolder.h"

#include "app/cli/CommandLineMerge.h"
#include "app/ProgramVersion.h"
#include "engine/files/FileSystem.h"
#include "engine/memory/MemoryBinding.h"

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

using rm::mem::MemoryBinding;
using rm::mem::SheetContent;
using rm::mem::WorkbookContent;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        binding.createWorkbookFile(folder / "template.xls", WorkbookContent(SheetContent().text(1, 1, "?")));
        binding.createWorkbookFile(folder / "s1.xls", WorkbookContent(SheetContent().number(1, 1, 2)));
        binding.createWorkbookFile(folder / "s2.xls", WorkbookContent(SheetContent().number(1, 1, 3)));
    }

    int run(std::vector<std::string> arguments, bool bar = false)
    {
        out.str("");
        err.str("");
        return rm::cli::runCommandLine(arguments, binding, [this] { ++finished; }, {out, err, bar});
    }

    TempFolder folder;
    MemoryBinding binding;
    std::ostringstream out, err;
    int finished = 0;
};

} // namespace

TEST_F(CommandLineTest, MergesAndFinishes)
{
    EXPECT_EQ(run({folder / "template.xls", folder / "out.xls", folder / "s1.xls", folder / "s2.xls"}), 0);
    EXPECT_EQ(binding.savedWorkbook(folder / "out.xls")->active().numberAt(1, 1), 5);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(out.str(), "报表合并完成。\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(CommandLineTest, RelativePathsAreTakenFromTheWorkingFolder)
{
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof previous));
    ASSERT_EQ(chdir(folder.path().c_str()), 0);
    const int code = run({"template.xls", "out.xls", "s1.xls", "./s2.xls"});
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(code, 0) << err.str();
    EXPECT_TRUE(binding.savedWorkbook(folder / "out.xls"));
}

TEST_F(CommandLineTest, ChecksSpeakTheWindowsWords)
{
    EXPECT_EQ(run({folder / "none.xls", folder / "out.xls", folder / "s1.xls"}), rm::cli::ExitInputMissing);
    EXPECT_EQ(err.str(), "模板文件未找到，请重新选择模板文件。\n");
    EXPECT_EQ(run({folder.path(), folder / "out.xls", folder / "s1.xls"}), rm::cli::ExitInputMissing);
    EXPECT_EQ(err.str(), "模板文件未找到，请重新选择模板文件。\n");

    EXPECT_EQ(run({folder / "template.xls", folder / "out.xls"}), rm::cli::ExitInputMissing);
    EXPECT_EQ(err.str(), "请添加相应的合并文件。\n");

    EXPECT_EQ(run({folder / "template.xls", folder / "out.xls", folder / "s1.xls", folder / "x.xls", folder / "y.xls"}),
              rm::cli::ExitInputMissing);
    EXPECT_EQ(err.str(), "请检查" + (folder / "x.xls") + "是否存在。\n");
    EXPECT_TRUE(binding.events().empty());
    EXPECT_EQ(finished, 0);
}

TEST_F(CommandLineTest, MergeFailureIsPrintedWithItsNumber)
{
    binding.failOpen(folder / "s2.xls", rm::Error(2012, "文件已加密"));
    EXPECT_EQ(run({folder / "template.xls", folder / "out.xls", folder / "s1.xls", folder / "s2.xls"}),
              rm::cli::ExitMergeFailed);
    EXPECT_EQ(err.str(), "错误:2012\n文件已加密\n");
    EXPECT_EQ(finished, 0);

    EXPECT_EQ(run({folder / "template.xls", folder.path() + "/", folder / "s1.xls"}), rm::cli::ExitMergeFailed);
    EXPECT_EQ(err.str().substr(0, 12), "错误:1001\n");
}

TEST_F(CommandLineTest, UnexpectedFailuresAreReportedNotCrashed)
{
    struct Broken : rm::SpreadsheetBinding {
        std::shared_ptr<rm::SpreadsheetApp> createInstance() override { throw std::bad_alloc(); }
        rm::GlobalEntryPoint& global() override { throw std::logic_error("unused"); }
        rm::NumericLocale numericLocale() override { return {}; }
    } broken;
    const int code = rm::cli::runCommandLine({folder / "template.xls", folder / "o.xls", folder / "s1.xls"}, broken,
                                             nullptr, {out, err, false});
    EXPECT_EQ(code, rm::cli::ExitMergeFailed);
    EXPECT_EQ(err.str().rfind("错误:1099\n", 0), 0u) << err.str();
}

TEST_F(CommandLineTest, SaysWhenTheOutputIsSaved)
{
    // An interruption from then on must not claim that nothing was saved.
    int saved = 0;
    const auto runCounting = [&](std::vector<std::string> arguments) {
        return rm::cli::runCommandLine(arguments, binding, nullptr, {out, err, false, nullptr, [&] { ++saved; }});
    };
    EXPECT_EQ(runCounting({folder / "template.xls", folder / "o.xls", folder / "s1.xls", folder / "s1.xls"}), 0);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(runCounting({"--strict", folder / "template.xls", folder / "o2.xls", folder / "s1.xls", folder / "s1.xls"}),
              rm::cli::ExitFindings);
    EXPECT_EQ(runCounting({folder / "template.xls", folder / "o3.xls", folder / "absent.xls"}), rm::cli::ExitInputMissing);
    EXPECT_EQ(saved, 1);
}

TEST_F(CommandLineTest, HelpAndUsage)
{
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.str().find("reportmerge-cli"), std::string::npos);
    EXPECT_EQ(run({"a.xls"}), rm::cli::ExitUsage);
    EXPECT_NE(err.str().find("Usage"), std::string::npos);
    EXPECT_EQ(run({"a.xls", "--version"}), 0);
    EXPECT_EQ(out.str(), "reportmerge-cli " REPORTMERGE_VERSION "\n");
    EXPECT_EQ(run({"--bogus", "a", "b", "c"}), rm::cli::ExitUsage);
    // After "--", names that look like options are paths.
    writeBytes(folder / "-s.xls", "x");
    EXPECT_EQ(run({"--", folder / "template.xls", folder / "out.xls", "-s.xls"}), rm::cli::ExitInputMissing);
}

TEST_F(CommandLineTest, OptionsAreTakenInOnePass)
{
    using rm::cli::parseCommandLine;
    const auto parsed = parseCommandLine({"t.xls", "--offices", "3", "o.xls", "--strict", "s.xls", "--report=r.csv"});
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->officeCount, 3);
    EXPECT_TRUE(parsed->strict);
    EXPECT_EQ(parsed->templatePath, rm::absolutePath("t.xls"));
    EXPECT_EQ(parsed->outputPath, rm::absolutePath("o.xls"));
    EXPECT_EQ(parsed->sourcePaths, (std::vector<std::string>{rm::absolutePath("s.xls")}));
    EXPECT_EQ(parsed->reportPath, rm::absolutePath("r.csv"));

    const auto plain = parseCommandLine({"t.xls", "o.xls", "s.xls"});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->officeCount, 0);
    EXPECT_FALSE(plain->strict);
    EXPECT_EQ(plain->reportPath, "");
    for (const char* bad : {"0", "5", "x", "12", ""})
        EXPECT_FALSE(parseCommandLine({"--offices", bad, "t.xls", "o.xls", "s.xls"})) << bad;
    EXPECT_FALSE(parseCommandLine({"t.xls", "o.xls", "--offices"}));
    EXPECT_FALSE(parseCommandLine({"t.xls", "o.xls", "--report"}));
    EXPECT_FALSE(parseCommandLine({"t.xls", "o.xls", "--report="}));
    EXPECT_FALSE(parseCommandLine({"t.xls", "o.xls", "-x"}));

    // After "--" everything is a path; "-" alone is one too.
    const auto ended = parseCommandLine({"--", "--offices", "2", "-"});
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->officeCount, 0);
    EXPECT_EQ(ended->templatePath, rm::absolutePath("--offices"));
    EXPECT_EQ(ended->sourcePaths, (std::vector<std::string>{rm::absolutePath("-")}));

    // Help wins over everything else before "--", even unusable arguments.
    for (const std::vector<std::string>& help :
         {std::vector<std::string>{"--bogus", "-h"}, {"a.xls", "--help", "--offices", "9"}}) {
        const auto asked = parseCommandLine(help);
        ASSERT_TRUE(asked);
        EXPECT_TRUE(asked->help);
    }
    const auto notHelp = parseCommandLine({"t.xls", "o.xls", "--", "--help"});
    ASSERT_TRUE(notHelp);
    EXPECT_FALSE(notHelp->help);

    // Parsing twice in one process starts afresh.
    EXPECT_TRUE(parseCommandLine({"--strict", "t.xls", "o.xls"}));
    EXPECT_TRUE(parseCommandLine({"--strict", "t.xls", "o.xls"}));
}

TEST_F(CommandLineTest, ProgressBarOnlyWhenAsked)
{
    run({folder / "template.xls", folder / "out.xls", folder / "s1.xls"}, false);
    EXPECT_EQ(err.str(), "");
    run({folder / "template.xls", folder / "out2.xls", folder / "s1.xls"}, true);
    EXPECT_NE(err.str().find("100%"), std::string::npos);
    EXPECT_EQ(err.str().back(), '\n');
}

TEST_F(CommandLineTest, FindingsAreToldAndStrictRefusesToSave)
{
    // s3 repeats s1: a finding.
    binding.createWorkbookFile(folder / "s3.xls", WorkbookContent(SheetContent().number(1, 1, 2)));
    const std::vector<std::string> inputs{folder / "template.xls", folder / "out.xls", folder / "s1.xls",
                                          folder / "s2.xls", folder / "s3.xls"};
    const std::string finding = "与 " + (folder / "s1.xls") + " 内容相同：" + (folder / "s3.xls") + "\n";

    std::vector<std::string> strict = inputs;
    strict.insert(strict.begin(), "--strict");
    EXPECT_EQ(run(strict), rm::cli::ExitFindings);
    EXPECT_EQ(err.str(), finding + "因发现以上问题，合并结果没有保存。\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(binding.savedWorkbook(folder / "out.xls"));
    EXPECT_TRUE(binding.openDocuments().empty());
    EXPECT_EQ(finished, 0);

    EXPECT_EQ(run(inputs), rm::cli::ExitSuccess);
    EXPECT_EQ(err.str(), finding);
    EXPECT_EQ(binding.savedWorkbook(folder / "out.xls")->active().numberAt(1, 1), 7);
    EXPECT_EQ(finished, 1);
}

TEST_F(CommandLineTest, ReportListsEverySourcesContribution)
{
    binding.createWorkbookFile(folder / "t2.xls",
                               WorkbookContent(SheetContent().text(1, 1, "?").text(1, 2, "x").text(2, 2, "?")));
    binding.createWorkbookFile(folder / "a,\"b\".xls", WorkbookContent(SheetContent().number(1, 1, 0.1).number(2, 2, -3)));
    binding.createWorkbookFile(folder / "amounts.xls", WorkbookContent(SheetContent().number(1, 1, 1500000).number(2, 2, 1e20)));
    const std::string report = folder / "report.csv";
    EXPECT_EQ(run({"--report", report, folder / "t2.xls", folder / "out.xls", folder / "s1.xls", folder / "a,\"b\".xls"}),
              0) << err.str();
    EXPECT_EQ(readBytes(report), "\xEF\xBB\xBF单元格," + (folder / "s1.xls") + ",\"" + folder.path() +
                                     "/a,\"\"b\"\".xls\",合计\r\n"
                                     "A1,2,0.1,2.1\r\n"
                                     "B2,,-3,-3\r\n");

    // The report never replaces an input; a report without a name is a usage error.
    const std::string source = readBytes(folder / "s1.xls");
    EXPECT_EQ(run({"--report=" + (folder / "s1.xls"), folder / "t2.xls", folder / "o2.xls", folder / "s1.xls"}),
              rm::cli::ExitUsage);
    EXPECT_EQ(readBytes(folder / "s1.xls"), source);
    EXPECT_EQ(run({folder / "t2.xls", folder / "o3.xls", folder / "s1.xls", "--report"}), rm::cli::ExitUsage);

    EXPECT_EQ(run({"--report", folder / "missing/r.csv", folder / "t2.xls", folder / "o4.xls", folder / "s1.xls"}),
              rm::cli::ExitMergeFailed);
    EXPECT_NE(err.str().find("\n错误:1006\n无法写入报告文件："), std::string::npos) << err.str();

    // Amounts in full, as a spreadsheet opening the report should show them; exponents only at the extremes.
    EXPECT_EQ(run({"--report", report, folder / "t2.xls", folder / "o5.xls", folder / "amounts.xls", folder / "s1.xls"}),
              0) << err.str();
    EXPECT_EQ(readBytes(report), "\xEF\xBB\xBF单元格," + (folder / "amounts.xls") + "," + (folder / "s1.xls") +
                                     ",合计\r\n"
                                     "A1,1500000,2,1500002\r\n"
                                     "B2,1e+20,,1e+20\r\n");
}

TEST_F(CommandLineTest, AlignByLabelsAndStrictRefusesOnlyWhatRemains)
{
    using namespace reportgrids;
    binding.createWorkbookFile(folder / "月报模板.xls", WorkbookContent(sheetOf(monthlyTemplate())));
    binding.createWorkbookFile(folder / "东区.xls", WorkbookContent(sheetOf(monthlyBranch("东区分公司", 1))));
    binding.createWorkbookFile(
        folder / "西区.xls",
        WorkbookContent(sheetOf(withRowInserted(monthlyBranch("西区分公司", 2), 8, {"其中：新增项目", "", "50", "500"}))));
    const auto with = [&](std::vector<std::string> options, const std::string& output = "合并.xls") {
        for (const std::string& name : {std::string("月报模板.xls"), output, std::string("东区.xls"), std::string("西区.xls")})
            options.push_back(folder / name);
        return options;
    };
    const std::string finding = "版式与模板不同：" + (folder / "西区.xls") + "（第 8 行起下移 1 行（多出“其中：新增项目”）；";

    EXPECT_EQ(run(with({"--strict"})), rm::cli::ExitFindings);
    EXPECT_EQ(err.str(), finding + "可按标签对齐）\n因发现以上问题，合并结果没有保存。\n");
    EXPECT_FALSE(binding.savedWorkbook(folder / "合并.xls"));

    const std::string report = folder / "报告.csv";
    EXPECT_EQ(run(with({"--align", "labels", "--strict", "--report", report})), rm::cli::ExitSuccess);
    EXPECT_EQ(err.str(), finding + "已按标签对齐）\n");
    EXPECT_EQ(binding.savedWorkbook(folder / "合并.xls")->active().numberAt(8, 3), 1800);
    const std::string csv = readBytes(report);
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF单元格," + (folder / "东区.xls") + "," + (folder / "西区.xls") +
                            "（按标签对齐）,读取的单元格,合计\r\nC4,1000,2000,,3000\r\n",
                        0),
              0u)
        << csv;
    EXPECT_NE(csv.find("\r\nC8,600,1200,C9,1800\r\nD8,7000,14000,D9,21000\r\n"), std::string::npos) << csv;

    EXPECT_EQ(run(with({"--align=position"}, "按位置.xls")), rm::cli::ExitSuccess);
    EXPECT_EQ(err.str(), finding + "可按标签对齐）\n");
    EXPECT_EQ(binding.savedWorkbook(folder / "按位置.xls")->active().numberAt(8, 3), 650);

    // What aligning cannot mend still refuses: a source sent twice.
    std::vector<std::string> twice = with({"--align", "labels", "--strict"}, "两次.xls");
    twice.push_back(folder / "东区.xls");
    EXPECT_EQ(run(twice), rm::cli::ExitFindings);
    EXPECT_NE(err.str().find("内容相同"), std::string::npos);

    EXPECT_EQ(run(with({"--align", "sideways"})), rm::cli::ExitUsage);
    EXPECT_EQ(run({folder / "月报模板.xls", folder / "合并.xls", folder / "东区.xls", "--align"}), rm::cli::ExitUsage);
}

TEST_F(CommandLineTest, SheetsAllMergesEveryMarkedSheetAndReportsItsSheet)
{
    WorkbookContent package(SheetContent("资产负债表").text(1, 1, "?"));
    package.addSheet(SheetContent("利润表").text(1, 1, "?"));
    binding.createWorkbookFile(folder / "package.xls", package);
    WorkbookContent east(SheetContent("利润表").number(1, 1, 500));
    east.addSheet(SheetContent("资产负债表").number(1, 1, 100));
    binding.createWorkbookFile(folder / "东区.xls", east);
    binding.createWorkbookFile(folder / "南区.xls", WorkbookContent(SheetContent("资产负债表").number(1, 1, 400)));
    const std::string report = folder / "report.csv";
    const std::vector<std::string> inputs{folder / "package.xls", folder / "out.xls", folder / "东区.xls",
                                          folder / "南区.xls"};
    std::vector<std::string> all{"--sheets", "all", "--report", report};
    all.insert(all.end(), inputs.begin(), inputs.end());
    EXPECT_EQ(run(all), rm::cli::ExitSuccess) << err.str();
    EXPECT_EQ(err.str(), "缺少工作表“利润表”：" + (folder / "南区.xls") + "\n");
    const auto saved = binding.savedWorkbook(folder / "out.xls");
    EXPECT_EQ(saved->sheet("资产负债表")->numberAt(1, 1), 500);
    EXPECT_EQ(saved->sheet("利润表")->numberAt(1, 1), 500);
    EXPECT_EQ(readBytes(report), "\xEF\xBB\xBF工作表,单元格," + (folder / "东区.xls") + "," + (folder / "南区.xls") +
                                     ",合计\r\n"
                                     "资产负债表,A1,100,400,500\r\n"
                                     "利润表,A1,500,,500\r\n");

    all.insert(all.begin(), "--strict");
    all[all.size() - 3] = folder / "strict.xls";
    EXPECT_EQ(run(all), rm::cli::ExitFindings);
    EXPECT_FALSE(binding.savedWorkbook(folder / "strict.xls"));
    EXPECT_EQ(run({"--sheets", "some", folder / "package.xls", folder / "o.xls", folder / "东区.xls"}),
              rm::cli::ExitUsage);
}
