#include "ui/FolderBrowser.h"

#include "ui/ChineseFileColumns.h"

#include <QFileDialog>

namespace rm::ui::FolderBrowser {

std::unique_ptr<QFileDialog> makeDialog(QWidget* ownerWindow, const QString& title)
{
    auto dialog = std::make_unique<QFileDialog>(ownerWindow, title);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setProxyModel(new ChineseFileColumns(dialog.get()));
    return dialog;
}

QString browseForFolder(QWidget* ownerWindow, const QString& title)
{
    try {
        auto dialog = makeDialog(ownerWindow, title);
        if (dialog->exec() != QDialog::Accepted)
            return QString();
        const QString chosen = dialog->selectedUrls().value(0).toLocalFile();
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
