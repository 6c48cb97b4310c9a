#include "ui/OfferedFilesFilter.h"

#include "engine/FileSearch.h"

#include <QFileSystemModel>

namespace rm::ui {

void OfferedFilesFilter::sort(int column, Qt::SortOrder order)
{
    // The file system model sorts folders first and names naturally; a
    // proxy-side sort would compare display texts instead.
    if (sourceModel())
        sourceModel()->sort(column, order);
}

bool OfferedFilesFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files)
        return true;
    const QModelIndex entry = files->index(sourceRow, 0, sourceParent);
    if (files->isDir(entry))
        return true;
    return !rm::isHiddenName(files->fileName(entry).toStdString());
}

} // namespace rm::ui
