#pragma once

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

namespace rm::ui::FolderBrowser {

// A folder chooser offering folders only, titled `title`, owned by
// `ownerWindow` (nullptr: no owner, no window is disabled). Gives the chosen
// folder's full path ("/" for the root, others without a trailing separator),
// or "" when the user cancelled or anything failed.
QString browseForFolder(QWidget* ownerWindow, const QString& title);

// The configured, not yet shown folder dialog: Qt's own widget dialog (so it
// reads Chinese with Qt's translation), folders only.
std::unique_ptr<QFileDialog> makeDialog(QWidget* ownerWindow, const QString& title);

} // namespace rm::ui::FolderBrowser
