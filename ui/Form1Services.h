#pragma once

// What Form1 needs from the outside world, each replaceable by tests. Members
// left empty are filled with the real thing (see withDefaults).

#include "ui/FileDialogPresenter.h"
#include "ui/MessageBoxes.h"

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace rm::ui {

struct Form1Services {
    std::shared_ptr<FileDialogPresenter> fileDialogs;
    std::shared_ptr<MessageBoxes> messageBoxes;
    std::function<QString(QWidget* ownerWindow, const QString& title)> browseForFolder;
    std::function<QDateTime()> localNow;
    // Hands a file or web address to the desktop; returns at once. When
    // `failed` is given it is called later, on the window's thread, if no
    // program could open it.
    std::function<void(const QUrl&, const std::function<void()>& failed)> openUrl;
    // The folder of the running program file, as the platform gives it.
    std::function<QString()> programFolder;
    // Ends the program after a successful merge.
    std::function<void()> exitProgram;
    // The workbook names a folder holds; called off the window's thread.
    std::function<std::vector<std::string>(const std::string& folder)> listWorkbooks;
    // Application name of the remembered template setting; empty: the program's.
    QString settingsName;

    Form1Services withDefaults() const;
};

} // namespace rm::ui
