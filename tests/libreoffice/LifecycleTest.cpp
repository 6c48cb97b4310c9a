// Starting, losing and ending the private office, and the hand-over to the user.

#include "support/ProcessProbe.h"
#include "support/WorkbookMaker.h"

#include "engine/ErrorNumbers.h"
#include "engine/libreoffice/BindingTestAccess.h"
#include "engine/libreoffice/LibreOfficeBinding.h"
#include "engine/libreoffice/process/OfficeSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

#ifndef OFFICE_HOLDER
#error "OFFICE_HOLDER must name the office holder program"
#endif

namespace rm::lo::test {
namespace {

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/reportmerge-lifecycle-XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override
    {
        EXPECT_TRUE(officeLockFiles(folder).empty());
        std::filesystem::remove_all(folder);
    }

    static OfficeOptions english()
    {
        OfficeOptions options;
        options.localeName = "en_US";
        return options;
    }

    std::string makeWorkbook(LibreOfficeBinding& binding, const std::string& name)
    {
        const std::string path = folder + "/" + name;
        WorkbookMaker maker(*rm::lo::BindingTestAccess::session(binding));
        maker.number(0, 1, 1, 3);
        maker.save(path);
        return path;
    }

    std::string folder;
};

TEST_F(Lifecycle, shutdownClosesDocumentsAndLeavesNoProcessOrLockFile)
{
    pid_t group = 0;
    std::string profile;
    {
        LibreOfficeBinding binding(english());
        const std::string target = makeWorkbook(binding, "target.ods");
        const std::string source = makeWorkbook(binding, "source.ods");
        group = static_cast<pid_t>(binding.officeProcessId());
        ASSERT_GT(group, 0);
        EXPECT_FALSE(processesInGroup(group).empty());
        auto app = binding.createInstance();
        auto workbook = app->openWorkbook(target);   // editable: has a lock file
        workbook->activeSheet()->setCellValue2(1, 1, 99);
        binding.global().openWorkbook(source);
        EXPECT_EQ(officeLockFiles(folder).size(), 1u);
        binding.shutdown();
        binding.shutdown();   // twice is harmless
        EXPECT_EQ(binding.officeProcessId(), 0);
        // Using a handle after the end is an error, not a crash.
        try {
            workbook->activeSheet()->cells(1, 1).text();
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::OfficeConnectionLost);
        }
    }
    EXPECT_TRUE(processesInGroup(group).empty());
    // Closed without saving.
    LibreOfficeBinding check(english());
    EXPECT_EQ(check.global().openWorkbook(folder + "/target.ods")->activeSheet()->cells(1, 1).text(), "3");
}

// The office runs a graphics self-test (some 130 MiB, writing its log into
// the profile) on the first start of a version; a fresh profile of ours names
// the installed version as the last one used, so it never runs.
TEST_F(Lifecycle, aFreshProfileSkipsTheOfficesFirstStartSelfTest)
{
    LibreOfficeBinding binding(english());
    makeWorkbook(binding, "started.ods");
    const std::string url = rm::lo::BindingTestAccess::session(binding)->profileUrl();
    ASSERT_EQ(url.rfind("file://", 0), 0u) << url;
    const std::string user = url.substr(7) + "/user";
    std::ifstream settings(user + "/registrymodifications.xcu");
    const std::string text((std::istreambuf_iterator<char>(settings)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("ooSetupLastVersion"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(user + "/GraphicsRenderTests.log"));
}

TEST_F(Lifecycle, theOfficeEndsWhenItsOwnerIsKilled)
{
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        dup2(output[1], 1);
        close(output[0]);
        close(output[1]);
        execl(OFFICE_HOLDER, OFFICE_HOLDER, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    FILE* lines = fdopen(output[0], "r");
    long group = 0;
    const bool started = std::fscanf(lines, "%ld", &group) == 1 && group > 0;
    kill(holder, SIGKILL);   // no chance to shut anything down
    waitpid(holder, nullptr, 0);
    std::fclose(lines);
    ASSERT_TRUE(started);
    EXPECT_TRUE(groupEnds(static_cast<pid_t>(group)));
}

TEST_F(Lifecycle, aMissingOfficeIsReportedAsNotInstalled)
{
    OfficeOptions options = english();
    options.sofficePath = folder + "/no-such-soffice";
    LibreOfficeBinding binding(options);
    try {
        binding.createInstance();
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::OfficeNotInstalled);
        EXPECT_NE(error.description().find("no-such-soffice"), std::string::npos);
    }
}

TEST_F(Lifecycle, anOfficeThatDiesOrNeverAnswersFailsToStart)
{
    const std::string dies = folder + "/dies";
    const std::string hangs = folder + "/hangs";
    std::ofstream(dies) << "#!/bin/sh\nexit 3\n";
    std::ofstream(hangs) << "#!/bin/sh\nexec sleep 600\n";
    std::filesystem::permissions(dies, std::filesystem::perms::owner_all);
    std::filesystem::permissions(hangs, std::filesystem::perms::owner_all);
    for (const std::string& script : {dies, hangs}) {
        SCOPED_TRACE(script);
        OfficeOptions options = english();
        options.sofficePath = script;
        options.startTimeoutMs = 1500;
        LibreOfficeBinding binding(options);
        try {
            binding.global();
            binding.global().openWorkbook(folder + "/x.xls");
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::OfficeStartFailed) << error.description();
        }
    }
}

TEST_F(Lifecycle, aKilledOfficeIsAnErrorNotACrash)
{
    LibreOfficeBinding binding(english());
    const std::string path = makeWorkbook(binding, "book.ods");
    auto sheet = binding.global().openWorkbook(path)->activeSheet();
    const pid_t group = static_cast<pid_t>(binding.officeProcessId());
    kill(-group, SIGKILL);
    ASSERT_TRUE(groupEnds(group));
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            sheet->usedRangeRowCount();
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::OfficeConnectionLost) << error.description();
        }
    }
    binding.shutdown();
    std::filesystem::remove(folder + "/.~lock.book.ods#");   // left by the killed office, not by us
}

TEST_F(Lifecycle, handOverOpensTheOutputOnceUnlockedAndEndsTheOfficeInTheBackground)
{
    std::vector<std::string> opened;
    std::vector<bool> lockedWhenOpened;
    pid_t group = 0;
    OfficeOptions options = english();
    options.opener = [&](const std::string& path) {
        opened.push_back(path);
        lockedWhenOpened.push_back(std::filesystem::exists(folder + "/.~lock.output.xls#"));
    };
    LibreOfficeBinding binding(options);
    const std::string templatePath = makeWorkbook(binding, "template.xls");
    group = static_cast<pid_t>(binding.officeProcessId());
    auto app = binding.createInstance();
    auto target = app->openWorkbook(templatePath);
    auto sheet = target->activeSheet();
    sheet->setCellValue2(2, 2, 5);
    sheet->saveAs(folder + "/output.xls");
    app->setVisible(false);
    EXPECT_TRUE(opened.empty());
    app->setVisible(true);
    EXPECT_TRUE(app->visible());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], folder + "/output.xls");
    EXPECT_FALSE(lockedWhenOpened[0]);
    EXPECT_EQ(binding.officeProcessId(), 0);
    EXPECT_TRUE(groupEnds(group));   // on its own, while the program goes on
    binding.shutdown();
}

TEST_F(Lifecycle, handOverOfUnsavedChangesIsRefused)
{
    std::vector<std::string> opened;
    OfficeOptions options = english();
    options.opener = [&](const std::string& path) { opened.push_back(path); };
    LibreOfficeBinding binding(options);
    const std::string templatePath = makeWorkbook(binding, "template.ods");
    auto app = binding.createInstance();
    app->openWorkbook(templatePath)->activeSheet()->setCellValue2(1, 1, 1);
    try {
        app->setVisible(true);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::HandOverFailed);
    }
    EXPECT_TRUE(opened.empty());
}

} // namespace
} // namespace rm::lo::test
