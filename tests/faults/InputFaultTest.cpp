// Sources that vanish, cannot be read, are held by another office, are
// listed twice, or live under awkward paths.

#include "support/CliRun.h"
#include "support/HookedBinding.h"
#include "support/MergeCase.h"
#include "support/OfficeProcesses.h"
#include "support/SharedOffice.h"
#include "support/WorkbookMaker.h"
#include "support/ZipWriter.h"

#include "TempFolder.h"
#include "engine/libreoffice/BindingTestAccess.h"
#include "XlsFiles.h"

#include "app/cli/CommandLineMerge.h"
#include "engine/ErrorNumbers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace rm::faults {
using namespace rm::test;
namespace {

namespace Number = rm::ErrorNumber;
namespace fs = std::filesystem;

class Inputs : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeTemplate(folder / "template.xls");
        makeSource(folder / "s1.xls", 1.5, 2);
        makeSource(folder / "s2.xls", 10, 20);
    }

    void expectUnchanged(const Snapshot& before)
    {
        EXPECT_EQ(changedSince(before), std::vector<std::string>{}) << "an input was changed";
    }

    TempFolder folder;
};

TEST_F(Inputs, aSourceRemovedOrReplacedByAFolderAfterTheCheck)
{
    // The command line checks every source, then the merge opens them: the
    // file goes away in between.
    for (const bool byFolder : {false, true}) {
        SCOPED_TRACE(byFolder ? "folder" : "removed");
        const std::string victim = folder / "s2.xls";
        makeSource(victim, 10, 20);
        const Snapshot before = snapshot({folder / "template.xls", folder / "s1.xls"});
        Hooks hooks;
        hooks.beforeSourceOpen = [&](const std::string& path) {
            if (path != victim)
                return;
            fs::remove(victim);
            if (byFolder)
                fs::create_directory(victim);
        };
        HookedBinding hooked(sharedOffice(), hooks);
        std::ostringstream out, err;
        const int code = cli::runCommandLine({folder / "template.xls", folder / "out.xls", folder / "s1.xls", victim},
                                             hooked, {}, {out, err, false});
        EXPECT_EQ(code, cli::ExitMergeFailed);
        const std::string expected = "错误:" + std::to_string(byFolder ? Number::NotAWorkbook : Number::DocumentNotFound) + "\n";
        EXPECT_EQ(err.str().substr(0, expected.size()), expected) << err.str();
        EXPECT_NE(err.str().find(victim), std::string::npos) << err.str();
        EXPECT_FALSE(fs::exists(folder / "out.xls"));
        expectUnchanged(before);
        fs::remove_all(victim);
    }
}

TEST_F(Inputs, unreadableSourcesEndTheMergeWithTheirOwnError)
{
    {
        lo::test::WorkbookMaker maker(*lo::BindingTestAccess::session(sharedOffice()));
        maker.number(0, 2, 2, 5);
        maker.save(folder / "secret.xls", "geheim");
    }
    const std::string whole = snapshot({folder / "s2.xls"}).begin()->second;
    writeBytes(folder / "truncated.xls", whole.substr(0, whole.size() / 2));
    writeBytes(folder / "text.xls", "B2 is 5\nnot a workbook at all\n");
    lo::test::writeChartSheetWorkbook(folder / "chart.xlsx", 1);

    const std::vector<std::pair<std::string, int>> cases = {
        {"secret.xls", Number::DocumentLoadFailed},
        {"truncated.xls", Number::NotAWorkbook},   // damaged beyond type detection
        {"text.xls", Number::NotAWorkbook},
        {"chart.xlsx", Number::NotAWorksheet},
    };
    for (const auto& [name, number] : cases) {
        SCOPED_TRACE(name);
        const Snapshot before = snapshot({folder / "template.xls", folder / "s1.xls", folder / name});
        const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls", folder / name},
                                          folder / "out.xls");
        EXPECT_EQ(outcome.number, number) << outcome.description;
        EXPECT_NE(outcome.description.find(name), std::string::npos) << outcome.description;
        EXPECT_LT(outcome.seconds, kCaseSeconds);
        EXPECT_FALSE(fs::exists(folder / "out.xls"));
        expectUnchanged(before);
    }
}

// An .xls encrypted with the default password opens without one, but its
// sheet records cannot be read from the file: its second sheet, active when
// saved, is the one summed, not the first.
TEST_F(Inputs, anEncryptedSourceIsReadOnTheSheetItShows)
{
    {
        lo::test::WorkbookMaker maker(*lo::BindingTestAccess::session(sharedOffice()), {"Cover", "Report"});
        maker.number(0, 2, 2, 1000).number(0, 3, 2, 1000).number(1, 2, 2, 5).number(1, 3, 2, 7).activeSheet(1);
        maker.save(folder / "encrypted.xls", "VelvetSweatshop");
    }
    const Snapshot before = snapshot({folder / "template.xls", folder / "s1.xls", folder / "encrypted.xls"});
    const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls",
                                      {folder / "s1.xls", folder / "encrypted.xls"}, folder / "out.xls");
    ASSERT_EQ(outcome.number, 0) << outcome.description;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 6.5);
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), 9);
    expectUnchanged(before);
}

// Two cells of one array formula showing "#NAME?" are both marked: writing
// into the first would split the array. The merge stops with its own error
// naming the cell, writes nothing into the array and saves nothing; a
// one-cell array is replaced whole, as any formula is.
TEST_F(Inputs, aMarkInsideAnArrayFormulaOfSeveralCellsStopsTheMerge)
{
    // .xls keeps no unknown function: there the array shows "??".
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"array.ods", "#NAME?"}, {"array.xlsx", "#NAME?"}, {"array.xls", "??"}};
    for (const auto& [name, shown] : cases) {
        SCOPED_TRACE(name);
        const std::string formula = shown == "??" ? "=REPT(\"?\";2)" : "=NOSUCHFUNCTION(1)";
        {
            lo::test::WorkbookMaker maker(*lo::BindingTestAccess::session(sharedOffice()), {"Report"});
            maker.text(0, 1, 1, "Item").text(0, 2, 1, "north").text(0, 2, 2, "?").text(0, 3, 1, "south");
            maker.arrayFormula(0, "B3", formula);   // one cell, replaced by the sum
            maker.arrayFormula(0, "C4:D4", formula);
            maker.save(folder / name);
        }
        const Snapshot before = snapshot({folder / name, folder / "s1.xls"});
        const std::string output = folder / ("out-" + name);
        const Outcome outcome = mergeWith(sharedOffice(), folder / name, {folder / "s1.xls"}, output);
        EXPECT_EQ(outcome.number, Number::MarkInArrayFormula) << outcome.description;
        EXPECT_NE(outcome.description.find("单元格 C4 显示“" + shown + "”"), std::string::npos) << outcome.description;
        EXPECT_NE(outcome.description.find("C4:D4"), std::string::npos) << outcome.description;
        EXPECT_FALSE(fs::exists(output));
        expectUnchanged(before);
    }
    // Without the array of two cells the same template merges.
    {
        lo::test::WorkbookMaker maker(*lo::BindingTestAccess::session(sharedOffice()), {"Report"});
        maker.text(0, 1, 1, "Item").text(0, 2, 1, "north").text(0, 2, 2, "?").text(0, 3, 1, "south");
        maker.arrayFormula(0, "B3", "=NOSUCHFUNCTION(1)");
        maker.save(folder / "single.ods");
    }
    const Outcome sound = mergeWith(sharedOffice(), folder / "single.ods", {folder / "s1.xls"}, folder / "single.xls");
    ASSERT_EQ(sound.number, 0) << sound.description;
    EXPECT_EQ(numberIn(folder / "single.xls", "Report!B2"), 1.5);
    EXPECT_EQ(numberIn(folder / "single.xls", "Report!B3"), 2.0);
}

TEST_F(Inputs, anHtmlTableNamedXlsMerges)
{
    writeBytes(folder / "table.xls", "<html><body><table><tr><td>Item</td></tr>"
                                     "<tr><td>north</td><td>4</td></tr><tr><td>south</td><td>0.25</td></tr>"
                                     "</table></body></html>");
    const Snapshot before = snapshot({folder / "template.xls", folder / "s1.xls", folder / "table.xls"});
    const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls", folder / "table.xls"},
                                      folder / "out.xls");
    ASSERT_EQ(outcome.number, 0) << outcome.description;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 5.5);
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), 2.25);
    expectUnchanged(before);
}

TEST_F(Inputs, aWorkbookHeldOpenByAnotherOfficeMergesReadOnly)
{
    // Another office with a profile of its own has the source open for
    // editing, and so locked, as the user's own LibreOffice would.
    lo::OfficeOptions theirs;
    theirs.localeName = "en_US";
    theirs.opener = [](const std::string&) {};
    lo::LibreOfficeBinding other(theirs);
    auto held = other.createInstance()->openWorkbook(folder / "s2.xls");
    const std::string lockFile = folder / ".~lock.s2.xls#";
    ASSERT_TRUE(fs::exists(lockFile)) << "the other office did not lock the file";
    const Snapshot before = snapshot({folder / "template.xls", folder / "s1.xls", folder / "s2.xls", lockFile});

    const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls", folder / "s2.xls"},
                                      folder / "out.xls");
    ASSERT_EQ(outcome.number, 0) << outcome.description;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 11.5);
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), 22.0);
    expectUnchanged(before);   // the other office's lock file included
    held->close();
    other.shutdown();
    EXPECT_FALSE(fs::exists(lockFile));
}

TEST_F(Inputs, theSameFileUnderTwoSpellingsCountsTwice)
{
    fs::create_directory(folder / "sub");
    fs::create_symlink(folder / "s1.xls", folder / "link.xls");
    const Snapshot before = snapshot({folder / "template.xls", folder / "s1.xls"});
    const std::vector<std::string> spellings = {folder / "s1.xls", folder.path() + "/./s1.xls",
                                                folder.path() + "/sub/../s1.xls", folder / "link.xls"};
    const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", spellings, folder / "out.xls");
    ASSERT_EQ(outcome.number, 0) << outcome.description;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 6.0);
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), 8.0);
    expectUnchanged(before);
}

TEST_F(Inputs, pathsWithSpacesQuotesChineseAndOver259BytesMergeThroughTheCommandLine)
{
    std::string deep = folder.path() + "/报表 文件夹 'single' \"double\"";
    while (deep.size() < 300)
        deep += "/一个很长的文件夹名称 with spaces";
    fs::create_directories(deep);
    const std::string templatePath = deep + "/模板 'a' \"b\".xls";
    const std::string sourcePath = deep + "/分公司 北部 \"1\".xls";
    const std::string outputPath = deep + "/合并后报表 'out' \"x\".xls";
    ASSERT_GT(outputPath.size(), 259u);
    fs::copy_file(folder / "template.xls", templatePath);
    fs::copy_file(folder / "s2.xls", sourcePath);
    const Snapshot before = snapshot({templatePath, sourcePath});

    const CliResult result = runCli({RM_CLI, templatePath, outputPath, sourcePath, folder / "s1.xls"});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "报表合并完成。\n");
    EXPECT_EQ(numberIn(outputPath, "Report!B2"), 11.5);
    EXPECT_EQ(numberIn(outputPath, "Report!B4"), 33.5);
    expectUnchanged(before);
    EXPECT_TRUE(noProcessMarked(officeMarkOf(result.pid)));
}

} // namespace
} // namespace rm::faults
