// Files and folders dropped from the desktop: onto the source list they are
// added as the add commands would add them, onto the template field a single
// workbook becomes the template.

#include "ui/Form1.h"

#include "ui/DroppedFiles.h"
#include "ui/WindowTexts.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

namespace rm::ui {

namespace {

// At most this many names in one message; the rest are counted.
constexpr qsizetype kNamesShown = 10;

QString namesList(const QString& heading, const QStringList& names)
{
    QStringList lines{heading};
    lines << names.mid(0, kNamesShown);
    if (names.size() > kNamesShown)
        lines << namesCount(names.size());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

Form1::DropTarget Form1::dropTargetAt(const QPoint& position) const
{
    // Whether the list or the template may change now (not during a merge,
    // after a failed one, or while a folder is listed) is what the commands
    // beside them say.
    if (QRect(List1->mapTo(this, QPoint(0, 0)), List1->size()).contains(position))
        return add_command->isEnabled() ? DropTarget::SourceList : DropTarget::None;
    if (tplpath_text->geometry().contains(position))
        return open_command->isEnabled() ? DropTarget::TemplateField : DropTarget::None;
    return DropTarget::None;
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    // Entered anywhere on the window; whether it may be let go is decided per place.
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void Form1::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls() && dropTargetAt(event->position().toPoint()) != DropTarget::None)
        event->acceptProposedAction();
    else
        event->ignore();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    switch (urls.isEmpty() ? DropTarget::None : dropTargetAt(event->position().toPoint())) {
    case DropTarget::SourceList:
        event->acceptProposedAction();
        List1_DragDrop(urls);
        return;
    case DropTarget::TemplateField:
        event->acceptProposedAction();
        tplpath_text_DragDrop(urls);
        return;
    case DropTarget::None:
        break;
    }
    event->ignore();
}

void Form1::List1_DragDrop(const QList<QUrl>& urls)
{
    if (!add_command->isEnabled())
        return;
    DroppedFiles dropped;
    const WorkbookLister lister = m_services.listWorkbooks;
    withoutFreezing([&] { dropped = sortDroppedFiles(urls, lister); });

    QStringList alreadyListed;
    addEntries(dropped.paths, alreadyListed);

    QStringList report;
    if (!alreadyListed.isEmpty())
        report << namesList(alreadyListedHeading, alreadyListed);
    if (!dropped.notWorkbooks.isEmpty())
        report << namesList(notWorkbooksHeading, dropped.notWorkbooks);
    if (!report.isEmpty())
        showInformation(report.join(QStringLiteral("\n\n")));
}

void Form1::tplpath_text_DragDrop(const QList<QUrl>& urls)
{
    if (!open_command->isEnabled())
        return;
    if (urls.size() != 1) {
        showInformation(templateDropNotOne);
        return;
    }
    const QString path = droppedPath(urls.first());
    const QString shown = path.isEmpty() ? urls.first().toDisplayString() : path;
    if (!path.isEmpty() && QFileInfo(path).isDir()) {
        showInformation(templateDropIsFolder(path));
        return;
    }
    bool workbook = false;
    const WorkbookLister lister = m_services.listWorkbooks;
    if (!path.isEmpty())
        withoutFreezing([&] { workbook = isListedWorkbook(path, lister); });
    if (!workbook) {
        showInformation(templateDropNotWorkbook(shown));
        return;
    }
    // As the template chooser: the field changes, nothing is stored or checked further.
    showTemplatePath(path);
}

} // namespace rm::ui
