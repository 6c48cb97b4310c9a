#pragma once

// Fixed texts and addresses of the main window.

#include <QString>

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

} // namespace rm::ui
