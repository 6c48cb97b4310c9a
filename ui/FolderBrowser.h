#pragma once

#include <QString>

class QWidget;

namespace rm::ui::FolderBrowser {

// A folder chooser offering folders only, titled `title`, owned by
// `ownerWindow` (nullptr: no owner, no window is disabled). Gives the chosen
// folder's full path ("/" for the root, others without a trailing separator),
// or "" when the user cancelled or anything failed.
QString browseForFolder(QWidget* ownerWindow, const QString& title);

} // namespace rm::ui::FolderBrowser
