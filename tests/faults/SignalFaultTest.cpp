// reportmerge-cli ended by SIGINT, SIGTERM or SIGHUP while the office is
// loading (also when the signal reaches its office watchdogs, as pkill by name does): it says so, and nothing of the office is left (processes, lock files, temporary
// files); the hidden working copy stays, as after any failed run.

#include "support/CliRun.h"
#include "support/MergeCase.h"
#include "support/OfficeProcesses.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

namespace rm::faults {
using namespace rm::test;
namespace {

namespace fs = std::filesystem;

// The watchdog may be removing an office profile inside `folder` meanwhile:
// a scan that loses an entry under its feet is taken again.
std::vector<std::string> namesIn(const std::string& folder, const std::string& prefix)
{
    for (int attempt = 0;; ++attempt) {
        try {
            std::vector<std::string> found;
            for (const auto& entry : fs::recursive_directory_iterator(folder))
                if (entry.path().filename().string().rfind(prefix, 0) == 0)
                    found.push_back(entry.path().filename().string());
            return found;
        } catch (const fs::filesystem_error&) {
            if (attempt == 20)
                throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}

// The office's watchdogs: forks of the command line, so they bear its name and
// `pkill reportmerge-cli` or `killall reportmerge-cli` signal them as well.
std::vector<pid_t> forksOf(pid_t parent)
{
    std::vector<pid_t> found;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/" + std::to_string(parent) + "/exe", error);
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parentOfIt = 0;
        rest >> state >> parentOfIt;
        std::error_code linkError;
        if (parentOfIt == parent && fs::read_symlink(entry.path() / "exe", linkError) == program)
            found.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return found;
}

TEST(Signals, aSignalWhileLoadingLeavesNoLockOrTemporaryFileOfTheOffice)
{
    TempFolder folder;
    makeTemplate(folder / "template.xls");
    std::vector<std::string> sources;
    for (int i = 0; i < 40; ++i) {
        sources.push_back(folder / ("s" + std::to_string(i) + ".xls"));
        makeSource(sources.back(), i, 1);
    }
    const std::string temporary = folder / "tmp";
    fs::create_directory(temporary);

    // The last round: SIGTERM to the command line and to its watchdogs at once, as by name.
    const std::vector<std::pair<int, bool>> rounds{{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGTERM, true}};
    for (const auto& [signalNumber, byName] : rounds) {
        SCOPED_TRACE(std::string(strsignal(signalNumber)) + (byName ? " by name" : ""));
        std::vector<std::string> command = {"/usr/bin/env", "TMPDIR=" + temporary, RM_CLI, folder / "template.xls",
                                            folder / "out.xls"};
        command.insert(command.end(), sources.begin(), sources.end());
        CliRun run(command);
        // The working copy is open for editing once its lock file is there;
        // the sources are loaded after it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(25);
        while (namesIn(folder.path(), ".~lock.").empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_FALSE(namesIn(folder.path(), ".~lock.").empty()) << "the working copy was never opened";
        if (byName) {
            const std::vector<pid_t> watchdogs = forksOf(run.pid());
            EXPECT_FALSE(watchdogs.empty());
            for (const pid_t watchdog : watchdogs)
                kill(watchdog, signalNumber);
        }
        kill(run.pid(), signalNumber);
        const CliResult result = run.finish();
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, -1) << "not ended by the signal: " << result.err;
        // The user stopped it: no lost office is blamed.
        EXPECT_NE(result.err.find("合并已中断，输出文件没有保存。"), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("错误:"), std::string::npos) << result.err;
        EXPECT_TRUE(noProcessMarked(officeMarkOf(result.pid)));
        EXPECT_EQ(namesIn(folder.path(), ".~lock."), std::vector<std::string>{});
        EXPECT_EQ(namesIn(temporary, "lu"), std::vector<std::string>{});
        // The watchdog removes the profile (the office's TMPDIR with it) just after the office ended.
        const auto removal = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!namesIn(temporary, "reportmerge-").empty() && std::chrono::steady_clock::now() < removal)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(namesIn(temporary, "reportmerge-"), std::vector<std::string>{}) << "a profile or export was left";
        EXPECT_FALSE(fs::exists(folder / "out.xls"));
        for (const auto& copy : namesIn(folder.path(), ".out"))
            fs::remove(folder / copy);   // the hidden working copy stays by design
    }
}

} // namespace
} // namespace rm::faults
