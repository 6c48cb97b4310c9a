#pragma once

#include "ui/FileDialogPresenter.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QWidget;

namespace rm::ui {

// `cd1`: the one file dialog every file choice of the window shares. Its file
// name, filter and options word keep what the last use left; each command
// sets only what it names, so every dialog opens with the file name the
// previous one ended with.
class SharedFileDialog {
public:
    // Options bit: ask before an existing file is replaced (save dialog).
    static constexpr std::uint32_t OverwritePrompt = 2;

    explicit SharedFileDialog(std::shared_ptr<FileDialogPresenter> presenter);

    // After a confirmed dialog that chose several files: the last of them,
    // so the next dialog opens beside the workbook added last.
    QString fileName() const { return m_fileName; }
    // Every file the last confirmed dialog chose, in the dialog's order.
    QStringList fileNames() const { return m_fileNames; }
    void setFileName(const QString& name)
    {
        m_fileName = name;
        m_fileNames = QStringList{name};
    }
    QString filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    std::uint32_t flags() const { return m_flags; }
    void setFlags(std::uint32_t flags) { m_flags = flags; }

    // Modal open/save dialog. True when the user confirmed a file; the file
    // name is then the chosen full path. A cancel changes nothing.
    bool showOpen(QWidget* owner);
    bool showSave(QWidget* owner);
    // Open dialog in which several files can be chosen at once (fileNames).
    bool showOpenSeveral(QWidget* owner);

    // "Desc|pattern|Desc2|p1;p2" -> {"Desc (pattern)", "Desc2 (p1 p2)"}.
    static QStringList toQtNameFilters(const QString& filter);

private:
    bool show(QWidget* owner, FileDialogRequest::Mode mode);

    std::shared_ptr<FileDialogPresenter> m_presenter;
    QString m_fileName;
    QStringList m_fileNames;
    QString m_filter;
    std::uint32_t m_flags = 0;
};

} // namespace rm::ui
