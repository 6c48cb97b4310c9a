#include "ui/ChineseFileColumns.h"

#include <QFileSystemModel>
#include <QLocale>

namespace rm::ui {

namespace {
enum Column { Name = 0, Size = 1, Type = 2, Modified = 3 };
}

QVariant ChineseFileColumns::data(const QModelIndex& index, int role) const
{
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files || role != Qt::DisplayRole || !index.isValid())
        return QSortFilterProxyModel::data(index, role);
    const QModelIndex entry = mapToSource(index);
    switch (index.column()) {
    case Size:
        if (files->isDir(entry))
            return QSortFilterProxyModel::data(index, role);
        return QLocale().formattedDataSize(files->size(entry), 1, QLocale::DataSizeTraditionalFormat);
    case Modified: {
        const QDateTime modified = files->lastModified(entry);
        return modified.isValid() ? QLocale().toString(modified, QStringLiteral("yyyy/M/d H:mm")) : QVariant(QString());
    }
    default:
        return QSortFilterProxyModel::data(index, role);
    }
}

void ChineseFileColumns::sort(int column, Qt::SortOrder order)
{
    // The file system model sorts folders first, names naturally and sizes
    // and dates by value; a proxy-side sort would compare display texts.
    if (sourceModel())
        sourceModel()->sort(column, order);
}

} // namespace rm::ui
