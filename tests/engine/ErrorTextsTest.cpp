#include "engine/ErrorNumbers.h"
#include "engine/ErrorTexts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace {

using namespace rm;

struct Expected {
    Error error;
    int number;
    std::string description;
};

// Each builder makes the error of the section it stands in, in the words users quote.
TEST(ErrorTexts, BuildersMakeTheirNumberAndWords)
{
    const std::vector<Expected> cases = {
        {ErrorText::overflow(), ErrorNumber::Overflow, "溢出"},
        {ErrorText::templateAreaTooLarge(40000, 500, 16777216), ErrorNumber::Overflow,
         "溢出：模板的已用区域有 40000 行 × 500 列，超过一次合并可处理的 16777216 个单元格。"
         "请删除模板中表格以外的多余内容或格式后重新合并。"},
        {ErrorText::outputPathWithoutFileName("/d/"), ErrorNumber::OutputPathInvalid, "输出文件路径中没有文件名：/d/"},
        {ErrorText::workingCopyNamesExhausted("/d/.out", ".xls"), ErrorNumber::WorkingCopyNamesExhausted,
         "无法为工作副本找到未被占用的文件名：/d/.outNNNN.xls"},
        {ErrorText::templateUnreadable("/t.xls", EACCES), ErrorNumber::WorkingCopyFailed,
         "无法读取模板文件“/t.xls”：没有权限。"},
        {ErrorText::workingCopyNotRemoved("/d/.out1234.xls", ENOENT), ErrorNumber::WorkingCopyRemoveFailed,
         "无法删除工作副本“/d/.out1234.xls”：文件或文件夹不存在。"},
        {ErrorText::outputIsSource("/a.xls"), ErrorNumber::OutputIsInput, "输出文件不能覆盖要合并的文件：/a.xls"},
        {ErrorText::reportNotWritten("/r.csv"), ErrorNumber::ReportWriteFailed, "无法写入报告文件：/r.csv"},
        {ErrorText::unexpected("boom"), ErrorNumber::UnexpectedFailure, "意外的错误：boom"},
        {ErrorText::officeStartTimedOut(60000), ErrorNumber::OfficeStartFailed,
         "LibreOffice 启动失败：60000 毫秒内没有响应。"},
        {ErrorText::officeCallTimedOut(120, ErrorText::OfficeStep::OpenWorkbook), ErrorNumber::OfficeConnectionLost,
         "LibreOffice 在 120 秒内没有响应（打开工作簿），已将其结束。"},
        {ErrorText::fileNotFound("/a.xls"), ErrorNumber::DocumentNotFound, "无法打开文件 /a.xls：文件不存在。"},
        {ErrorText::fileNotAWorkbook("/a.txt"), ErrorNumber::NotAWorkbook, "无法打开文件 /a.txt：这不是工作簿文件。"},
        {ErrorText::fileNotLoaded("/a.xls", "office says"), ErrorNumber::DocumentLoadFailed,
         "无法打开文件 /a.xls：office says"},
        {ErrorText::activeSheetIsChart("/a.xls", "图表1"), ErrorNumber::NotAWorksheet,
         "文件 /a.xls 的活动工作表“图表1”是图表，不是工作表。"},
        {ErrorText::saveDiskFull("/o.xls", "office says"), ErrorNumber::SaveFailed,
         "无法保存文件 /o.xls：磁盘空间不足。\noffice says"},
        {ErrorText::saveOntoOpenDocument("/o.xls", "/a.xls"), ErrorNumber::SaveOntoOpenDocument,
         "无法保存到 /o.xls：该文件是正在使用的工作簿 /a.xls，保存会覆盖它。"},
        {ErrorText::closeFailed("/a.xls", "why"), ErrorNumber::CloseFailed, "无法关闭工作簿 /a.xls：why"},
        {ErrorText::cellNotRead(3, 4, "why"), ErrorNumber::CellAccessFailed, "无法读取第 3 行第 4 列的单元格：why"},
        {ErrorText::outputViewerNotStarted("/o.xls"), ErrorNumber::HandOverFailed, "无法打开输出文件 /o.xls：无法创建进程。"},
        {ErrorText::workbookClosed("/a.xls"), ErrorNumber::OfficeCallFailed, "工作簿 /a.xls 已经关闭。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error.number(), c.number) << c.description;
        EXPECT_EQ(c.error.description(), c.description);
    }
}

// The office's own words get a line of their own, and none when it said nothing.
TEST(ErrorTexts, OfficeCallFailureAddsTheOfficeWordsOnlyWhenThereAreAny)
{
    EXPECT_EQ(ErrorText::officeCallFailed("读取单元格", "").description(), "LibreOffice 调用失败（读取单元格）。");
    EXPECT_EQ(ErrorText::officeCallFailed("读取单元格", "why").description(), "LibreOffice 调用失败（读取单元格）。\nwhy");
    EXPECT_EQ(ErrorText::officeCallFailedInProgram("读取单元格", "").description(), "LibreOffice 调用失败（读取单元格）。\n");
}

TEST(ErrorTexts, SystemReasonsInChineseAndTheSystemsWordsForTheRest)
{
    EXPECT_EQ(ErrorText::systemReason(ENOSPC), "磁盘空间不足。");
    EXPECT_EQ(ErrorText::systemReason(EPERM), ErrorText::systemReason(EACCES));
    const std::string unusual = ErrorText::systemReason(EXDEV);
    EXPECT_EQ(unusual.rfind("系统错误 " + std::to_string(EXDEV) + "。\n", 0), 0u) << unusual;
    EXPECT_GT(unusual.size(), ("系统错误 " + std::to_string(EXDEV) + "。\n").size());
}

TEST(ErrorTexts, FailureLineAsTheWindowAndTheCommandLineShowIt)
{
    EXPECT_EQ(ErrorText::failureLine(2010, "无法打开文件 /a.xls：文件不存在。", "\n"),
              "错误:2010\n无法打开文件 /a.xls：文件不存在。");
}

} // namespace
