#pragma once

// The engine's texts for the user, in one place: every error the engine
// reports, grouped by its number in the order of ErrorNumbers.h, and the
// words those errors are made of. Texts are UTF-8 Chinese. The words of the
// check before saving are in check/LayoutFindings.cpp, the stages of a run in
// progress/StageText.cpp; the window's texts are in
// ui/WindowTexts.h, the command line's in app/cli/CliTexts.h.
//
// Every number in ErrorNumbers.h has at least one builder here (the
// packaging test help_lists_every_error_number checks it against the help
// and the README).

#include "engine/Error.h"

#include <cstddef>
#include <string>

namespace rm::ErrorText {

// ---- Words that complete a description ----

// The reason for an errno value (an unusual value also gets the system's own
// words on a line of their own).
std::string systemReason(int errorNumber);

// A failure met on the hidden working copy, told as the template's: the
// user knows the template's name only.
std::string templateAtFault(const std::string& description);

// What the program was doing in the office when a call failed or timed out:
// "LibreOffice 调用失败（<step>）。"
namespace OfficeStep {
inline constexpr char Connect[] = "连接 LibreOffice";
inline constexpr char CreateServicePrefix[] = "创建服务 ";   // + the service's name
inline constexpr char ReadLocale[] = "读取区域设置";
inline constexpr char CheckWorkbookFile[] = "检查工作簿文件";
inline constexpr char DetectFileType[] = "检测文件类型";
inline constexpr char ReadActiveSheet[] = "读取活动工作表";
inline constexpr char ReadSheetList[] = "读取工作表列表";
inline constexpr char OpenWorkbook[] = "打开工作簿";
inline constexpr char CloseWorkbook[] = "关闭工作簿";
inline constexpr char SaveWorkbook[] = "保存工作簿";
inline constexpr char ActivateSheet[] = "激活工作表";
inline constexpr char SetZeroDisplay[] = "设置零值显示";
inline constexpr char ReadModified[] = "读取修改状态";
inline constexpr char ReadUsedArea[] = "读取已用区域";
inline constexpr char ReadCell[] = "读取单元格";
inline constexpr char ReadFormulaCells[] = "读取公式单元格";
inline constexpr char ReadSheetContent[] = "读取工作表内容";
inline constexpr char PrepareWrites[] = "准备写入";
inline constexpr char WriteCell[] = "写入单元格";
inline constexpr char ReadArrayFormula[] = "读取数组公式";
} // namespace OfficeStep

// ---- Before a merge: the inputs the window and the command line check ----

std::string templatePathTooLong();
std::string templateNotFound();
std::string noSources();
std::string sourcePathTooLong(const std::string& source);
std::string sourceMissing(const std::string& source);

// A failure as the user sees it: "错误:" + number + lineBreak + description.
std::string failureLine(int number, const std::string& description, const std::string& lineBreak);

// ---- 6 Overflow ----

Error overflow();
Error templateAreaTooLarge(long long rows, long long columns, long long cellLimit);

// ---- 1001 OutputPathInvalid ----

Error outputPathWithoutFileName(const std::string& outputPath);

// ---- 1002 WorkingCopyNamesExhausted ----

// `stem` is the folder and "." + the output's base name; the four digits drawn follow it.
Error workingCopyNamesExhausted(const std::string& stem, const std::string& extension);

// ---- 1003 WorkingCopyFailed ----

Error templateUnreadable(const std::string& templatePath, int errorNumber);
Error templateNotRegularFile(const std::string& templatePath);
// The copy's own failures name the output the user chose, never the hidden copy.
Error workingCopyNotMade(const std::string& outputPath, int errorNumber);

// ---- 1004 WorkingCopyRemoveFailed ----

Error workingCopyNotRemoved(const std::string& workingCopyPath, int errorNumber);

// ---- 1005 OutputIsInput ----

Error outputIsSource(const std::string& outputPath);

// ---- 1006 ReportWriteFailed ----

Error reportNotWritten(const std::string& reportPath);

// ---- 1099 UnexpectedFailure ----

Error outOfMemory();
Error unexpected(const std::string& what);
Error unexpected();   // not even a std::exception

// ---- 2001 OfficeNotInstalled ----

Error unoRuntimeUnavailable(const std::string& officeText);
Error officeNotFound(const std::string& sofficePath);

// ---- 2002 OfficeStartFailed ----

Error officeExitedDuringStart();
Error officeNotConnected(const std::string& officeText);
Error officeStartTimedOut(int timeoutMs);
Error officeProfileNotWritten(const std::string& profileFolder);
Error officeProfileFolderNotMade(const std::string& folderPattern);
Error officeProcessFilesNotMade();
Error officeProcessNotMade();

// ---- 2003 OfficeConnectionLost ----

Error officeConnectionLost();
Error officeCallTimedOut(int seconds, const std::string& step);

// ---- 2010 DocumentNotFound, 2011 NotAWorkbook, 2012 DocumentLoadFailed ----
// All of the form "无法打开文件 <path>：<reason>".

Error fileNotFound(const std::string& path);                          // 2010
Error fileNotRegular(const std::string& path);                        // 2011
Error fileIsFolder(const std::string& path);                          // 2011
Error fileTypeUnknown(const std::string& path, const std::string& officeText);   // 2011
Error fileNotAWorkbook(const std::string& path);                      // 2011
Error fileReplacedBeforeLoading(const std::string& path);             // 2011
Error fileReplacedWhileLoading(const std::string& path, const std::string& officeText);   // 2011
Error fileNotReadable(const std::string& path);                       // 2012
Error filePathTooLong(const std::string& path);                       // 2012
Error fileInaccessible(const std::string& path);                      // 2012
Error fileReadFailed(const std::string& path);                        // 2012
Error fileDamaged(const std::string& path, const std::string& part, const std::string& officeText);   // 2012
Error filePartTooLarge(const std::string& path, const std::string& part, std::size_t boundMb);          // 2012
Error filePartDeclaresDocumentType(const std::string& path, const std::string& part);                  // 2012
Error fileNotLoaded(const std::string& path, const std::string& officeText);   // 2012
Error fileRefusedByOffice(const std::string& path);                   // 2012: password, lock, damage

// ---- 2013 NotAWorksheet ----

Error activeSheetIsChart(const std::string& path, const std::string& sheetName);
Error noActiveSheet(const std::string& path);

// ---- 2014 SourceChangedWhileRead ----

Error sourceChangedWhileRead(const std::string& path);

// ---- 2020 SaveFailed ----

Error saveFolderMissing(const std::string& target, const std::string& folder);
Error saveOntoFolder(const std::string& target);
Error saveOntoReadOnlyFile(const std::string& target);
Error saveLockedByOther(const std::string& target, const std::string& lockFile);   // 2020
// The office failed to store; the reason is judged from the file system, the
// office's own words follow on a line of their own.
Error saveFolderNotWritable(const std::string& target, const std::string& folder, const std::string& officeText);
Error saveDiskFull(const std::string& target, const std::string& officeText);
Error saveRefusedByOffice(const std::string& target, const std::string& officeText);

// ---- 2021 SaveOntoOpenDocument ----

Error saveOntoOpenDocument(const std::string& target, const std::string& openPath);

// ---- 2022 CloseFailed ----

Error closeFailed(const std::string& path, const std::string& description);

// ---- 2030 CellAccessFailed ----

Error cellPositionInvalid(int row, int column);
Error cellNotRead(int row, int column, const std::string& description);
Error cellNotWritten(int row, int column, const std::string& description);
Error cellsNotRead(const std::string& description);
Error cellsNotWritten(const std::string& description);

// ---- 2031 MarkInArrayFormula ----

// `cell` ("C4") shows `shown`, a text with "?", and is part of the array formula over `arrayArea` ("C4:D4").
Error markInArrayFormula(const std::string& cell, const std::string& shown, const std::string& arrayArea);

// ---- 2040 HandOverFailed ----

Error nothingToHandOver();
Error handOverUnsaved(const std::string& path);
Error outputNotOpened(const std::string& path, const std::string& reason);
Error outputViewerNotStarted(const std::string& path);

// ---- 2099 OfficeCallFailed ----

Error officeCallFailed(const std::string& step, const std::string& officeText);   // no second line when empty
Error officeCallFailedInProgram(const std::string& step, const std::string& what);
Error workbookClosed(const std::string& path);
Error noWindowForZeroDisplay();

} // namespace rm::ErrorText
