// Outputs that cannot or must not be written: a read-only folder, a folder,
// a read-only file, a source under any spelling, a full file system; and the
// template, which the user may choose to replace.

#include "support/CliRun.h"
#include "support/MergeCase.h"
#include "support/OfficeProcesses.h"
#include "support/SharedOffice.h"

#include "TempFolder.h"
#include "XlsFiles.h"

#include "engine/ErrorNumbers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <unistd.h>

namespace rm::faults {
namespace {

namespace Number = rm::ErrorNumber;
namespace fs = std::filesystem;

// Runs reportmerge-cli in a mount namespace of its own (an unprivileged user
// namespace) after `mountCommand` has prepared its output folder there.
// Empty when such namespaces are not available here.
std::optional<CliResult> cliInOwnMounts(const std::string& mountCommand, const std::vector<std::string>& arguments)
{
    if (runCommand("unshare -rm true").exitCode != 0)
        return std::nullopt;
    std::vector<std::string> command = {"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
                                        mountCommand + " && exec \"$0\" \"$@\"", RM_CLI};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCli(command);
}

std::string errorLine(int number)
{
    return "错误:" + std::to_string(number) + "\n";
}

class Output : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeTemplate(folder / "template.xls");
        makeSource(folder / "s1.xls", 1.5, 2);
        makeSource(folder / "s2.xls", 10, 20);
        before = snapshot(inputs());
    }
    void TearDown() override { EXPECT_EQ(changedSince(before), std::vector<std::string>{}) << "an input was changed"; }

    std::vector<std::string> inputs() const { return {folder / "template.xls", folder / "s1.xls", folder / "s2.xls"}; }
    std::vector<std::string> arguments(const std::string& output) const
    {
        return {folder / "template.xls", output, folder / "s1.xls", folder / "s2.xls"};
    }
    void expectFailure(const CliResult& result, int number)
    {
        EXPECT_FALSE(result.timedOut);
        EXPECT_LT(result.seconds, kCaseSeconds);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(result.err.substr(0, errorLine(number).size()), errorLine(number)) << result.err;
        EXPECT_TRUE(noProcessMarked(officeMarkOf(result.pid)));
    }

    TempFolder folder;
    Snapshot before;
};

TEST_F(Output, aReadOnlyFolderFailsBeforeTheOfficeStarts)
{
    // Permission bits do not bind root, so the folder is made read-only by a
    // read-only bind mount instead.
    const std::string locked = folder / "locked";
    fs::create_directory(locked);
    const auto result = cliInOwnMounts("mount --bind '" + locked + "' '" + locked + "' && mount -o remount,bind,ro '" +
                                           locked + "' '" + locked + "'",
                                       arguments(locked + "/out.xls"));
    if (!result)
        GTEST_SKIP() << "no user namespaces here to make a read-only folder";
    expectFailure(*result, Number::WorkingCopyFailed);
    EXPECT_NE(result->err.find(locked), std::string::npos) << result->err;
    EXPECT_TRUE(fs::is_empty(locked));
}

TEST_F(Output, anExistingFolderIsNotReplaced)
{
    fs::create_directories(folder / "out.xls/inside");
    const CliResult result = runCli({RM_CLI, folder / "template.xls", folder / "out.xls", folder / "s1.xls"});
    expectFailure(result, Number::SaveFailed);
    EXPECT_TRUE(fs::is_directory(folder / "out.xls/inside"));
}

TEST_F(Output, anExistingReadOnlyFileIsNotReplaced)
{
    makeSource(folder / "old.xls", 7, 7);
    fs::permissions(folder / "old.xls", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const Snapshot old = snapshot({folder / "old.xls"});
    const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls"}, folder / "old.xls");
    EXPECT_EQ(outcome.number, Number::SaveFailed) << outcome.description;
    EXPECT_NE(outcome.description.find("old.xls"), std::string::npos) << outcome.description;
    EXPECT_TRUE(changedSince(old).empty()) << "the read-only file was replaced";
}

TEST_F(Output, aSourceUnderAnySpellingIsRefused)
{
    fs::create_directory(folder / "sub");
    fs::create_symlink(folder / "s2.xls", folder / "link.xls");
    fs::create_hard_link(folder / "s2.xls", folder / "hard.xls");
    for (const std::string& output : {folder.path() + "/./s2.xls", folder.path() + "/sub/../s2.xls",
                                      folder / "link.xls", folder / "hard.xls"}) {
        SCOPED_TRACE(output);
        const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls", folder / "s2.xls"},
                                          output);
        EXPECT_EQ(outcome.number, Number::OutputIsInput) << outcome.description;
    }
    const std::vector<std::string> left = folder.entries();
    EXPECT_EQ(left, (std::vector<std::string>{"hard.xls", "link.xls", "s1.xls", "s2.xls", "sub", "template.xls"}));
}

TEST_F(Output, theTemplateIsReplacedByTheMergedResult)
{
    const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls", folder / "s2.xls"},
                                      folder / "template.xls");
    ASSERT_EQ(outcome.number, 0) << outcome.description;
    EXPECT_EQ(numberIn(folder / "template.xls", "Report!B2"), 11.5);
    EXPECT_EQ(numberIn(folder / "template.xls", "Report!B4"), 33.5);
    makeTemplate(folder / "template.xls");   // the sources stay checked by TearDown
    before = snapshot(inputs());
}

TEST_F(Output, aFullFileSystemIsASaveFailure)
{
    // A small file system of our own in the output folder: room for the
    // working copy, none for the merged workbook.
    const std::string small = folder / "small";
    fs::create_directory(small);
    const auto templateKb = (fs::file_size(folder / "template.xls") + 4095) / 4096 * 4;
    const std::string size = std::to_string(templateKb + 4) + "k";
    const auto result = cliInOwnMounts("mount -t tmpfs -o size=" + size + " rm-faults '" + small + "'",
                                       arguments(small + "/out.xls"));
    if (!result)
        GTEST_SKIP() << "no user namespaces here to make a small file system";
    expectFailure(*result, Number::SaveFailed);
}

} // namespace
} // namespace rm::faults
