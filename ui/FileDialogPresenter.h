#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace rm::ui {

// What one showing of the shared file dialog asks for.
struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString fileName;         // shown when the dialog opens; may be a full path
    QStringList nameFilters;  // Qt's form: "Description (pattern)"
    bool confirmOverwrite = false;
};

// Shows a modal file dialog and gives the chosen full path, or nothing when
// the user cancelled. Tests replace it with a scripted one.
class FileDialogPresenter {
public:
    virtual ~FileDialogPresenter() = default;
    virtual std::optional<QString> present(QWidget* owner, const FileDialogRequest& request) = 0;
};

// The real dialog: a QFileDialog, modal to `owner`.
class QtFileDialogPresenter : public FileDialogPresenter {
public:
    std::optional<QString> present(QWidget* owner, const FileDialogRequest& request) override;

    // The configured, not yet shown dialog (kept apart so its set-up can be checked).
    static std::unique_ptr<QFileDialog> makeDialog(QWidget* owner, const FileDialogRequest& request);
};

} // namespace rm::ui
