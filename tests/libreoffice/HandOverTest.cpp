// The desktop hand-over: the default application, else Calc with the user's
// own profile, started detached. Fake programs stand in for both.

#include "support/ProcessProbe.h"

#include "engine/libreoffice/process/HandOver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace rm::lo::test {
namespace {

class DesktopHandOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/reportmerge-handover-XXXXXX";
        folder = mkdtemp(pattern);
        std::filesystem::create_directory(folder + "/bin");
        const char* path = std::getenv("PATH");
        savedPath = path ? path : "";
        setenv("PATH", (folder + "/bin:/usr/bin:/bin").c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", savedPath.c_str(), 1);
        std::filesystem::remove_all(folder);
    }

    // A program that records its arguments and session, then exits with `code`.
    std::string fakeProgram(const std::string& name, int code)
    {
        const std::string path = folder + "/bin/" + name;
        std::ofstream(path) << "#!/bin/sh\n"
                               "echo \"$@ session=$(/usr/bin/ps -o sid= -p $$ | /usr/bin/tr -d ' ')\" > '" << folder << "/" << name << ".ran.tmp'\n"
                               "/bin/mv '" << folder << "/" << name << ".ran.tmp' '" << folder << "/" << name << ".ran'\n"
                               "exit " << code << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    // What the fake program recorded, once it has run (bounded wait).
    std::string record(const std::string& name)
    {
        const std::string path = folder + "/" + name + ".ran";
        for (int i = 0; i < 400 && !std::filesystem::exists(path); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream in(path);
        std::string line;
        std::getline(in, line);
        return line;
    }

    std::string folder;
    std::string savedPath;
};

TEST_F(DesktopHandOver, opensWithTheDefaultApplicationInASessionOfItsOwn)
{
    fakeProgram("xdg-open", 0);
    const std::string office = fakeProgram("soffice", 0);
    openWithDesktop(folder + "/out.xls", office);
    const std::string ran = record("xdg-open");
    EXPECT_EQ(ran.rfind(folder + "/out.xls session=", 0), 0u) << ran;
    EXPECT_NE(ran, folder + "/out.xls session=" + std::to_string(getsid(0)));
    EXPECT_FALSE(std::filesystem::exists(folder + "/soffice.ran"));
}

TEST_F(DesktopHandOver, fallsBackToCalcWhenTheDefaultApplicationFails)
{
    fakeProgram("xdg-open", 3);
    const std::string office = fakeProgram("soffice", 0);
    openWithDesktop(folder + "/out.xls", office);
    const std::string ran = record("soffice");
    EXPECT_EQ(ran.rfind("--calc " + folder + "/out.xls session=", 0), 0u) << ran;
}

TEST_F(DesktopHandOver, fallsBackToCalcWhenThereIsNoDefaultApplication)
{
    const std::string office = fakeProgram("soffice", 0);
    setenv("PATH", (folder + "/bin").c_str(), 1);   // no xdg-open anywhere
    openWithDesktop(folder + "/out.xls", office);
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_EQ(record("soffice").rfind("--calc " + folder + "/out.xls", 0), 0u);
}

} // namespace
} // namespace rm::lo::test
