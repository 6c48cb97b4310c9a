#pragma once

#include <QSortFilterProxyModel>

namespace rm::ui {

// Sits between a file dialog and its file system model and writes the size
// and date columns in the program's locale (Chinese), which the model itself
// writes in the user's system locale. Everything else passes unchanged, and
// the model's own order stays.
class ChineseFileColumns : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order) override;
};

} // namespace rm::ui
