// Files and folders dropped onto the source list and the template field, the
// Delete and Backspace keys on the list, the empty list's hint, and folders
// listed while the window goes on answering.

#include "UiTestSupport.h"

#include "engine/files/FileSearch.h"
#include "engine/memory/MemoryBinding.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace rm::ui;
using namespace rm::ui::test;

namespace {

QList<QUrl> urls(const QStringList& paths)
{
    QList<QUrl> result;
    for (const QString& path : paths)
        result << QUrl::fromLocalFile(path);
    return result;
}

// A drop as the desktop delivers it: moved over the point, then let go there.
bool dropAt(Form1& form, QWidget* where, const QList<QUrl>& dropped)
{
    QMimeData data;
    data.setUrls(dropped);
    const QPointF point = where->mapTo(&form, where->rect().center());
    QDragEnterEvent enter(point.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QDragMoveEvent move(point.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    return drop.isAccepted();
}

// A folder of workbooks and other files, made for one test.
struct Folder {
    QTemporaryDir dir;
    explicit Folder(const QStringList& names)
    {
        for (const QString& name : names)
            writeFile(dir.filePath(name));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

// Pixels in the middle band of the list that differ from its background.
int inkInTheMiddle(QListWidget* list)
{
    const QImage image = list->viewport()->grab().toImage();
    const QColor background = list->viewport()->palette().color(QPalette::Base);
    int ink = 0;
    for (int y = image.height() / 2 - 8; y < image.height() / 2 + 8; ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixelColor(x, y) != background;
    return ink;
}

} // namespace

class SourceDropsTest : public QObject {
    Q_OBJECT

    TemporarySettings* m_settings = nullptr;
    rm::mem::MemoryBinding m_binding;

private slots:
    void initTestCase() { m_settings = new TemporarySettings; }
    void cleanupTestCase() { delete m_settings; }

    // --- onto the list -------------------------------------------------------
    void dropped_files_are_added_in_the_order_dropped()
    {
        Folder folder({"b.xls", "a.XLSX", "c.ods"});
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        auto* list = form.findChild<QListWidget*>("List1");
        QVERIFY(dropAt(form, list, urls({folder.path("b.xls"), folder.path("c.ods"), folder.path("a.XLSX")})));
        QCOMPARE(entries(form), (QStringList{folder.path("b.xls"), folder.path("c.ods"), folder.path("a.XLSX")}));
        QCOMPARE(selected(form), 2);
        QVERIFY(desktop.messages->shown.empty());
    }

    void a_dropped_folder_adds_what_the_folder_command_adds()
    {
        Folder folder({"b.xls", "A.xls", "报表.ods", "notes.txt", ".hidden.xls", "~$b.xls"});
        QVERIFY(QDir(folder.dir.path()).mkdir("inner.xls"));
        TestDesktop desktop;
        desktop.folderAnswers.push_back(folder.dir.path());
        Form1 byCommand(m_binding, desktop.services());
        byCommand.addFloder_command_Click();

        Form1 byDrop(m_binding, desktop.services());
        byDrop.addToList("/d/first.xls");
        QVERIFY(dropAt(byDrop, byDrop.findChild<QListWidget*>("List1"), urls({folder.dir.path() + "/"})));
        QCOMPARE(entries(byDrop), QStringList{"/d/first.xls"} + entries(byCommand));
        QCOMPARE(entries(byCommand).size(), 3);
        QCOMPARE(selected(byDrop), 3);
        QVERIFY(desktop.messages->shown.empty());   // a folder's other files are not reported
    }

    void files_and_folders_mixed_keep_the_drop_order()
    {
        Folder inner({"x.xls", "y.xls"});
        Folder outer({"first.xls", "last.xls"});
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.List1_DragDrop(urls({outer.path("first.xls"), inner.dir.path(), outer.path("last.xls")}));
        QCOMPARE(entries(form), (QStringList{outer.path("first.xls"), inner.path("x.xls"), inner.path("y.xls"),
                                             outer.path("last.xls")}));
    }

    void duplicates_are_refused_with_one_message_naming_them_all()
    {
        Folder folder({"a.xls", "b.xls", "c.xls"});
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList(folder.path("a.xls"));
        form.addToList(folder.path("b.xls"));
        form.findChild<QListWidget*>("List1")->setCurrentRow(0);
        form.List1_DragDrop(urls({folder.path("a.xls"), folder.path("c.xls"), folder.dir.path()}));
        QCOMPARE(entries(form), (QStringList{folder.path("a.xls"), folder.path("b.xls"), folder.path("c.xls")}));
        QCOMPARE(selected(form), 2);
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        const ShownMessage& message = desktop.messages->shown[0];
        QCOMPARE(message.icon, QMessageBox::Information);
        QVERIFY2(message.text.startsWith(QStringLiteral("以下文件已在列表中，没有重复添加：")), qPrintable(message.text));
        // a twice (dropped alone and in its folder), b and c from the folder.
        const QStringList lines = message.text.split('\n');
        QCOMPARE(lines.mid(1), (QStringList{folder.path("a.xls"), folder.path("a.xls"), folder.path("b.xls"),
                                            folder.path("c.xls")}));
    }

    void many_refused_names_are_counted_after_the_first_ten()
    {
        QStringList names;
        for (int i = 0; i < 25; ++i)
            names << QStringLiteral("s%1.xls").arg(i, 2, 10, QLatin1Char('0'));
        Folder folder(names);
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.List1_DragDrop(urls({folder.dir.path()}));
        form.List1_DragDrop(urls({folder.dir.path()}));
        QCOMPARE(entries(form).size(), 25);
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        const QStringList lines = desktop.messages->shown[0].text.split('\n');
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines[1], folder.path("s00.xls"));
        QCOMPARE(lines[11], QStringLiteral("……共 25 个"));
    }

    void non_workbooks_are_ignored_with_one_message_naming_them()
    {
        Folder folder({"a.xls", "notes.txt", "data.csv", "~$a.xls"});
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.addToList(folder.path("a.xls"));
        QList<QUrl> dropped = urls({folder.path("notes.txt"), folder.path("a.xls"), folder.path("data.csv"),
                                    folder.path("~$a.xls"), folder.path("gone.xls")});
        dropped << QUrl(QStringLiteral("https://example.com/r.xls"));
        form.List1_DragDrop(dropped);
        QCOMPARE(entries(form), QStringList{folder.path("a.xls")});
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        const QString text = desktop.messages->shown[0].text;
        const QStringList paragraphs = text.split(QStringLiteral("\n\n"));
        QCOMPARE(paragraphs.size(), 2);   // the duplicate, then the files that are no workbooks
        QCOMPARE(paragraphs[0], QStringLiteral("以下文件已在列表中，没有重复添加：\n") + folder.path("a.xls"));
        QCOMPARE(paragraphs[1].split('\n'),
                 (QStringList{QStringLiteral("以下文件不是工作簿，没有添加："), folder.path("notes.txt"),
                              folder.path("data.csv"), folder.path("~$a.xls"), folder.path("gone.xls"),
                              QStringLiteral("https://example.com/r.xls")}));
    }

    void drops_stop_at_the_list_limit_with_its_one_message()
    {
        Folder folder({"a.xls", "b.xls", "c.xls"});
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        for (int i = 0; i < Form1::maximumListEntries - 1; ++i)
            form.addToList(QStringLiteral("/d/%1.xls").arg(i));
        form.List1_DragDrop(urls({folder.dir.path()}));
        QCOMPARE(entries(form).size(), Form1::maximumListEntries);
        QCOMPARE(entries(form).last(), folder.path("a.xls"));
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        QVERIFY(desktop.messages->shown[0].text.contains(QStringLiteral("32767")));
    }

    void drops_elsewhere_on_the_window_are_refused()
    {
        Folder folder({"a.xls"});
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        for (const char* name : {"Label5", "add_command", "ProgressBar1"})
            QVERIFY2(!dropAt(form, form.findChild<QWidget*>(name), urls({folder.path("a.xls")})), name);
        QCOMPARE(entries(form), QStringList());
        QCOMPARE(form.findChild<QLineEdit*>("tplpath_text")->text(), QString());
    }

    void drops_are_refused_while_a_merge_runs()
    {
        Folder folder({"late.xls", "t.xls"});
        using rm::mem::SheetContent;
        using rm::mem::WorkbookContent;
        const QString tpl = folder.path("tpl.xls");
        const QString source = folder.path("s.xls");
        m_binding.createWorkbookFile(tpl.toStdString(), WorkbookContent(SheetContent().text(1, 1, "?")));
        m_binding.createWorkbookFile(source.toStdString(), WorkbookContent(SheetContent().number(1, 1, 4)));

        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.findChild<QLineEdit*>("tplpath_text")->setText(tpl);
        form.addToList(source);
        // The completion message comes while the window is still locked.
        bool listDrop = true, templateDrop = true;
        desktop.messages->whileShown = [&](const ShownMessage&) {
            listDrop = dropAt(form, form.findChild<QListWidget*>("List1"), urls({folder.path("late.xls")}));
            templateDrop = dropAt(form, form.findChild<QLineEdit*>("tplpath_text"), urls({folder.path("t.xls")}));
            form.List1_DragDrop(urls({folder.path("late.xls")}));
            form.tplpath_text_DragDrop(urls({folder.path("t.xls")}));
        };
        desktop.dialogs->confirmNext(folder.path("out.xls"));
        form.save_command_Click();
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        QCOMPARE(desktop.messages->shown[0].text, QStringLiteral("报表合并完成。"));
        QVERIFY(!listDrop);
        QVERIFY(!templateDrop);
        QCOMPARE(entries(form), QStringList{source});
        QCOMPARE(form.findChild<QLineEdit*>("tplpath_text")->text(), tpl);
    }

    // --- onto the template field ----------------------------------------------
    void one_dropped_workbook_becomes_the_template_unstored()
    {
        Folder folder({"模板.xls"});
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        auto* field = form.findChild<QLineEdit*>("tplpath_text");
        QVERIFY(dropAt(form, field, urls({folder.path("模板.xls")})));
        QCOMPARE(field->text(), folder.path("模板.xls"));
        QVERIFY(desktop.messages->shown.empty());
        QVERIFY(TemporarySettings::storedTemplatePath(desktop.settingsName).toString() != field->text());
        QCOMPARE(entries(form), QStringList());
    }

    void the_template_field_refuses_a_folder_several_files_and_other_files()
    {
        Folder folder({"a.xls", "b.xls", "notes.txt"});
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        auto* field = form.findChild<QLineEdit*>("tplpath_text");
        field->setText("/before.xls");
        form.tplpath_text_DragDrop(urls({folder.dir.path()}));
        form.tplpath_text_DragDrop(urls({folder.path("a.xls"), folder.path("b.xls")}));
        form.tplpath_text_DragDrop(urls({folder.path("notes.txt")}));
        QCOMPARE(field->text(), QStringLiteral("/before.xls"));
        QCOMPARE(desktop.messages->shown.size(), size_t(3));
        QVERIFY(desktop.messages->shown[0].text.contains(QStringLiteral("不能是文件夹")));
        QVERIFY(desktop.messages->shown[0].text.contains(folder.dir.path()));
        QVERIFY(desktop.messages->shown[1].text.contains(QStringLiteral("只拖放一个文件")));
        QVERIFY(desktop.messages->shown[2].text.contains(QStringLiteral("不是工作簿")));
        QVERIFY(desktop.messages->shown[2].text.contains(folder.path("notes.txt")));
        for (const ShownMessage& message : desktop.messages->shown)
            QCOMPARE(message.icon, QMessageBox::Information);
    }

    // --- Delete and Backspace -----------------------------------------------
    void delete_and_backspace_remove_with_the_remove_commands_rules()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        auto* list = form.findChild<QListWidget*>("List1");
        for (const char* path : {"/a.xls", "/b.xls", "/c.xls", "/d.xls"})
            form.addToList(path);
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Delete);   // a middle one: the next takes its place
        QCOMPARE(entries(form), (QStringList{"/a.xls", "/c.xls", "/d.xls"}));
        QCOMPARE(selected(form), 1);
        list->setCurrentRow(2);
        QTest::keyClick(list, Qt::Key_Backspace);   // the last: the new last
        QCOMPARE(entries(form), (QStringList{"/a.xls", "/c.xls"}));
        QCOMPARE(selected(form), 1);
        list->clearSelection();
        QTest::keyClick(list, Qt::Key_Delete);   // nothing selected: nothing
        QCOMPARE(entries(form), (QStringList{"/a.xls", "/c.xls"}));
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);   // not with a modifier
        QTest::keyClick(list, Qt::Key_Backspace, Qt::ControlModifier);
        QCOMPARE(entries(form).size(), 2);
        QTest::keyClick(list, Qt::Key_Delete, Qt::KeypadModifier);   // the keypad's Delete
        QCOMPARE(entries(form), QStringList{"/c.xls"});
        QTest::keyClick(list, Qt::Key_Delete);   // the only one: empty, nothing selected
        QCOMPARE(entries(form), QStringList());
        QCOMPARE(selected(form), -1);
        form.addToList("/a.xls");   // a removed entry may come back
        QCOMPARE(entries(form), QStringList{"/a.xls"});
    }

    void delete_does_nothing_while_the_remove_command_is_unusable()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        auto* list = form.findChild<QListWidget*>("List1");
        form.addToList("/a.xls");
        form.findChild<QPushButton*>("del_command")->setEnabled(false);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(entries(form), QStringList{"/a.xls"});
    }

    // --- the empty list's hint ----------------------------------------------
    void the_empty_list_shows_a_grey_hint()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* list = static_cast<SourceListWidget*>(form.findChild<QListWidget*>("List1"));
        QCOMPARE(list->emptyHint(), QStringLiteral("可将工作簿或文件夹拖放到这里"));
        QVERIFY(inkInTheMiddle(list) > 0);
        form.addToList("/a.xls");
        QCOMPARE(inkInTheMiddle(list), 0);   // the one entry stands at the top; no hint
        form.del_command_Click();
        QVERIFY(inkInTheMiddle(list) > 0);
    }

    // --- large folders ------------------------------------------------------
    void a_folder_is_listed_while_the_window_answers_with_a_busy_cursor()
    {
        Folder folder({"a.xls", "b.xls"});
        TestDesktop desktop;
        Form1Services services = desktop.services();
        // The listing waits until the window's thread has handled an event of
        // the test's; meanwhile the test looks at the window.
        std::atomic<bool> windowAnswered{false};
        services.listWorkbooks = [&](const std::string& where) {
            while (!windowAnswered)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return rm::listWorkbookNames(where);
        };
        desktop.folderAnswers.push_back(folder.dir.path());
        Form1 form(m_binding, services);
        form.addToList("/d/x.xls");
        bool busyCursor = false, commandsDisabled = false;
        int messagesWhileListing = -1;
        QTimer::singleShot(0, [&] {
            busyCursor = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            commandsDisabled = true;
            for (const char* name : {"add_command", "addFloder_command", "del_command", "open_command", "save_command"})
                commandsDisabled = commandsDisabled && !form.findChild<QPushButton*>(name)->isEnabled();
            // Neither a key nor a drop changes the list meanwhile.
            QTest::keyClick(form.findChild<QListWidget*>("List1"), Qt::Key_Delete);
            form.List1_DragDrop(urls({folder.path("a.xls")}));
            messagesWhileListing = int(desktop.messages->shown.size());
            windowAnswered = true;
        });
        form.addFloder_command_Click();
        QVERIFY(busyCursor);
        QVERIFY(commandsDisabled);
        QCOMPARE(messagesWhileListing, 0);
        QCOMPARE(entries(form), (QStringList{"/d/x.xls", folder.path("a.xls"), folder.path("b.xls")}));
        QVERIFY(!QGuiApplication::overrideCursor());
        for (const char* name : {"add_command", "addFloder_command", "del_command", "open_command", "save_command"})
            QVERIFY2(form.findChild<QPushButton*>(name)->isEnabled(), name);
    }

    void a_folder_of_300_workbooks_is_added_whole()
    {
        QStringList names;
        for (int i = 0; i < 300; ++i)
            names << QStringLiteral("分部%1.xls").arg(i, 3, 10, QLatin1Char('0'));
        Folder folder(names);
        TestDesktop desktop;
        desktop.folderAnswers.push_back(folder.dir.path());
        Form1 form(m_binding, desktop.services());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.addFloder_command_Click();
        QCOMPARE(entries(form).size(), 300);
        // Scrolled to the selected last entry.
        auto* list = form.findChild<QListWidget*>("List1");
        QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->item(299))));
        QCOMPARE(entries(form).first(), folder.path(names.first()));
        QCOMPARE(entries(form).last(), folder.path(names.last()));
        QCOMPARE(selected(form), 299);
    }
};

QTEST_MAIN(SourceDropsTest)
#include "tst_source_drops.moc"
