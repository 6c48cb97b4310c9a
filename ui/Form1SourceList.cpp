// The source list: addToList and the add, add-folder and remove commands.

#include "ui/Form1.h"

#include "ui/OffThread.h"
#include "ui/WindowTexts.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>

#include <array>

namespace rm::ui {

void Form1::addToList(const QString& path)
{
    addToListWithinLimit(path);
}

bool Form1::addToListWithinLimit(const QString& path)
{
    if (!appendUnlessListed(path))
        return false;
    List1->setCurrentRow(List1->count() - 1);
    return true;
}

bool Form1::appendUnlessListed(const QString& path)
{
    // Exact, case-sensitive comparison with every entry; the set answers it
    // without a scan of the list, which at 32,767 entries took seconds per folder.
    const int count = List1->count();
    const bool duplicate = m_entries.contains(path);
    if (!duplicate) {
        if (count >= maximumListEntries) {
            showInformation(listFull(maximumListEntries));
            return false;
        }
        // Shown elided in the middle (file name visible), whole as tooltip;
        // the entry's text stays the exact path.
        auto* item = new QListWidgetItem(path);
        item->setToolTip(path);
        List1->addItem(item);
        m_entries.insert(path);
    }
    return true;
}

int Form1::selectedIndex() const
{
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    return selected.isEmpty() ? -1 : List1->row(selected.first());
}

void Form1::add_command_Click()
{
    m_cd1.setFilter(openWorkbookFilter);
    m_cd1.setFlags(SharedFileDialog::OverwritePrompt);
    if (!m_cd1.showOpenSeveral(this))
        return;
    QStringList alreadyListed;
    addEntries(m_cd1.fileNames(), alreadyListed);
}

void Form1::addFloder_command_Click()
{
    const QString folder = m_services.browseForFolder(nullptr, chooseFolderPrompt);
    if (folder.isEmpty())
        return;
    std::vector<std::string> names;
    const std::string where = folder.toStdString();
    withoutFreezing([&] { names = m_services.listWorkbooks(where); });
    QStringList paths;
    paths.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        paths << folder + QLatin1Char('/') + QString::fromStdString(name);
    QStringList alreadyListed;
    addEntries(paths, alreadyListed);
}

bool Form1::addEntries(const QStringList& paths, QStringList& alreadyListed)
{
    // As addToList for each path, but the last entry is selected once, at the
    // end: a selection per entry lays the whole list out again each time
    // (half a second for a folder of 300).
    bool withinLimit = true;
    bool anyTaken = false;
    for (const QString& path : paths) {
        if (m_entries.contains(path))
            alreadyListed << path;
        // One message at the limit, not one per remaining file.
        if (!appendUnlessListed(path)) {
            withinLimit = false;
            break;
        }
        anyTaken = true;
    }
    if (anyTaken)
        List1->setCurrentRow(List1->count() - 1);
    return withinLimit;
}

void Form1::withoutFreezing(const std::function<void()>& work)
{
    // A folder of hundreds of files takes a noticeable while to list; the
    // window keeps answering meanwhile, but nothing may change the list.
    const std::array<QPushButton*, 5> commands{add_command, addFloder_command, del_command, open_command, save_command};
    std::array<bool, 5> wasEnabled{};
    for (size_t i = 0; i < commands.size(); ++i) {
        wasEnabled[i] = commands[i]->isEnabled();
        commands[i]->setEnabled(false);
    }
    struct Restore {
        const std::array<QPushButton*, 5>& commands;
        const std::array<bool, 5>& wasEnabled;
        ~Restore()
        {
            QGuiApplication::restoreOverrideCursor();
            for (size_t i = 0; i < commands.size(); ++i)
                commands[i]->setEnabled(wasEnabled[i]);
        }
    };
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const Restore restore{commands, wasEnabled};
    runOffThread(work);
}

void Form1::List1_KeyDown()
{
    // As 移除, and only when it could be clicked (not during a merge or a listing).
    if (del_command->isEnabled())
        del_command_Click();
}

void Form1::del_command_Click()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    QListWidgetItem* removed = List1->takeItem(index);
    m_entries.remove(removed->text());
    delete removed;
    const int count = List1->count();
    if (count == 0) {
        List1->clearSelection();
        return;
    }
    List1->setCurrentRow(index == count ? count - 1 : index);
}

} // namespace rm::ui
