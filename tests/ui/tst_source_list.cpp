// The source list: adding one workbook, all workbooks of a folder, removing,
// duplicates, selection rules and the entry limit.

#include "UiTestSupport.h"

#include "engine/files/FileSearch.h"
#include "engine/memory/MemoryBinding.h"
#include "ui/Form1.h"

#include <QDir>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include <sys/stat.h>

using namespace rm::ui;
using namespace rm::ui::test;

class SourceListTest : public QObject {
    Q_OBJECT

    TemporarySettings* m_settings = nullptr;
    rm::mem::MemoryBinding m_binding;

private slots:
    void initTestCase() { m_settings = new TemporarySettings; }
    void cleanupTestCase() { delete m_settings; }

    // --- addToList ----------------------------------------------------------
    void duplicate_is_refused_and_the_last_entry_selected()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList("/d/a.xls");
        form.addToList("/d/b.xls");
        form.findChild<QListWidget*>("List1")->setCurrentRow(0);
        form.addToList("/d/a.xls");
        QCOMPARE(entries(form), (QStringList{"/d/a.xls", "/d/b.xls"}));
        QCOMPARE(selected(form), 1);
    }

    void a_case_different_path_is_a_new_entry()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList("/d/a.xls");
        form.addToList("/d/A.xls");
        form.addToList("/d//a.xls");
        QCOMPARE(entries(form), (QStringList{"/d/a.xls", "/d/A.xls", "/d//a.xls"}));
        QCOMPARE(selected(form), 2);
    }

    // --- add_command --------------------------------------------------------
    void add_uses_the_shared_dialog_with_its_filter_and_options()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        desktop.dialogs->confirmNext("/d/report.XLS");
        form.add_command_Click();
        QCOMPARE(entries(form), QStringList{"/d/report.XLS"});
        QCOMPARE(selected(form), 0);
        const FileDialogRequest& request = desktop.dialogs->requests.at(0);
        QCOMPARE(request.mode, FileDialogRequest::Mode::OpenSeveral);
        QCOMPARE(request.nameFilters, (QStringList{"Excel File(.xls) (*xls)",
                                                   "所有表格文件 (*.xls *.xlsx *.ods) (*.xls *.xlsx *.ods)"}));
        QCOMPARE(form.cd1().flags(), 2u);
        QCOMPARE(form.cd1().filter().section('|', 0, 1), QStringLiteral("Excel File(.xls)|*xls"));
    }

    void several_chosen_files_are_added_in_the_dialogs_order()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList("/d/a.xls");
        desktop.dialogs->confirmNext(QStringList{"/d/z.ods", "/d/a.xls", "/d/m.xlsx", "/d/b.xls"});
        form.add_command_Click();
        QCOMPARE(entries(form), (QStringList{"/d/a.xls", "/d/z.ods", "/d/m.xlsx", "/d/b.xls"}));
        QCOMPARE(selected(form), 3);
        // The next dialog opens with the last chosen file.
        desktop.dialogs->cancelNext();
        form.add_command_Click();
        QCOMPARE(desktop.dialogs->requests.at(1).fileName, QStringLiteral("/d/b.xls"));
    }

    void several_chosen_files_at_the_limit_give_one_message()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        for (int i = 0; i < Form1::maximumListEntries - 1; ++i)
            form.addToList(QStringLiteral("/s/%1.xls").arg(i));
        desktop.dialogs->confirmNext(QStringList{"/d/a.xls", "/d/b.xls", "/d/c.xls"});
        form.add_command_Click();
        QCOMPARE(entries(form).last(), QStringLiteral("/d/a.xls"));
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
    }

    void long_paths_show_their_file_names_and_keep_their_exact_text()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        auto* list = form.findChild<QListWidget*>("List1");
        const QString folder = "/home/用户/报表/二〇二六年/各分部上报/" + QString(60, 'x');
        QStringList paths = {folder + "/一分部.xls", folder + "/二分部.xlsx"};
        for (int i = 0; i < 30; ++i)   // enough for the vertical scroll bar
            paths << QStringLiteral("%1/%2.ods").arg(folder).arg(i);
        for (const QString& path : paths)
            form.addToList(path);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(list->verticalScrollBar()->isVisible());
        QCOMPARE(entries(form), paths);
        QCOMPARE(list->textElideMode(), Qt::ElideMiddle);
        const int room = list->viewport()->width();
        QVERIFY(list->fontMetrics().horizontalAdvance(paths[0]) > room);
        for (int i = 0; i < list->count(); ++i) {
            QCOMPARE(list->item(i)->toolTip(), paths[i]);
            // Laid out within the list, so the view elides the text rather than scrolling it away.
            QVERIFY(list->visualItemRect(list->item(i)).right() < room);
        }
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
    }

    void cancelled_add_changes_nothing()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList("/d/a.xls");
        form.addToList("/d/b.xls");
        form.findChild<QListWidget*>("List1")->setCurrentRow(0);
        desktop.dialogs->cancelNext();
        form.add_command_Click();
        QCOMPARE(entries(form), (QStringList{"/d/a.xls", "/d/b.xls"}));
        QCOMPARE(selected(form), 0);
    }

    // --- addFloder_command --------------------------------------------------
    void folder_adds_only_its_ordinary_workbooks_sorted()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        for (const char* name : {"a.xls", "B.XLS", "c.xlsx", "C.ods", "报表.ODS", "t.csv", "u.txt", ".hidden.xls",
                                 ".h.xlsx", ".h.ods", "~$a.xls", "~$c.xlsx", "~$C.ods"})
            writeFile(folder + "/" + QString::fromUtf8(name));
        QVERIFY(QDir(folder).mkdir("d.xls"));
        QVERIFY(QDir(folder).mkdir("d.ods"));
        QCOMPARE(::mkfifo(QFile::encodeName(folder + "/e.xls").constData(), 0600), 0);

        TestDesktop desktop;
        desktop.folderAnswers.push_back(folder);
        Form1 form(m_binding, desktop.services());
        form.addFloder_command_Click();
        QCOMPARE(entries(form), (QStringList{folder + "/a.xls", folder + "/B.XLS", folder + "/C.ods",
                                             folder + "/c.xlsx", folder + "/报表.ODS"}));
        QCOMPARE(selected(form), 4);
        QCOMPARE(desktop.folderRequests.size(), size_t(1));
        QCOMPARE(desktop.folderRequests[0].owner, nullptr);
        QCOMPARE(desktop.folderRequests[0].title, QStringLiteral("选择目录"));
    }

    void folder_entries_already_listed_are_not_repeated()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a.xls"));
        writeFile(dir.filePath("b.xls"));
        TestDesktop desktop;
        desktop.folderAnswers = {dir.path(), dir.path()};
        Form1 form(m_binding, desktop.services());
        form.addFloder_command_Click();
        form.addToList("/other.xls");
        form.addFloder_command_Click();
        QCOMPARE(entries(form), (QStringList{dir.filePath("a.xls"), dir.filePath("b.xls"), "/other.xls"}));
        QCOMPARE(selected(form), 2);
    }

    void empty_folder_changes_nothing_not_even_the_selection()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("notes.txt"));
        TestDesktop desktop;
        desktop.folderAnswers.push_back(dir.path());
        Form1 form(m_binding, desktop.services());
        form.addToList("/d/a.xls");
        form.addToList("/d/b.xls");
        form.findChild<QListWidget*>("List1")->setCurrentRow(0);
        form.addFloder_command_Click();
        QCOMPARE(entries(form), (QStringList{"/d/a.xls", "/d/b.xls"}));
        QCOMPARE(selected(form), 0);
    }

    void cancelled_folder_chooser_changes_nothing()
    {
        TestDesktop desktop;   // no answer queued: cancelled
        Form1 form(m_binding, desktop.services());
        form.addToList("/d/a.xls");
        form.findChild<QListWidget*>("List1")->clearSelection();
        form.addFloder_command_Click();
        QCOMPARE(entries(form), QStringList{"/d/a.xls"});
        QCOMPARE(selected(form), -1);
    }

    void root_folder_gives_a_doubled_separator()
    {
        TestDesktop desktop;
        desktop.folderAnswers.push_back("/");
        Form1 form(m_binding, desktop.services());
        form.addFloder_command_Click();
        QStringList expected;
        for (const std::string& name : rm::listWorkbookNames("/"))
            expected << "//" + QString::fromStdString(name);
        QCOMPARE(entries(form), expected);
    }

    void root_folder_entries_start_with_two_separators()
    {
        // A folder chooser answering "/" over a listing we control: a chroot-free
        // stand-in is a folder whose path ends in "/" as the root's does.
        QTemporaryDir dir;
        writeFile(dir.filePath("a.xls"));
        TestDesktop desktop;
        desktop.folderAnswers.push_back(dir.path() + "/");
        Form1 form(m_binding, desktop.services());
        form.addFloder_command_Click();
        QCOMPARE(entries(form), QStringList{dir.path() + "//a.xls"});
    }

    // --- del_command --------------------------------------------------------
    void remove_with_nothing_selected_does_nothing()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList("/a.xls");
        form.findChild<QListWidget*>("List1")->clearSelection();
        form.del_command_Click();
        QCOMPARE(entries(form), QStringList{"/a.xls"});
        form.del_command_Click();
        Form1 empty(m_binding, desktop.services());
        empty.del_command_Click();
        QCOMPARE(entries(empty), QStringList());
    }

    void remove_the_only_entry_leaves_nothing_selected()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList("/a.xls");
        form.del_command_Click();
        QCOMPARE(entries(form), QStringList());
        QCOMPARE(selected(form), -1);
    }

    void remove_the_last_of_several_selects_the_new_last()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        for (const char* p : {"/a.xls", "/b.xls", "/c.xls"})
            form.addToList(p);
        form.del_command_Click();
        QCOMPARE(entries(form), (QStringList{"/a.xls", "/b.xls"}));
        QCOMPARE(selected(form), 1);
    }

    void remove_a_middle_entry_selects_the_one_that_followed()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        for (const char* p : {"/a.xls", "/b.xls", "/c.xls", "/d.xls"})
            form.addToList(p);
        form.findChild<QListWidget*>("List1")->setCurrentRow(1);
        form.del_command_Click();
        QCOMPARE(entries(form), (QStringList{"/a.xls", "/c.xls", "/d.xls"}));
        QCOMPARE(selected(form), 1);
        form.findChild<QListWidget*>("List1")->setCurrentRow(0);
        form.del_command_Click();
        QCOMPARE(entries(form), (QStringList{"/c.xls", "/d.xls"}));
        QCOMPARE(selected(form), 0);
    }

    void a_removed_entry_can_be_added_again()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList("/a.xls");
        form.addToList("/b.xls");
        form.findChild<QListWidget*>("List1")->setCurrentRow(0);
        form.del_command_Click();
        form.addToList("/a.xls");
        QCOMPARE(entries(form), (QStringList{"/b.xls", "/a.xls"}));
        QCOMPARE(selected(form), 1);
    }

    // --- the limit ------------------------------------------------------------
    void the_list_never_grows_past_32767_entries()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        auto* list = form.findChild<QListWidget*>("List1");
        for (int i = 0; i < Form1::maximumListEntries - 1; ++i)
            form.addToList(QStringLiteral("/s/%1.xls").arg(i));
        form.addToList("/s/last.xls");
        QCOMPARE(list->count(), 32767);
        QVERIFY(desktop.messages->shown.empty());

        list->setCurrentRow(5);
        form.addToList("/s/one-too-many.xls");
        QCOMPARE(list->count(), 32767);
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        QCOMPARE(desktop.messages->shown[0].icon, QMessageBox::Information);
        QVERIFY(desktop.messages->shown[0].text.contains("32767"));
        QCOMPARE(selected(form), 5);

        // A duplicate at the limit is still just a duplicate.
        form.addToList("/s/3.xls");
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        QCOMPARE(selected(form), 32766);
    }

    void a_folder_at_the_limit_gives_one_message()
    {
        QTemporaryDir dir;
        for (const char* n : {"a.xls", "b.xls", "c.xls"})
            writeFile(dir.filePath(n));
        TestDesktop desktop;
        desktop.folderAnswers.push_back(dir.path());
        Form1 form(m_binding, desktop.services());
        auto* list = form.findChild<QListWidget*>("List1");
        for (int i = 0; i < Form1::maximumListEntries - 1; ++i)
            form.addToList(QStringLiteral("/s/%1.xls").arg(i));
        form.addFloder_command_Click();
        QCOMPARE(list->count(), 32767);
        QCOMPARE(list->item(32766)->text(), dir.filePath("a.xls"));
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
    }
};

QTEST_MAIN(SourceListTest)
#include "tst_source_list.moc"
