#include "TempFolder.h"

#include "engine/files/FileSearch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(FileSearch, OnlyVisibleRegularFilesCount)
{
    TempFolder folder;
    writeBytes(folder / "a.xls", "x");
    writeBytes(folder / ".hidden.xls", "x");
    writeBytes(folder / "~$a.xls", "x");
    std::filesystem::create_directory(folder / "dir.xls");
    std::filesystem::create_symlink(folder / "a.xls", folder / "link.xls");
    std::filesystem::create_symlink(folder / "missing", folder / "dangling.xls");
    std::filesystem::create_symlink(folder / "dir.xls", folder / "dirlink.xls");
    ASSERT_EQ(mkfifo((folder / "fifo.xls").c_str(), 0600), 0);

    EXPECT_TRUE(rm::isOrdinaryFile(folder / "a.xls"));
    EXPECT_TRUE(rm::isOrdinaryFile(folder / "link.xls"));
    EXPECT_FALSE(rm::isOrdinaryFile(folder / ".hidden.xls"));
    EXPECT_FALSE(rm::isOrdinaryFile(folder / "~$a.xls"));
    EXPECT_FALSE(rm::isOrdinaryFile(folder / "dir.xls"));
    EXPECT_FALSE(rm::isOrdinaryFile(folder / "dangling.xls"));
    EXPECT_FALSE(rm::isOrdinaryFile(folder / "dirlink.xls"));
    EXPECT_FALSE(rm::isOrdinaryFile(folder / "fifo.xls"));
    EXPECT_FALSE(rm::isOrdinaryFile(folder / "missing.xls"));
    EXPECT_FALSE(rm::isOrdinaryFile(folder / "a*.xls")); // no wildcard expansion
    EXPECT_FALSE(rm::isOrdinaryFile(""));
    EXPECT_FALSE(rm::isOrdinaryFile(folder.path()));
    EXPECT_FALSE(rm::isOrdinaryFile(folder.path() + "/"));
}

TEST(FileSearch, WorkbooksOfEveryFormatFilteredAndSortedIgnoringCase)
{
    TempFolder folder;
    for (const char* name : {"b.XLS", "A.xls", "c.xls", "a.xlsx", "D.ODS", "e.Xlsx", "notes.txt", "t.csv", "m.xlsm",
                             "x.odsx", "xls", ".h.xls", ".h.ods", "~$l.xls", "~$l.xlsx", "~$l.ods", "合并.xls", "B2.xls"})
        writeBytes(folder / name, "x");
    std::filesystem::create_directory(folder / "dir.xls");
    std::filesystem::create_directory(folder / "dir.ods");
    ASSERT_EQ(mkfifo((folder / "f.xlsx").c_str(), 0600), 0);
    std::filesystem::create_symlink(folder / "c.xls", folder / "link.xls");

    const std::vector<std::string> expected = {"A.xls", "a.xlsx", "b.XLS", "B2.xls", "c.xls", "D.ODS", "e.Xlsx",
                                               "link.xls", "合并.xls"};
    EXPECT_EQ(rm::listWorkbookNames(folder.path()), expected);
    EXPECT_EQ(rm::listWorkbookNames(folder.path() + "/"), expected);
    EXPECT_TRUE(rm::listWorkbookNames(folder / "missing").empty());
    EXPECT_TRUE(rm::listWorkbookNames(folder / "A.xls").empty());
}
