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
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rm::faults {
using namespace rm::test;
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

TEST_F(Output, aFullFileSystemLeavesNoLockAndTheNextMergeToTheNameWorks)
{
    // First a file system too small for the output, then the same one grown
    // (the failed run's hidden working copy still in it).
    const std::string small = folder / "small";
    fs::create_directory(small);
    const auto templateKb = (fs::file_size(folder / "template.xls") + 4095) / 4096 * 4;
    if (runCommand("unshare -rm true").exitCode != 0)
        GTEST_SKIP() << "no user namespaces here to make a small file system";
    const std::string output = small + "/o.xls";
    std::vector<std::string> command = {
        "/usr/bin/unshare", "-rm", "/bin/sh", "-c",
        "mount -t tmpfs -o size=" + std::to_string(templateKb + 4) + "k rm-faults '" + small + "' && "
        "\"$0\" \"$@\" 2>'" + folder.path() + "/first.err'; ls -A '" + small + "' >'" + folder.path() + "/after-first'; "
        "mount -o remount,size=16m '" + small + "' && exec \"$0\" \"$@\"", RM_CLI};
    const auto args = arguments(output);
    command.insert(command.end(), args.begin(), args.end());
    const CliResult result = runCli(command);
    ASSERT_FALSE(result.timedOut);
    const std::string firstErr = snapshot({folder / "first.err"}).begin()->second;
    EXPECT_EQ(firstErr.substr(0, errorLine(Number::SaveFailed).size()), errorLine(Number::SaveFailed)) << firstErr;
    EXPECT_NE(firstErr.find("磁盘空间不足"), std::string::npos) << firstErr;
    const std::string left = snapshot({folder / "after-first"}).begin()->second;
    EXPECT_EQ(left.find(".~lock."), std::string::npos) << "left after the failed save: " << left;
    EXPECT_EQ(result.exitCode, 0) << "the next merge to the same name: " << result.err;
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

TEST_F(Output, messagesNameTheUsersFileAndSayInChineseWhatIsWrong)
{
    // A template that is no workbook: named as the template, never as its hidden copy.
    writeBytes(folder / "notes.xls", "just some words\n");
    Outcome outcome = mergeWith(sharedOffice(), folder / "notes.xls", {folder / "s1.xls"}, folder / "out.xls");
    EXPECT_EQ(outcome.number, Number::NotAWorkbook) << outcome.description;
    EXPECT_NE(outcome.description.find(folder / "notes.xls"), std::string::npos) << outcome.description;
    EXPECT_EQ(outcome.description.find("/.out"), std::string::npos) << outcome.description;
    EXPECT_NE(outcome.description.find("模板"), std::string::npos) << outcome.description;
    for (const auto& name : folder.entries())
        if (name.rfind(".out", 0) == 0)
            fs::remove(folder / name);

    // A save into an existing folder: Chinese first, no office internals.
    fs::create_directory(folder / "taken.xls");
    outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls"}, folder / "taken.xls");
    EXPECT_EQ(outcome.number, Number::SaveFailed) << outcome.description;
    EXPECT_NE(outcome.description.find("文件夹"), std::string::npos) << outcome.description;
    EXPECT_EQ(outcome.description.find("SfxBaseModel"), std::string::npos) << outcome.description;

    // An output folder that does not exist: 1003 in Chinese, naming the output.
    outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls"}, folder / "gone/out.xls");
    EXPECT_EQ(outcome.number, Number::WorkingCopyFailed) << outcome.description;
    EXPECT_NE(outcome.description.find(folder / "gone/out.xls"), std::string::npos) << outcome.description;
    EXPECT_NE(outcome.description.find("不存在"), std::string::npos) << outcome.description;
    EXPECT_EQ(outcome.description.find("No such file"), std::string::npos) << outcome.description;
}

TEST_F(Output, aLongOutputNameMergesAndAnOverlongTemplatePathIsNamedAsSuch)
{
    // 247 bytes: the longest name whose own lock file still fits in 255.
    const std::string output = folder / (std::string(243, 'o') + ".xls");
    const Outcome outcome = mergeWith(sharedOffice(), folder / "template.xls", {folder / "s1.xls", folder / "s2.xls"},
                                      output);
    ASSERT_EQ(outcome.number, 0) << outcome.description;
    EXPECT_EQ(numberIn(output, "Report!B2"), 11.5);
    for (const auto& entry : folder.entries())   // the output's lock goes when the shared office closes it
        EXPECT_NE(entry.rfind(".o", 0), 0u) << "a working copy was left: " << entry;

    // A template that exists under a path of more than 4,096 bytes, made a
    // folder at a time (no single system call could take the whole path).
    const std::string name(200, 'd');
    std::string deep = folder.path();
    int at = ::open(folder.path().c_str(), O_DIRECTORY | O_RDONLY);
    while (deep.size() <= 4200) {
        ASSERT_EQ(mkdirat(at, name.c_str(), 0700), 0);
        const int next = openat(at, name.c_str(), O_DIRECTORY | O_RDONLY);
        ::close(at);
        at = next;
        deep += "/" + name;
    }
    const std::string bytes = snapshot({folder / "template.xls"}).begin()->second;
    const int file = openat(at, "t.xls", O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(file);
    ::close(at);
    const CliResult result = runCli({RM_CLI, deep + "/t.xls", folder / "out.xls", folder / "s1.xls"});
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_NE(result.err.find("路径太长"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("未找到"), std::string::npos) << result.err;
    runCommand("cd '" + folder.path() + "' && rm -rf " + name);
}

} // namespace
} // namespace rm::faults
