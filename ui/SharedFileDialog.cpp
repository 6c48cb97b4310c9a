#include "ui/SharedFileDialog.h"

namespace rm::ui {

SharedFileDialog::SharedFileDialog(std::shared_ptr<FileDialogPresenter> presenter)
    : m_presenter(std::move(presenter))
{
}

bool SharedFileDialog::showOpen(QWidget* owner)
{
    return show(owner, FileDialogRequest::Mode::Open);
}

bool SharedFileDialog::showOpenSeveral(QWidget* owner)
{
    return show(owner, FileDialogRequest::Mode::OpenSeveral);
}

bool SharedFileDialog::showSave(QWidget* owner)
{
    return show(owner, FileDialogRequest::Mode::Save);
}

bool SharedFileDialog::show(QWidget* owner, FileDialogRequest::Mode mode)
{
    FileDialogRequest request;
    request.mode = mode;
    request.fileName = m_fileName;
    request.nameFilters = toQtNameFilters(m_filter);
    request.confirmOverwrite = mode == FileDialogRequest::Mode::Save && (m_flags & OverwritePrompt) != 0;
    const QStringList chosen = m_presenter->present(owner, request);
    if (chosen.isEmpty())
        return false;
    m_fileNames = chosen;
    m_fileName = chosen.last();
    return true;
}

QStringList SharedFileDialog::toQtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        result << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))
                      + QLatin1Char(')');
    return result;
}

} // namespace rm::ui
