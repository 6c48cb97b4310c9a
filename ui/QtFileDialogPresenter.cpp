#include "ui/FileDialogPresenter.h"

#include <QFileDialog>

namespace rm::ui {

std::unique_ptr<QFileDialog> QtFileDialogPresenter::makeDialog(QWidget* owner, const FileDialogRequest& request)
{
    auto dialog = std::make_unique<QFileDialog>(owner);
    dialog->setWindowModality(Qt::WindowModal);
    const bool saving = request.mode == FileDialogRequest::Mode::Save;
    dialog->setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The user reads the description alone, as the filter text gives it.
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog->setNameFilters(request.nameFilters);
    if (!request.fileName.isEmpty())
        dialog->selectFile(request.fileName);
    return dialog;
}

std::optional<QString> QtFileDialogPresenter::present(QWidget* owner, const FileDialogRequest& request)
{
    auto dialog = makeDialog(owner, request);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.first();
}

} // namespace rm::ui
