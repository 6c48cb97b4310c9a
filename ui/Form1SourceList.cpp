// The source list: addToList and the add, add-folder and remove commands.

#include "ui/Form1.h"

#include "engine/FileSearch.h"
#include "ui/WindowTexts.h"

#include <QListWidget>

namespace rm::ui {

void Form1::addToList(const QString& path)
{
    addToListWithinLimit(path);
}

bool Form1::addToListWithinLimit(const QString& path)
{
    const int count = List1->count();
    bool duplicate = false;
    for (int i = 0; i < count; ++i) {
        if (List1->item(i)->text() == path) {
            duplicate = true;
            break;
        }
    }
    if (!duplicate) {
        if (count >= maximumListEntries) {
            showInformation(QStringLiteral("列表最多只能容纳 %1 个文件，无法再添加。").arg(maximumListEntries));
            return false;
        }
        List1->addItem(path);
    }
    List1->setCurrentRow(List1->count() - 1);
    return true;
}

int Form1::selectedIndex() const
{
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    return selected.isEmpty() ? -1 : List1->row(selected.first());
}

void Form1::add_command_Click()
{
    m_cd1.setFilter(QStringLiteral("Excel File(.xls)|*xls"));
    m_cd1.setFlags(SharedFileDialog::OverwritePrompt);
    if (m_cd1.showOpen(this))
        addToList(m_cd1.fileName());
}

void Form1::addFloder_command_Click()
{
    const QString folder = m_services.browseForFolder(nullptr, QStringLiteral("选择目录"));
    if (folder.isEmpty())
        return;
    for (const std::string& name : rm::listWorkbookNames(folder.toStdString())) {
        // One message at the limit, not one per remaining file.
        if (!addToListWithinLimit(folder + QLatin1Char('/') + QString::fromStdString(name)))
            break;
    }
}

void Form1::del_command_Click()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    delete List1->takeItem(index);
    const int count = List1->count();
    if (count == 0) {
        List1->clearSelection();
        return;
    }
    List1->setCurrentRow(index == count ? count - 1 : index);
}

} // namespace rm::ui
