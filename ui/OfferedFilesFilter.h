#pragma once

#include "ui/ChineseFileColumns.h"

namespace rm::ui {

// Sits between an open dialog and its file system model and hides the files
// that the template and source checks count as absent (names starting with
// "." or "~$", such as office lock files), whatever the dialog's "show
// hidden files" setting. Folders pass; sizes and dates read Chinese.
class OfferedFilesFilter : public ChineseFileColumns {
public:
    using ChineseFileColumns::ChineseFileColumns;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
};

} // namespace rm::ui
