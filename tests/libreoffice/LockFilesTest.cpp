// Lock files the office leaves beside a document, without an office.

#include "engine/libreoffice/process/LockFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace rm::lo {

TEST(LockFiles, onlyALockOfAVanishedPrivateOfficeCountsAsStale)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("rm-lockfiles-" + std::to_string(::getpid()));
    fs::create_directories(folder / "reportmerge-office-alive");
    const std::string document = (folder / "合并后报表.xls").string();
    const fs::path lockFile = folder / ".~lock.合并后报表.xls#";
    const auto lockNaming = [&](const std::string& profileUrl) {
        std::ofstream(lockFile) << "用户,user,host,07.12.2026 10:00," << profileUrl << ";\n";
        removeStaleLockFileOfOurs(document);
        return fs::exists(lockFile);
    };
    const std::string folderUrl = "file://" + folder.string();
    EXPECT_FALSE(lockNaming(folderUrl + "/reportmerge-office-gone"));
    EXPECT_TRUE(lockNaming(folderUrl + "/reportmerge-office-alive"));
    EXPECT_TRUE(lockNaming("file:///home/user/.config/libreoffice/4"));
    EXPECT_TRUE(lockNaming(folderUrl + "/someone-else"));
    fs::remove_all(folder);
}

} // namespace rm::lo
