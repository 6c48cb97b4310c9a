#include "TempFolder.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/MergeRun.h"
#include "engine/files/OutputPath.h"
#include "engine/files/WorkingCopy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sys/stat.h>

using rm::ErrorNumber::OutputPathInvalid;

namespace {

// Draws that give the suffixes listed, in order, then the last one for ever.
rm::UnitDraw drawsFor(std::vector<int> suffixes)
{
    auto next = std::make_shared<size_t>(0);
    return [suffixes, next]() {
        const int suffix = suffixes[std::min(*next, suffixes.size() - 1)];
        ++*next;
        return static_cast<float>((suffix - 1000 + 0.5) / 9000.0);
    };
}

int errorNumberOf(const std::function<void()>& action, std::string* description = nullptr)
{
    try {
        action();
    } catch (const rm::Error& error) {
        if (description)
            *description = error.description();
        return error.number();
    }
    return 0;
}

} // namespace

TEST(OutputPathSplit, FolderBaseAndExtension)
{
    auto parts = rm::splitOutputPath("/work/total.xls");
    EXPECT_EQ(parts.folder, "/work/");
    EXPECT_EQ(parts.baseName, "total");
    EXPECT_EQ(parts.extension, ".xls");

    parts = rm::splitOutputPath("/work/a.b.xls");
    EXPECT_EQ(parts.baseName, "a.b");
    EXPECT_EQ(parts.extension, ".xls");

    parts = rm::splitOutputPath("/work/total");
    EXPECT_EQ(parts.folder, "/work/");
    EXPECT_EQ(parts.baseName, "total");
    EXPECT_EQ(parts.extension, "");

    parts = rm::splitOutputPath("/a.b/report"); // a dot only in a folder name
    EXPECT_EQ(parts.folder, "/a.b/");
    EXPECT_EQ(parts.baseName, "report");
    EXPECT_EQ(parts.extension, "");

    parts = rm::splitOutputPath("report.XLS");
    EXPECT_EQ(parts.folder, "");
    EXPECT_EQ(parts.baseName, "report");
    EXPECT_EQ(parts.extension, ".XLS");

    parts = rm::splitOutputPath("/work/.xls");
    EXPECT_EQ(parts.baseName, "");
    EXPECT_EQ(parts.extension, ".xls");

    parts = rm::splitOutputPath("/报表/合并后报表-20260201-090503.xls");
    EXPECT_EQ(parts.folder, "/报表/");
    EXPECT_EQ(parts.baseName, "合并后报表-20260201-090503");
}

TEST(OutputPathSplit, PathsWithoutAFileNameAreRefused)
{
    for (const char* path : {"", "/", "/work/", "/work/.", "/work/..", "relative/"})
        EXPECT_EQ(errorNumberOf([&] { rm::splitOutputPath(path); }), OutputPathInvalid) << path;
}

TEST(WorkingCopySuffix, FourDigitsOverTheWholeDrawRange)
{
    EXPECT_EQ(rm::workingCopySuffix(0.0f), 1000);
    EXPECT_EQ(rm::workingCopySuffix(0.5f), 5500);
    EXPECT_EQ(rm::workingCopySuffix(std::nextafter(1.0f, 0.0f)), 9999);
    const rm::UnitDraw draw = rm::clockSeededUnitDraw();
    for (int i = 0; i < 10000; ++i) {
        const float r = draw();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
}

TEST(WorkingCopy, HiddenCopyBesideTheOutput)
{
    TempFolder folder;
    writeBytes(folder / "template.xls", std::string("template\0bytes", 14));
    const std::string copy = rm::makeWorkingCopy(folder / "template.xls", folder / "total.xls");
    ASSERT_EQ(copy.substr(0, folder.path().size()), folder.path());
    EXPECT_TRUE(std::regex_match(copy.substr(folder.path().size()), std::regex(R"(/\.total[1-9][0-9]{3}\.xls)"))) << copy;
    EXPECT_EQ(readBytes(copy), readBytes(folder / "template.xls"));

    const std::string dotted = rm::makeWorkingCopy(folder / "template.xls", folder / "a.b.xls");
    EXPECT_EQ(dotted.substr(folder.path().size()).substr(0, 5), "/.a.b");
    EXPECT_EQ(dotted.substr(dotted.size() - 4), ".xls");

    const std::string bare = rm::makeWorkingCopy(folder / "template.xls", folder / "report");
    EXPECT_TRUE(std::regex_match(bare.substr(folder.path().size()), std::regex(R"(/\.report[0-9]{4})"))) << bare;
}

TEST(WorkingCopy, NeverTakesTheNameOfAnExistingEntry)
{
    TempFolder folder;
    writeBytes(folder / "template.xls", "T");
    writeBytes(folder / ".out1111.xls", "normal hidden file");
    std::filesystem::create_directory(folder / ".out2222.xls");
    std::filesystem::create_symlink(folder / "nowhere", folder / ".out3333.xls"); // dangling link
    ASSERT_EQ(mkfifo((folder / ".out4444.xls").c_str(), 0600), 0);
    const std::string copy = rm::makeWorkingCopy(folder / "template.xls", folder / "out.xls",
                                                 drawsFor({1111, 2222, 3333, 4444, 5555}));
    EXPECT_EQ(copy, folder / ".out5555.xls");
    EXPECT_EQ(readBytes(folder / ".out1111.xls"), "normal hidden file");
    EXPECT_TRUE(std::filesystem::is_directory(folder / ".out2222.xls"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / ".out3333.xls"));
    EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
}

TEST(WorkingCopy, GivesUpAfterBoundedDraws)
{
    TempFolder folder;
    writeBytes(folder / "template.xls", "T");
    writeBytes(folder / ".out7777.xls", "taken");
    int draws = 0;
    const rm::UnitDraw always7777 = [&draws]() { ++draws; return static_cast<float>((7777 - 1000 + 0.5) / 9000.0); };
    EXPECT_EQ(errorNumberOf([&] { rm::makeWorkingCopy(folder / "template.xls", folder / "out.xls", always7777); }),
              rm::ErrorNumber::WorkingCopyNamesExhausted);
    EXPECT_EQ(draws, rm::kMaxWorkingCopyDraws);
    EXPECT_EQ(readBytes(folder / ".out7777.xls"), "taken");
}

TEST(WorkingCopy, CopyFailuresNameTheUsersFileAndTheReasonInChinese)
{
    TempFolder folder;
    writeBytes(folder / "template.xls", "T");
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { rm::makeWorkingCopy(folder / "missing.xls", folder / "out.xls"); }, &description),
              rm::ErrorNumber::WorkingCopyFailed);
    EXPECT_NE(description.find(folder / "missing.xls"), std::string::npos) << description;
    EXPECT_NE(description.find("文件或文件夹不存在。"), std::string::npos) << description;
    EXPECT_EQ(description.find("No such file"), std::string::npos) << description;

    EXPECT_EQ(errorNumberOf([&] { rm::makeWorkingCopy(folder / "template.xls", folder / "no-folder/out.xls"); }, &description),
              rm::ErrorNumber::WorkingCopyFailed);
    EXPECT_NE(description.find(folder / "no-folder/out.xls"), std::string::npos) << description;
    EXPECT_EQ(description.find(folder / "no-folder/.out"), std::string::npos) << "names the hidden copy: " << description;

    // The "/a.b/report" case: the folder part exists, the copy lands inside it.
    std::filesystem::create_directory(folder / "a.b");
    EXPECT_EQ(errorNumberOf([&] { rm::makeWorkingCopy(folder / "template.xls", folder / "a.b/report"); }), 0);

    EXPECT_EQ(errorNumberOf([&] { rm::makeWorkingCopy(folder.path(), folder / "out.xls"); }), rm::ErrorNumber::WorkingCopyFailed);
    ASSERT_EQ(mkfifo((folder / "pipe.xls").c_str(), 0600), 0);
    EXPECT_EQ(errorNumberOf([&] { rm::makeWorkingCopy(folder / "pipe.xls", folder / "out.xls"); }), rm::ErrorNumber::WorkingCopyFailed);

    EXPECT_EQ(errorNumberOf([&] { rm::makeWorkingCopy(folder / "template.xls", folder / "out/"); }), OutputPathInvalid);
    for (const auto& name : folder.entries())
        EXPECT_TRUE(name == "template.xls" || name == "a.b" || name == "pipe.xls") << "left behind: " << name;
}

TEST(WorkingCopy, ALongOutputNameGetsAShortenedHiddenUniqueCopy)
{
    TempFolder folder;
    writeBytes(folder / "template.xls", "T");
    // 247 bytes with the extension, Chinese characters (3 bytes each) at the cut.
    std::string base(20, 'a');
    for (int i = 0; i < 74; ++i)
        base += "报";
    base += 'b';
    const std::string output = folder / (base + ".xls");
    ASSERT_EQ(std::filesystem::path(output).filename().string().size(), 247u);
    std::vector<std::string> copies;
    for (int i = 0; i < 2; ++i) {
        const std::string copy = rm::makeWorkingCopy(folder / "template.xls", output);
        const std::string name = std::filesystem::path(copy).filename().string();
        EXPECT_EQ(name.front(), '.');
        // "." + 20 letters + 72 whole characters + 4 digits + ".xls": the cut falls between two characters.
        EXPECT_EQ(name.size(), 1u + 20 + 72 * 3 + 4 + 4) << name;
        EXPECT_LE(name.size() + 8, 255u) << "its lock file would not fit: " << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".xls");
        EXPECT_EQ(readBytes(copy), "T");
        copies.push_back(copy);
    }
    EXPECT_NE(copies[0], copies[1]);
}

TEST(WorkingCopy, RemovalFailureIsReported)
{
    TempFolder folder;
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { rm::removeWorkingCopy(folder / ".gone1234.xls"); }, &description),
              rm::ErrorNumber::WorkingCopyRemoveFailed);
    EXPECT_NE(description.find(".gone1234.xls"), std::string::npos);
}
