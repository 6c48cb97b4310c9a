#include "ui/FolderBrowser.h"

#include <QFileDialog>

namespace rm::ui::FolderBrowser {

QString browseForFolder(QWidget* ownerWindow, const QString& title)
{
    try {
        const QString chosen = QFileDialog::getExistingDirectory(ownerWindow, title, QString(),
                                                                 QFileDialog::ShowDirsOnly);
        if (chosen.isEmpty())
            return QString();
        QString path = chosen;
        while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
            path.chop(1);
        return path;
    } catch (...) {
        return QString();
    }
}

} // namespace rm::ui::FolderBrowser
