#pragma once

// Fixed texts and addresses of the window layer: every text the window and
// its dialogs show, apart from the engine's own (engine/ErrorTexts.h,
// engine/check/LayoutFindings.h) and Qt's (ui/ChineseTranslation.cpp).

#include <QString>

#include <cstddef>

namespace rm::ui {

inline const QString applicationTitle = QStringLiteral("Brivane 合并报表");
// Short enough for lblSite to show it whole at its 7.5-point font.
inline const QString siteHostName = QStringLiteral("brivane.example");
inline const QString siteAddress = QStringLiteral("http://brivane.example/");
// The shared dialog's filters ("description|pattern" lines, patterns joined
// by ";"). The first line is the one a dialog opens with; the open dialogs'
// "*xls" has no dot, the save dialog's has.
inline const QString openWorkbookFilter =
    QStringLiteral("Excel File(.xls)|*xls|所有表格文件 (*.xls *.xlsx *.ods)|*.xls;*.xlsx;*.ods");
inline const QString saveWorkbookFilter =
    QStringLiteral("Excel File(.xls)|*.xls|所有表格文件 (*.xls *.xlsx *.ods)|*.xls;*.xlsx;*.ods");
inline const QString helpFileName = QStringLiteral("help.chm");
// Settings organisation; the application name is the program file's base name.
inline const QString settingsOrganization = QStringLiteral("Brivane");

// Window captions: Form1's labels, frame and buttons.
inline const QString titleCaption = QStringLiteral("合并报表");
inline const QString titleFontFamily = QStringLiteral("黑体");
inline const QString templateCaption = QStringLiteral("模板文件：");
inline const QString templateCaptionFontFamily = QStringLiteral("宋体");
inline const QString workingCaption = QStringLiteral("正在处理，请稍候……");
inline const QString sloganCaption = QStringLiteral("简单实用的就是最好的！更多免费好用软件请访问：");
inline const QString sourceListCaption = QStringLiteral("需要合并的文件列表");
inline const QString addCaption = QStringLiteral("添加");
inline const QString addFolderCaption = QStringLiteral("添加目录所有文件");
inline const QString removeCaption = QStringLiteral("移除");
// Shown in the source list while it is empty.
inline const QString emptyListHint = QStringLiteral("可将工作簿或文件夹拖放到这里");
inline const QString openCaption = QStringLiteral("打开");
inline const QString mergeCaption = QStringLiteral("开始合并");
inline const QString helpCaption = QStringLiteral("帮助");
inline const QString allSheetsCaption = QStringLiteral("合并所有工作表");
// The folder browser's prompt (添加目录所有文件).
inline const QString chooseFolderPrompt = QStringLiteral("选择目录");
// The start of the name the save dialog proposes.
inline const QString outputNamePrefix = QStringLiteral("合并后报表-");

// Messages.
inline const QString mergeFinished = QStringLiteral("报表合并完成。");
inline QString listFull(int maximumEntries)
{
    return QStringLiteral("列表最多只能容纳 %1 个文件，无法再添加。").arg(maximumEntries);
}

// 帮助 when nothing opened help.chm.
inline QString helpViewerMissing(const QString& helpPath)
{
    return QStringLiteral("无法打开帮助文件：%1\n没有能打开 .chm 文件的程序。请安装 CHM 阅读器后再试，例如 xchm：\n"
                          "sudo apt-get install xchm")
        .arg(helpPath);
}
inline QString helpFileMissing(const QString& helpPath)
{
    return QStringLiteral("找不到帮助文件：%1").arg(helpPath);
}

// The save-choice dialog: its summary of the check before saving, the
// explanation of its choices and its buttons.
inline QString layoutDiffersCount(int differing)
{
    return QStringLiteral("%1 个文件版式与模板不同").arg(differing);
}
inline QString layoutDiffersCount(int differing, int alignable)
{
    return QStringLiteral("%1 个文件版式与模板不同（%2 个可按标签对齐）").arg(differing).arg(alignable);
}
inline QString sameContentCount(int duplicates)
{
    return QStringLiteral("%1 个文件与前面的文件内容相同").arg(duplicates);
}
inline QString nothingToAddCount(int empty)
{
    return QStringLiteral("%1 个文件没有可相加的数字").arg(empty);
}
inline const QString templateMarksNothing = QStringLiteral("模板中没有要填写的单元格");
inline QString activeSheetDiffersCount(int differing)
{
    return QStringLiteral("%1 个文件的活动工作表与模板不同（可按工作表名称读取）").arg(differing);
}
inline QString missingSheetCount(int missing)
{
    return QStringLiteral("%1 处缺少工作表").arg(missing);
}
inline const QString findingCountsSeparator = QStringLiteral("，");
inline QString checkSummary(std::size_t problems, const QString& counts)
{
    return QStringLiteral("合并前检查发现 %1 项问题：%2。").arg(problems).arg(counts);
}
inline const QString saveChoicesExplanation =
    QStringLiteral("按标签对齐：可对齐的文件从其行、列标签所在的位置读取数字，活动工作表与模板不同的文件读取与模板同名的工作表；按位置：每个文件都从模板的单元格位置读取；"
                   "不保存：什么也不保存，可修改文件列表后重新合并。");
inline const QString alignAndSaveCaption = QStringLiteral("按标签对齐后保存");
inline const QString saveByPositionCaption = QStringLiteral("按位置保存");
inline const QString dontSaveCaption = QStringLiteral("不保存");

// Drops on the source list and on the template field.
inline QString namesCount(qsizetype names)
{
    return QStringLiteral("……共 %1 个").arg(names);
}
inline const QString alreadyListedHeading = QStringLiteral("以下文件已在列表中，没有重复添加：");
inline const QString notWorkbooksHeading = QStringLiteral("以下文件不是工作簿，没有添加：");
inline const QString templateDropNotOne = QStringLiteral("模板文件只能是一个工作簿，请只拖放一个文件。");
inline QString templateDropIsFolder(const QString& path)
{
    return QStringLiteral("模板文件须是一个工作簿，不能是文件夹：\n%1").arg(path);
}
inline QString templateDropNotWorkbook(const QString& shown)
{
    return QStringLiteral("这个文件不是工作簿，不能作为模板文件：\n%1").arg(shown);
}

// Progress: the stage label while the check's question waits for the user.
inline const QString waitingForChoice = QStringLiteral("等待您的选择");
// Progress: the least room a source's shortened name is shown in, beside the
// stage (the stage texts themselves are the engine's, engine/progress/StageText.h).
inline const QString shortestShownName = QStringLiteral("一…一");

} // namespace rm::ui
