#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

namespace rm::ui {

// What one showing of the shared file dialog asks for.
struct FileDialogRequest {
    // OpenSeveral: one or more existing files.
    enum class Mode { Open, OpenSeveral, Save };
    Mode mode = Mode::Open;
    QString fileName;         // shown when the dialog opens; may be a full path
    QStringList nameFilters;  // Qt's form: "Description (pattern)"; the first is selected
    bool confirmOverwrite = false;
};

// Shows a modal file dialog and gives the chosen full paths in the dialog's
// order (one for Open and Save), or none when the user cancelled. Tests
// replace it with a scripted one.
class FileDialogPresenter {
public:
    virtual ~FileDialogPresenter() = default;
    virtual QStringList present(QWidget* owner, const FileDialogRequest& request) = 0;
};

// The real dialog: Qt's own QFileDialog widget (never the desktop's native
// one, so that it reads Chinese with Qt's translation and its list can be
// filtered), modal to `owner`. Open dialogs do not offer files the merge's
// checks refuse (names starting with "." or "~$").
class QtFileDialogPresenter : public FileDialogPresenter {
public:
    QStringList present(QWidget* owner, const FileDialogRequest& request) override;

    // The configured, not yet shown dialog (kept apart so its set-up can be checked).
    static std::unique_ptr<QFileDialog> makeDialog(QWidget* owner, const FileDialogRequest& request);
};

} // namespace rm::ui
