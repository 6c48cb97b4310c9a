#include "engine/ErrorTexts.h"

#include "engine/ErrorNumbers.h"

#include <cerrno>
#include <system_error>

namespace rm::ErrorText {

namespace {

const char* chineseReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT: return "文件或文件夹不存在。";
    case ENOTDIR: return "路径中有一级不是文件夹。";
    case EISDIR: return "这是一个文件夹。";
    case EACCES:
    case EPERM: return "没有权限。";
    case EROFS: return "文件系统是只读的。";
    case ENOSPC: return "磁盘空间不足。";
    case EDQUOT: return "超出了磁盘配额。";
    case ENAMETOOLONG: return "路径或文件名太长，系统无法处理。";
    case EEXIST: return "已有同名的文件。";
    case ELOOP: return "符号链接的层数太多。";
    case EMFILE:
    case ENFILE: return "打开的文件太多。";
    case EIO: return "读写设备时出错。";
    case EFBIG: return "文件太大。";
    default: return nullptr;
    }
}

const char kPathLimits[] = "（整个路径最多 4096 字节，其中每一级名称最多 255 字节）";

Error fileOpenError(int number, const std::string& path, const std::string& reason)
{
    return Error(number, "无法打开文件 " + path + "：" + reason);
}

std::string cellName(int row, int column)
{
    return "第 " + std::to_string(row) + " 行第 " + std::to_string(column) + " 列的单元格";
}

std::string officeCallFailedText(const std::string& step)
{
    return "LibreOffice 调用失败（" + step + "）。";
}

std::string saveFailedText(const std::string& target, const std::string& reason)
{
    return "无法保存文件 " + target + "：" + reason;
}

} // namespace

std::string systemReason(int errorNumber)
{
    const std::string system = std::error_code(errorNumber, std::system_category()).message();
    if (const char* reason = chineseReason(errorNumber))
        return reason;
    return "系统错误 " + std::to_string(errorNumber) + "。\n" + system;
}

std::string templateAtFault(const std::string& description)
{
    return "模板文件有问题：" + description;
}

// ---- Before a merge ----

std::string templatePathTooLong()
{
    return std::string("模板文件的路径太长，系统无法处理") + kPathLimits + "，请把模板移到路径较短的位置后重新选择。";
}

std::string templateNotFound()
{
    return "模板文件未找到，请重新选择模板文件。";
}

std::string noSources()
{
    return "请添加相应的合并文件。";
}

std::string sourcePathTooLong(const std::string& source)
{
    return source + " 的路径太长，系统无法处理" + kPathLimits + "，请把它移到路径较短的位置。";
}

std::string sourceMissing(const std::string& source)
{
    return "请检查" + source + "是否存在。";
}

std::string failureLine(int number, const std::string& description, const std::string& lineBreak)
{
    return "错误:" + std::to_string(number) + lineBreak + description;
}

// ---- 6 Overflow ----

Error overflow()
{
    return Error(ErrorNumber::Overflow, "溢出");
}

Error templateAreaTooLarge(long long rows, long long columns, long long cellLimit)
{
    return Error(ErrorNumber::Overflow, "溢出：模板的已用区域有 " + std::to_string(rows) + " 行 × " +
                                            std::to_string(columns) + " 列，超过一次合并可处理的 " +
                                            std::to_string(cellLimit) +
                                            " 个单元格。请删除模板中表格以外的多余内容或格式后重新合并。");
}

// ---- 1001 OutputPathInvalid ----

Error outputPathWithoutFileName(const std::string& outputPath)
{
    return Error(ErrorNumber::OutputPathInvalid, "输出文件路径中没有文件名：" + outputPath);
}

// ---- 1002 WorkingCopyNamesExhausted ----

Error workingCopyNamesExhausted(const std::string& stem, const std::string& extension)
{
    return Error(ErrorNumber::WorkingCopyNamesExhausted,
                 "无法为工作副本找到未被占用的文件名：" + stem + "NNNN" + extension);
}

// ---- 1003 WorkingCopyFailed ----

Error templateUnreadable(const std::string& templatePath, int errorNumber)
{
    return Error(ErrorNumber::WorkingCopyFailed, "无法读取模板文件“" + templatePath + "”：" + systemReason(errorNumber));
}

Error templateNotRegularFile(const std::string& templatePath)
{
    return Error(ErrorNumber::WorkingCopyFailed, "模板文件不是普通文件：“" + templatePath + "”");
}

Error workingCopyNotMade(const std::string& outputPath, int errorNumber)
{
    return Error(ErrorNumber::WorkingCopyFailed,
                 "无法在输出文件“" + outputPath + "”所在的文件夹中创建工作副本：" + systemReason(errorNumber));
}

// ---- 1004 WorkingCopyRemoveFailed ----

Error workingCopyNotRemoved(const std::string& workingCopyPath, int errorNumber)
{
    return Error(ErrorNumber::WorkingCopyRemoveFailed,
                 "无法删除工作副本“" + workingCopyPath + "”：" + systemReason(errorNumber));
}

// ---- 1005 OutputIsInput ----

Error outputIsSource(const std::string& outputPath)
{
    return Error(ErrorNumber::OutputIsInput, "输出文件不能覆盖要合并的文件：" + outputPath);
}

// ---- 1006 ReportWriteFailed ----

Error reportNotWritten(const std::string& reportPath)
{
    return Error(ErrorNumber::ReportWriteFailed, "无法写入报告文件：" + reportPath);
}

// ---- 1099 UnexpectedFailure ----

Error outOfMemory()
{
    return Error(ErrorNumber::UnexpectedFailure, "内存不足，无法完成合并。请关闭其他程序后重试。");
}

Error unexpected(const std::string& what)
{
    return Error(ErrorNumber::UnexpectedFailure, "意外的错误：" + what);
}

Error unexpected()
{
    return Error(ErrorNumber::UnexpectedFailure, "意外的错误。");
}

// ---- 2001 OfficeNotInstalled ----

Error unoRuntimeUnavailable(const std::string& officeText)
{
    return Error(ErrorNumber::OfficeNotInstalled, "无法初始化 LibreOffice 的 UNO 运行环境：" + officeText);
}

Error officeNotFound(const std::string& sofficePath)
{
    return Error(ErrorNumber::OfficeNotInstalled,
                 "未找到 LibreOffice（" + sofficePath + " 不存在或不可执行），请先安装 LibreOffice Calc。");
}

// ---- 2002 OfficeStartFailed ----

Error officeExitedDuringStart()
{
    return Error(ErrorNumber::OfficeStartFailed, "LibreOffice 启动失败：办公软件进程意外退出。");
}

Error officeNotConnected(const std::string& officeText)
{
    return Error(ErrorNumber::OfficeStartFailed, "无法连接 LibreOffice：" + officeText);
}

Error officeStartTimedOut(int timeoutMs)
{
    return Error(ErrorNumber::OfficeStartFailed,
                 "LibreOffice 启动失败：" + std::to_string(timeoutMs) + " 毫秒内没有响应。");
}

Error officeProfileNotWritten(const std::string& profileFolder)
{
    return Error(ErrorNumber::OfficeStartFailed, "无法写入办公软件的临时配置：" + profileFolder);
}

Error officeProfileFolderNotMade(const std::string& folderPattern)
{
    return Error(ErrorNumber::OfficeStartFailed, "无法创建办公软件的临时配置文件夹：" + folderPattern);
}

Error officeProcessFilesNotMade()
{
    return Error(ErrorNumber::OfficeStartFailed, "无法启动 LibreOffice：无法创建进程所需的文件。");
}

Error officeProcessNotMade()
{
    return Error(ErrorNumber::OfficeStartFailed, "无法启动 LibreOffice：无法创建进程。");
}

// ---- 2003 OfficeConnectionLost ----

Error officeConnectionLost()
{
    return Error(ErrorNumber::OfficeConnectionLost, "与 LibreOffice 的连接已断开（办公软件进程已退出）。");
}

Error officeCallTimedOut(int seconds, const std::string& step)
{
    return Error(ErrorNumber::OfficeConnectionLost,
                 "LibreOffice 在 " + std::to_string(seconds) + " 秒内没有响应（" + step + "），已将其结束。");
}

// ---- 2010 DocumentNotFound, 2011 NotAWorkbook, 2012 DocumentLoadFailed ----

Error fileNotFound(const std::string& path)
{
    return fileOpenError(ErrorNumber::DocumentNotFound, path, "文件不存在。");
}

Error fileNotRegular(const std::string& path)
{
    return fileOpenError(ErrorNumber::NotAWorkbook, path, "这不是一个普通文件。");
}

Error fileIsFolder(const std::string& path)
{
    return fileOpenError(ErrorNumber::NotAWorkbook, path, "这不是一个文件。");
}

Error fileTypeUnknown(const std::string& path, const std::string& officeText)
{
    return fileOpenError(ErrorNumber::NotAWorkbook, path, "LibreOffice 无法识别该文件的类型。\n" + officeText);
}

Error fileNotAWorkbook(const std::string& path)
{
    return fileOpenError(ErrorNumber::NotAWorkbook, path, "这不是工作簿文件。");
}

Error fileReplacedBeforeLoading(const std::string& path)
{
    return fileOpenError(ErrorNumber::NotAWorkbook, path, "文件在打开时被替换了，现在不是原来的普通文件。");
}

Error fileReplacedWhileLoading(const std::string& path, const std::string& officeText)
{
    return fileOpenError(ErrorNumber::NotAWorkbook, path, "文件在打开时被替换了，现在不是普通文件。\n" + officeText);
}

Error fileNotReadable(const std::string& path)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path, "没有读取该文件的权限。");
}

Error filePathTooLong(const std::string& path)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path, "路径太长，系统无法处理。");
}

Error fileInaccessible(const std::string& path)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path, "无法访问该文件。");
}

Error fileReadFailed(const std::string& path)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path, "读取文件时出错。");
}

Error fileDamaged(const std::string& path, const std::string& part, const std::string& officeText)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path,
                         "文件已损坏（其中的 " + part + " 不完整或有错误），只能读出一部分内容，无法正确合并。\n"
                         "LibreOffice：" + officeText);
}

Error filePartTooLarge(const std::string& path, const std::string& part, std::size_t boundMb)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path,
                         "文件过大或已损坏：其中的 " + part + " 解压后超过 " + std::to_string(boundMb) +
                             " MB，不是正常的工作簿内容，无法合并。");
}

Error filePartDeclaresDocumentType(const std::string& path, const std::string& part)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path,
                         "文件格式有误：其中的 " + part + " 含有文档类型声明（DOCTYPE），正常的工作簿不会有，无法合并。");
}

Error fileNotLoaded(const std::string& path, const std::string& officeText)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path, officeText);
}

Error fileRefusedByOffice(const std::string& path)
{
    return fileOpenError(ErrorNumber::DocumentLoadFailed, path, "文件受密码保护、已被其他程序锁定或已损坏。");
}

// ---- 2013 NotAWorksheet ----

Error activeSheetIsChart(const std::string& path, const std::string& sheetName)
{
    return Error(ErrorNumber::NotAWorksheet, "文件 " + path + " 的活动工作表“" + sheetName + "”是图表，不是工作表。");
}

Error noActiveSheet(const std::string& path)
{
    return Error(ErrorNumber::NotAWorksheet, "文件 " + path + " 没有活动工作表。");
}

// ---- 2014 SourceChangedWhileRead ----

Error sourceChangedWhileRead(const std::string& path)
{
    return Error(ErrorNumber::SourceChangedWhileRead,
                 "合并文件 " + path +
                     " 在读取过程中被修改，读到的内容不可靠。请在合并期间不要改动要合并的文件，然后重新合并。");
}

// ---- 2020 SaveFailed ----

Error saveFolderMissing(const std::string& target, const std::string& folder)
{
    return Error(ErrorNumber::SaveFailed, saveFailedText(target, "文件夹 " + folder + " 不存在。"));
}

Error saveOntoFolder(const std::string& target)
{
    return Error(ErrorNumber::SaveFailed, saveFailedText(target, "已有一个同名的文件夹。"));
}

Error saveOntoReadOnlyFile(const std::string& target)
{
    return Error(ErrorNumber::SaveFailed, saveFailedText(target, "该文件是只读文件。"));
}

Error saveLockedByOther(const std::string& target, const std::string& lockFile)
{
    return Error(ErrorNumber::SaveFailed,
                 saveFailedText(target, "该文件已被其他程序锁定（锁定文件 " + lockFile +
                                            " 不是普通文件），请关闭使用它的程序或另选文件名。"));
}

Error saveFolderNotWritable(const std::string& target, const std::string& folder, const std::string& officeText)
{
    return Error(ErrorNumber::SaveFailed, saveFailedText(target, "没有写入文件夹 " + folder + " 的权限。\n" + officeText));
}

Error saveDiskFull(const std::string& target, const std::string& officeText)
{
    return Error(ErrorNumber::SaveFailed, saveFailedText(target, "磁盘空间不足。\n" + officeText));
}

Error saveRefusedByOffice(const std::string& target, const std::string& officeText)
{
    return Error(ErrorNumber::SaveFailed, saveFailedText(target, "LibreOffice 无法写入该文件。\n" + officeText));
}

// ---- 2021 SaveOntoOpenDocument ----

Error saveOntoOpenDocument(const std::string& target, const std::string& openPath)
{
    return Error(ErrorNumber::SaveOntoOpenDocument,
                 "无法保存到 " + target + "：该文件是正在使用的工作簿 " + openPath + "，保存会覆盖它。");
}

// ---- 2022 CloseFailed ----

Error closeFailed(const std::string& path, const std::string& description)
{
    return Error(ErrorNumber::CloseFailed, "无法关闭工作簿 " + path + "：" + description);
}

// ---- 2030 CellAccessFailed ----

Error cellPositionInvalid(int row, int column)
{
    return Error(ErrorNumber::CellAccessFailed,
                 "单元格位置无效（第 " + std::to_string(row) + " 行，第 " + std::to_string(column) + " 列）。");
}

Error cellNotRead(int row, int column, const std::string& description)
{
    return Error(ErrorNumber::CellAccessFailed, "无法读取" + cellName(row, column) + "：" + description);
}

Error cellNotWritten(int row, int column, const std::string& description)
{
    return Error(ErrorNumber::CellAccessFailed, "无法写入" + cellName(row, column) + "：" + description);
}

Error cellsNotRead(const std::string& description)
{
    return Error(ErrorNumber::CellAccessFailed, "无法读取单元格：" + description);
}

Error cellsNotWritten(const std::string& description)
{
    return Error(ErrorNumber::CellAccessFailed, "无法写入单元格：" + description);
}

// ---- 2031 MarkInArrayFormula ----

Error markInArrayFormula(const std::string& cell, const std::string& shown, const std::string& arrayArea)
{
    return Error(ErrorNumber::MarkInArrayFormula,
                 "模板中的单元格 " + cell + " 显示“" + shown + "”，含有问号，是要填写的单元格，但它属于数组公式 " +
                     arrayArea + "，不能只修改数组公式的一部分。没有向它写入数字，结果也没有保存。\n"
                     "请在模板中删除或改写该数组公式（或去掉使它显示问号的原因）后重新合并。");
}

// ---- 2040 HandOverFailed ----

Error nothingToHandOver()
{
    return Error(ErrorNumber::HandOverFailed, "没有可以交给用户的工作簿。");
}

Error handOverUnsaved(const std::string& path)
{
    return Error(ErrorNumber::HandOverFailed, "工作簿 " + path + " 有尚未保存的修改，无法交给用户。");
}

Error outputNotOpened(const std::string& path, const std::string& reason)
{
    return Error(ErrorNumber::HandOverFailed, "无法打开输出文件 " + path + "：" + reason);
}

Error outputViewerNotStarted(const std::string& path)
{
    return outputNotOpened(path, "无法创建进程。");
}

// ---- 2099 OfficeCallFailed ----

Error officeCallFailed(const std::string& step, const std::string& officeText)
{
    return Error(ErrorNumber::OfficeCallFailed,
                 officeCallFailedText(step) + (officeText.empty() ? "" : "\n" + officeText));
}

Error officeCallFailedInProgram(const std::string& step, const std::string& what)
{
    return Error(ErrorNumber::OfficeCallFailed, officeCallFailedText(step) + "\n" + what);
}

Error workbookClosed(const std::string& path)
{
    return Error(ErrorNumber::OfficeCallFailed, "工作簿 " + path + " 已经关闭。");
}

Error noWindowForZeroDisplay()
{
    return Error(ErrorNumber::OfficeCallFailed, "没有打开的工作簿窗口，无法设置零值显示。");
}

} // namespace rm::ErrorText
