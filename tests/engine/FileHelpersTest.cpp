// The small file helpers shared by the engine and the office binding.

#include "TempFolder.h"

#include "engine/files/RegularFileOpen.h"
#include "engine/files/TemporaryFolder.h"
#include "engine/files/WorkbookFormat.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace rm {
namespace {

TEST(TemporaryFolder, isMadeFreshAndGoesWithAllItHolds)
{
    TempFolder parent;
    std::string path;
    {
        const TemporaryFolder one(parent.path(), "scratch-");
        const TemporaryFolder two(parent.path(), "scratch-");
        ASSERT_TRUE(one.made());
        EXPECT_NE(one.path(), two.path());
        EXPECT_EQ(one.path().rfind(parent / "scratch-", 0), 0u);
        path = one.path();
        std::filesystem::create_directories(path + "/a/b");
        writeBytes(path + "/a/b/c.txt", "x");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    const TemporaryFolder nowhere(parent / "missing", "scratch-");
    EXPECT_FALSE(nowhere.made());
    EXPECT_EQ(nowhere.path(), "");
}

TEST(RegularFileOpen, opensOnlyRegularFilesAndNeverWaitsForAFifo)
{
    TempFolder folder;
    writeBytes(folder / "book.xls", "content");
    const RegularFileOpening file = openRegularFile(folder / "book.xls");
    ASSERT_EQ(file.outcome, RegularFileOpening::Outcome::Opened);
    EXPECT_GE(file.file.get(), 0);
    EXPECT_TRUE(file.identity == *identityOf(folder / "book.xls"));

    ASSERT_EQ(mkfifo((folder / "fifo.xls").c_str(), 0600), 0);
    const RegularFileOpening fifo = openRegularFile(folder / "fifo.xls");   // would block without O_NONBLOCK
    EXPECT_EQ(fifo.outcome, RegularFileOpening::Outcome::NotRegular);
    EXPECT_EQ(fifo.file.get(), -1);
    EXPECT_EQ(openRegularFile(folder.path()).outcome, RegularFileOpening::Outcome::NotRegular);

    const RegularFileOpening missing = openRegularFile(folder / "none.xls");
    EXPECT_EQ(missing.outcome, RegularFileOpening::Outcome::Failed);
    EXPECT_EQ(missing.errorNumber, ENOENT);
}

TEST(WorkbookFormat, isToldByTheFileNamesEndingInAnyCase)
{
    EXPECT_EQ(workbookFormatOf("/a/b.xls"), WorkbookFormat::Xls);
    EXPECT_EQ(workbookFormatOf("B.XLSX"), WorkbookFormat::Xlsx);
    EXPECT_EQ(workbookFormatOf("/a/报表.Ods"), WorkbookFormat::Ods);
    EXPECT_FALSE(workbookFormatOf("/a/b.csv"));
    EXPECT_FALSE(workbookFormatOf("/a.xls/report"));
    EXPECT_FALSE(workbookFormatOf("/a/b.xls.bak"));
    EXPECT_FALSE(workbookFormatOf(""));
}

} // namespace
} // namespace rm
