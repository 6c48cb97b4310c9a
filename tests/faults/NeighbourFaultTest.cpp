// What shares the machine with a merge: other users of the same group (the
// offices' sockets), and whatever was planted beside the output (a FIFO or a
// link to a device in the lock file's place); and what a SIGKILL of the
// command line leaves in /tmp.

#include "support/CliRun.h"
#include "support/MergeCase.h"
#include "support/OfficeProcesses.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

namespace rm::faults {
using namespace rm::test;
namespace {

namespace fs = std::filesystem;

std::vector<std::string> underUmask002(std::vector<std::string> arguments)
{
    std::vector<std::string> command = {"/bin/sh", "-c", "umask 002 && exec \"$0\" \"$@\"", RM_CLI};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

mode_t permissionBits(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool anyExists(const std::vector<std::string>& paths)
{
    for (const auto& path : paths)
        if (access(path.c_str(), F_OK) == 0)
            return true;
    return false;
}

class Neighbours : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeTemplate(folder / "template.xls");
        for (int i = 0; i < 40; ++i) {
            sources.push_back(folder / ("s" + std::to_string(i) + ".xls"));
            makeSource(sources.back(), i, 1);
        }
    }
    std::vector<std::string> arguments(std::size_t sourceCount) const
    {
        std::vector<std::string> list = {folder / "template.xls", folder / "out.xls"};
        list.insert(list.end(), sources.begin(), sources.begin() + long(sourceCount));
        return list;
    }
    TempFolder folder;
    std::vector<std::string> sources;
};

// Under umask 002 the offices' sockets were srwxrwxr-x: any user of the group
// could drive an office running as us. A killed command line's offices left
// their single-instance sockets behind.
TEST_F(Neighbours, officeSocketsAreOursAloneAndGoWithAKilledCommandLine)
{
    CliRun run(underUmask002(arguments(sources.size())));
    const std::string mark = officeMarkOf(run.pid());
    std::vector<std::string> sockets;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(25);
    while (sockets.size() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        sockets = officeSocketsOf(mark);
    }
    ASSERT_GE(sockets.size(), 2u) << "the office never opened its pipes";
    for (const auto& socket : sockets)
        EXPECT_EQ(permissionBits(socket) & 077, 0u) << socket << " is open to others";
    kill(run.pid(), SIGKILL);
    const CliResult result = run.finish();
    EXPECT_TRUE(noProcessMarked(mark));
    // The watchdog's cleaner removes them just after the offices ended.
    const auto removal = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (anyExists(sockets) && std::chrono::steady_clock::now() < removal)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (const auto& socket : sockets)
        EXPECT_FALSE(fs::exists(socket)) << socket << " was left";
    for (const auto& entry : fs::directory_iterator(folder.path()))
        if (entry.path().filename().string().rfind(".out", 0) == 0)
            fs::remove(entry.path());   // the hidden working copy stays by design

    // The user's own file is not the office's: it gets what the user's umask gives.
    const CliResult merged = runCli(underUmask002(arguments(2)));
    ASSERT_EQ(merged.exitCode, 0) << merged.err;
    EXPECT_EQ(permissionBits(folder / "out.xls"), 0664u);
}

// A FIFO in the lock file's place hung the command line for ever; a link to
// /dev/zero would have been read without end. Both are locks held by
// someone else now, said as such, and nothing waits.
TEST_F(Neighbours, aFifoOrADeviceLinkAsTheOutputsLockFileIsALockHeldBySomeoneElse)
{
    const std::string lock = folder / ".~lock.out.xls#";
    for (const std::string planted : {"fifo", "link to /dev/zero"}) {
        SCOPED_TRACE(planted);
        fs::remove(lock);
        if (planted == "fifo")
            ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
        else
            fs::create_symlink("/dev/zero", lock);
        const Snapshot before = snapshot(arguments(2));
        const CliResult result = runCli(underUmask002(arguments(2)));
        ASSERT_FALSE(result.timedOut) << "the lock file was waited on";
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_NE(result.err.find("2020"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(lock), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("其他程序锁定"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(folder / "out.xls"));
        EXPECT_TRUE(fs::is_symlink(lock) || fs::is_fifo(lock)) << "the planted lock was touched";
        EXPECT_TRUE(changedSince(before).empty());
        EXPECT_TRUE(noProcessMarked(officeMarkOf(result.pid)));
    }
    fs::remove(lock);
    const CliResult merged = runCli(underUmask002(arguments(2)));
    EXPECT_EQ(merged.exitCode, 0) << merged.err;
}

} // namespace
} // namespace rm::faults
