// The office started ahead of time (the window's warm start) and the one
// retry of a start whose process ends early.

#include "support/ProcessProbe.h"

#include "engine/ErrorNumbers.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace rm::lo::test {
namespace {

using Clock = std::chrono::steady_clock;

class WarmOffice : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/reportmerge-warm-XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    OfficeOptions options(const std::string& soffice = {}) const
    {
        OfficeOptions o;
        o.localeName = "en_US";
        o.officeCount = 1;
        o.opener = [](const std::string&) {};
        if (!soffice.empty())
            o.sofficePath = soffice;
        return o;
    }

    std::string script(const std::string& name, const std::string& body) const
    {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    static bool waitForOffice(const LibreOfficeBinding& binding)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(90);
        while (binding.officeProcessId() == 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return binding.officeProcessId() != 0;
    }

    int startError(LibreOfficeBinding& binding, std::string* description = nullptr)
    {
        try {
            binding.createInstance();
        } catch (const Error& error) {
            if (description)
                *description = error.description();
            return error.number();
        }
        return 0;
    }

    std::string folder;
};

TEST_F(WarmOffice, aMergeOnAnotherThreadWaitsForTheWarmStartAndUsesIt)
{
    LibreOfficeBinding binding(options());
    binding.prepare();
    EXPECT_EQ(binding.officeProcessId(), 0) << "prepare() does not wait";
    std::shared_ptr<SpreadsheetApp> app;
    std::thread merge([&] { app = binding.createInstance(); });   // while the start is in progress
    merge.join();
    ASSERT_TRUE(app);
    const long group = binding.officeProcessId();
    EXPECT_GT(group, 0);
    EXPECT_EQ(binding.officeProcessIds().size(), 1u) << "one office, not a second start";
    binding.prepare();   // already running: nothing new
    EXPECT_EQ(binding.officeProcessId(), group);
    binding.shutdown();
    EXPECT_TRUE(groupEnds(static_cast<pid_t>(group)));
}

TEST_F(WarmOffice, aWindowClosedBeforeAnyMergeEndsItsOffice)
{
    long group = 0;
    {
        LibreOfficeBinding binding(options());
        binding.prepare();
        ASSERT_TRUE(waitForOffice(binding));
        group = binding.officeProcessId();
    }
    EXPECT_TRUE(groupEnds(static_cast<pid_t>(group)));

    // Closed while the office is still starting: the start is given up at once.
    const auto begin = Clock::now();
    {
        LibreOfficeBinding binding(options());
        binding.prepare();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(15));
}

TEST_F(WarmOffice, aFailedWarmStartIsReportedWhenTheMergeNeedsTheOffice)
{
    const std::string dies = script("dies", "exit 3\n");
    std::string description;
    {
        LibreOfficeBinding binding(options(dies));
        binding.prepare();   // fails in the background, silently
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(startError(binding, &description), ErrorNumber::OfficeStartFailed);
        EXPECT_EQ(description, "LibreOffice 启动失败：办公软件进程意外退出。");
    }
    {
        LibreOfficeBinding binding(options(folder + "/no-such-soffice"));
        binding.prepare();
        EXPECT_EQ(startError(binding), ErrorNumber::OfficeNotInstalled);
    }
}

TEST_F(WarmOffice, anOfficeThatEndsOnceWhileStartingIsStartedAgain)
{
    // Ends at its first start, as a fresh office sometimes does under load; the real office the second time.
    const std::string marker = folder + "/started-once";
    const std::string flaky = script("flaky", "if [ ! -e '" + marker + "' ]; then : > '" + marker +
                                                  "'; exit 81; fi\nexec " + OfficeOptions().sofficePath + " \"$@\"\n");
    LibreOfficeBinding binding(options(flaky));
    EXPECT_EQ(startError(binding), 0);
    EXPECT_TRUE(std::filesystem::exists(marker));
    binding.shutdown();

    // One that always ends is still a failure, after the one retry.
    std::filesystem::remove(marker);
    const std::string always = script("always", ": >> '" + marker + "'; echo x >> '" + marker + "'; exit 81\n");
    LibreOfficeBinding failing(options(always));
    EXPECT_EQ(startError(failing), ErrorNumber::OfficeStartFailed);
    std::ifstream tries(marker);
    int lines = 0;
    for (std::string line; std::getline(tries, line);)
        ++lines;
    EXPECT_EQ(lines, 2);
}

} // namespace
} // namespace rm::lo::test
