#pragma once

// Fixed texts and addresses of the main window.

#include <QString>

namespace rm::ui {

inline const QString applicationTitle = QStringLiteral("Brivane 合并报表");
inline const QString siteHostName = QStringLiteral("www.brivane.example");
inline const QString siteAddress = QStringLiteral("http://www.brivane.example/");
inline const QString helpFileName = QStringLiteral("help.chm");
// Settings organisation; the application name is the program file's base name.
inline const QString settingsOrganization = QStringLiteral("Brivane");

} // namespace rm::ui
