#include "ui/FileDialogPresenter.h"

#include "ui/OfferedFilesFilter.h"

#include <QFileDialog>

namespace rm::ui {

std::unique_ptr<QFileDialog> QtFileDialogPresenter::makeDialog(QWidget* owner, const FileDialogRequest& request)
{
    auto dialog = std::make_unique<QFileDialog>(owner);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setWindowModality(Qt::WindowModal);
    const bool saving = request.mode == FileDialogRequest::Mode::Save;
    dialog->setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    switch (request.mode) {
    case FileDialogRequest::Mode::Open: dialog->setFileMode(QFileDialog::ExistingFile); break;
    case FileDialogRequest::Mode::OpenSeveral: dialog->setFileMode(QFileDialog::ExistingFiles); break;
    case FileDialogRequest::Mode::Save: dialog->setFileMode(QFileDialog::AnyFile); break;
    }
    if (saving)
        dialog->setProxyModel(new ChineseFileColumns(dialog.get()));
    else
        dialog->setProxyModel(new OfferedFilesFilter(dialog.get()));
    // The user reads the description alone, as the filter text gives it.
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog->setNameFilters(request.nameFilters);
    if (!request.fileName.isEmpty())
        dialog->selectFile(request.fileName);
    return dialog;
}

QStringList QtFileDialogPresenter::present(QWidget* owner, const FileDialogRequest& request)
{
    auto dialog = makeDialog(owner, request);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles();
}

} // namespace rm::ui
