#pragma once

#include <QSortFilterProxyModel>

namespace rm::ui {

// Sits between an open dialog and its file system model and hides the files
// that the template and source checks count as absent (names starting with
// "." or "~$", such as office lock files), whatever the dialog's "show
// hidden files" setting. Folders pass, and the model's own order stays.
class OfferedFilesFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void sort(int column, Qt::SortOrder order) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
};

} // namespace rm::ui
