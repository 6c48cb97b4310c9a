#include "ui/Form1Services.h"

#include "engine/files/FileSearch.h"
#include "ui/DesktopOpener.h"
#include "ui/FolderBrowser.h"
#include "ui/TemplateSetting.h"

#include <QCoreApplication>

namespace rm::ui {

Form1Services Form1Services::withDefaults() const
{
    Form1Services s = *this;
    if (!s.fileDialogs)
        s.fileDialogs = std::make_shared<QtFileDialogPresenter>();
    if (!s.messageBoxes)
        s.messageBoxes = std::make_shared<QtMessageBoxes>();
    if (!s.browseForFolder)
        s.browseForFolder = &FolderBrowser::browseForFolder;
    if (!s.localNow)
        s.localNow = [] { return QDateTime::currentDateTime(); };
    if (!s.openUrl)
        s.openUrl = &openWithDesktop;
    if (!s.programFolder)
        s.programFolder = [] { return QCoreApplication::applicationDirPath(); };
    if (!s.exitProgram)
        s.exitProgram = [] { QCoreApplication::exit(0); };
    if (!s.listWorkbooks)
        s.listWorkbooks = &rm::listWorkbookNames;
    if (s.settingsName.isEmpty())
        s.settingsName = TemplateSetting::programSettingsName();
    return s;
}

} // namespace rm::ui
