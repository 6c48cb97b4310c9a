#include "ui/OfferedFilesFilter.h"

#include "engine/files/FileSearch.h"

#include <QFileSystemModel>

namespace rm::ui {

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
