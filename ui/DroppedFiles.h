#pragma once

// What a drop of files and folders onto the window amounts to. Only the file
// system is asked, so this may run off the window's thread.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <string>
#include <vector>

namespace rm::ui {

// The workbook names a folder holds (as 添加目录所有文件 finds them).
using WorkbookLister = std::function<std::vector<std::string>(const std::string& folder)>;

struct DroppedFiles {
    // To add, in the order dropped; a folder's workbooks stand in its place,
    // as "folder/name", in the order the lister gives them.
    QStringList paths;
    // Dropped items that are neither a folder nor a workbook, as dropped.
    QStringList notWorkbooks;
};

// A dropped address as a path: a local file's path without trailing
// separators (the root stays "/"); empty for anything but a local file.
QString droppedPath(const QUrl& url);

// True when `path` names a workbook the lister finds in its folder.
bool isListedWorkbook(const QString& path, const WorkbookLister& listWorkbooks);

DroppedFiles sortDroppedFiles(const QList<QUrl>& urls, const WorkbookLister& listWorkbooks);

} // namespace rm::ui
