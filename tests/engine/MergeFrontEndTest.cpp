#include "TempFolder.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/files/FileIdentity.h"
#include "engine/MergeFrontEnd.h"

#include <gtest/gtest.h>

#include <fstream>
#include <new>
#include <stdexcept>
#include <unistd.h>

namespace {

TEST(MergeFrontEnd, checksTemplateThenListThenFirstMissingEntry)
{
    TempFolder folder;
    const std::string present = folder / "s1.xls";
    std::ofstream(present) << "x";

    EXPECT_EQ(rm::templateCheckMessage(""), "模板文件未找到，请重新选择模板文件。");
    EXPECT_EQ(rm::templateCheckMessage(folder.path()), "模板文件未找到，请重新选择模板文件。");
    EXPECT_EQ(rm::templateCheckMessage(present), std::nullopt);

    EXPECT_EQ(rm::sourcesCheckMessage({}), "请添加相应的合并文件。");
    EXPECT_EQ(rm::sourcesCheckMessage({present, folder / "a.xls", folder / "b.xls"}),
              "请检查" + (folder / "a.xls") + "是否存在。");
    EXPECT_EQ(rm::sourcesCheckMessage({present, present}), std::nullopt);
}

TEST(MergeFrontEnd, reportsEveryKindOfFailureAsNumberAndDescription)
{
    EXPECT_FALSE(rm::failureOf([] {}));

    auto failure = rm::failureOf([] { throw rm::Error(1007, "说明"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(rm::failureText(*failure, "\r\n"), "错误:1007\r\n说明");

    failure = rm::failureOf([] { throw std::runtime_error("boom"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(rm::failureText(*failure, "\n"), "错误:1099\n意外的错误：boom");

    failure = rm::failureOf([] { throw std::bad_alloc(); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(rm::failureText(*failure, "\n"), "错误:1099\n内存不足，无法完成合并。请关闭其他程序后重试。");

    failure = rm::failureOf([] { throw 7; });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->number, rm::ErrorNumber::UnexpectedFailure);
    EXPECT_EQ(failure->description, "意外的错误。");
}

TEST(FileIdentity, sameFileByIdentityWhenBothExistElseByAbsolutePath)
{
    TempFolder folder;
    const std::string file = folder / "a.xls";
    std::ofstream(file) << "x";
    const std::string link = folder / "link.xls";
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);

    EXPECT_TRUE(rm::sameFile(file, link));
    EXPECT_TRUE(rm::sameFile(file, folder.path() + "//./a.xls"));
    EXPECT_TRUE(rm::sameFile(folder / "missing.xls", folder.path() + "/sub/../missing.xls"));
    EXPECT_FALSE(rm::sameFile(file, folder / "missing.xls"));
}

} // namespace
