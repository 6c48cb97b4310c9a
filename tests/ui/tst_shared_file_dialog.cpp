// The shared file dialog cd1: what it keeps between uses, the filter's Qt
// form, how the real dialog and message box are set up, and the template
// chooser built on it.

#include "UiTestSupport.h"

#include "engine/memory/MemoryBinding.h"
#include "ui/Form1.h"
#include "ui/OfferedFilesFilter.h"
#include "ui/SharedFileDialog.h"
#include "ui/WindowTexts.h"

#include <QAbstractProxyModel>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace rm::ui;
using namespace rm::ui::test;

class SharedFileDialogTest : public QObject {
    Q_OBJECT

    TemporarySettings* m_settings = nullptr;
    rm::mem::MemoryBinding m_binding;

private slots:
    void initTestCase() { m_settings = new TemporarySettings; }
    void cleanupTestCase() { delete m_settings; }

    void filter_text_becomes_qt_name_filters()
    {
        QCOMPARE(SharedFileDialog::toQtNameFilters("Excel File(.xls)|*xls"), QStringList{"Excel File(.xls) (*xls)"});
        QCOMPARE(SharedFileDialog::toQtNameFilters("Excel File(.xls)|*.xls"), QStringList{"Excel File(.xls) (*.xls)"});
        QCOMPARE(SharedFileDialog::toQtNameFilters("A|*.a|B|*.b"), (QStringList{"A (*.a)", "B (*.b)"}));
        QCOMPARE(SharedFileDialog::toQtNameFilters(""), QStringList());
        // Patterns of one line are joined by ";" in the filter text.
        QCOMPARE(SharedFileDialog::toQtNameFilters("B (x)|*.b;*.c"), QStringList{"B (x) (*.b *.c)"});
    }

    void the_user_reads_the_description_alone()
    {
        for (const QString& filter : {openWorkbookFilter, saveWorkbookFilter}) {
            FileDialogRequest request;
            request.nameFilters = SharedFileDialog::toQtNameFilters(filter);
            auto dialog = QtFileDialogPresenter::makeDialog(nullptr, request);
            QVERIFY(dialog->testOption(QFileDialog::HideNameFilterDetails));
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types);
            QCOMPARE(types->count(), 2);
            QCOMPARE(types->itemText(0), QStringLiteral("Excel File(.xls)"));
            QCOMPARE(types->itemText(1), QStringLiteral("所有表格文件 (*.xls *.xlsx *.ods)"));
            QCOMPARE(types->currentIndex(), 0);
        }
        // The open dialogs' first pattern has no dot: any name ending in xls is offered.
        QVERIFY(QDir::match(QStringLiteral("*xls"), QStringLiteral("reportxls")));
        QVERIFY(QDir::match(QStringLiteral("*.xls *.xlsx *.ods"), QStringLiteral("r.ods")));
    }

    void open_dialogs_do_not_offer_files_the_checks_refuse()
    {
        QTemporaryDir dir;
        for (const char* name : {"a.xls", "~$a.xls", ".b.xls", "c.ods", "~$c.ods", "d.xlsx", "notes.txt"})
            writeFile(dir.filePath(QString::fromUtf8(name)));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral(".config")));

        for (auto mode : {FileDialogRequest::Mode::Open, FileDialogRequest::Mode::OpenSeveral}) {
            FileDialogRequest request;
            request.mode = mode;
            request.nameFilters = SharedFileDialog::toQtNameFilters(openWorkbookFilter);
            auto dialog = QtFileDialogPresenter::makeDialog(nullptr, request);
            dialog->selectNameFilter(request.nameFilters.at(1));
            dialog->setFilter(dialog->filter() | QDir::Hidden);   // "show hidden files" ticked
            dialog->setDirectory(dir.path());
            QAbstractProxyModel* offered = dialog->proxyModel();
            QVERIFY(offered);
            auto* files = qobject_cast<QFileSystemModel*>(offered->sourceModel());
            QVERIFY(files);
            auto shownNames = [&] {
                const QModelIndex folder = offered->mapFromSource(files->index(dir.path()));
                QStringList names;
                for (int row = 0; row < offered->rowCount(folder); ++row)
                    names << offered->index(row, 0, folder).data().toString();
                return names;
            };
            // Folders first, then files, as the file system model sorts them.
            QTRY_COMPARE(shownNames(), (QStringList{".config", "sub", "a.xls", "c.ods", "d.xlsx"}));
        }

        // The save dialog hides nothing; its proxy only writes the columns in Chinese.
        FileDialogRequest save;
        save.mode = FileDialogRequest::Mode::Save;
        auto saveDialog = QtFileDialogPresenter::makeDialog(nullptr, save);
        QVERIFY(dynamic_cast<ChineseFileColumns*>(saveDialog->proxyModel()));
        QVERIFY(!dynamic_cast<OfferedFilesFilter*>(saveDialog->proxyModel()));
    }

    void the_real_dialog_is_set_up_as_asked()
    {
        FileDialogRequest save;
        save.mode = FileDialogRequest::Mode::Save;
        save.fileName = QStringLiteral("合并后报表-20260201-090503.xls");
        save.confirmOverwrite = true;
        auto dialog = QtFileDialogPresenter::makeDialog(nullptr, save);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog->defaultSuffix(), QString());

        FileDialogRequest open;
        auto openDialog = QtFileDialogPresenter::makeDialog(nullptr, open);
        QCOMPARE(openDialog->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(openDialog->fileMode(), QFileDialog::ExistingFile);

        open.mode = FileDialogRequest::Mode::OpenSeveral;
        auto severalDialog = QtFileDialogPresenter::makeDialog(nullptr, open);
        QCOMPARE(severalDialog->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(severalDialog->fileMode(), QFileDialog::ExistingFiles);

        // Qt's own dialogs, which Qt's translation reaches.
        for (const auto& made : {dialog.get(), openDialog.get(), severalDialog.get()})
            QVERIFY(made->testOption(QFileDialog::DontUseNativeDialog));
    }

    void the_real_message_box_has_the_title_and_ok_only()
    {
        auto box = QtMessageBoxes::makeBox(nullptr, QStringLiteral("报表合并完成。"), QMessageBox::Information);
        QCOMPARE(box->windowTitle(), QStringLiteral("Brivane 合并报表"));
        QCOMPARE(box->text(), QStringLiteral("报表合并完成。"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        auto plain = QtMessageBoxes::makeBox(nullptr, QStringLiteral("错误:1\r\nx"), QMessageBox::NoIcon);
        QCOMPARE(plain->icon(), QMessageBox::NoIcon);
    }

    void confirmed_dialog_keeps_the_chosen_path_and_cancel_changes_nothing()
    {
        auto scripted = std::make_shared<ScriptedFileDialogs>();
        SharedFileDialog cd1(scripted);
        cd1.setFilter("F|*x");
        cd1.setFlags(2);
        scripted->confirmNext("/a/b.xls");
        QVERIFY(cd1.showOpen(nullptr));
        QCOMPARE(cd1.fileName(), QStringLiteral("/a/b.xls"));
        scripted->cancelNext();
        QVERIFY(!cd1.showSave(nullptr));
        QCOMPARE(cd1.fileName(), QStringLiteral("/a/b.xls"));
        QCOMPARE(cd1.filter(), QStringLiteral("F|*x"));
        QCOMPARE(cd1.flags(), 2u);
        QCOMPARE(scripted->requests[1].fileName, QStringLiteral("/a/b.xls"));
        QCOMPARE(scripted->requests[1].mode, FileDialogRequest::Mode::Save);
        QVERIFY(scripted->requests[1].confirmOverwrite);
        cd1.setFlags(0);
        scripted->cancelNext();
        cd1.showSave(nullptr);
        QVERIFY(!scripted->requests[2].confirmOverwrite);
    }

    void several_chosen_files_keep_the_dialogs_order_and_the_last_is_the_file_name()
    {
        auto scripted = std::make_shared<ScriptedFileDialogs>();
        SharedFileDialog cd1(scripted);
        scripted->confirmNext(QStringList{"/a/z.xls", "/a/b.ods", "/a/m.xlsx"});
        QVERIFY(cd1.showOpenSeveral(nullptr));
        QCOMPARE(scripted->requests[0].mode, FileDialogRequest::Mode::OpenSeveral);
        QCOMPARE(cd1.fileNames(), (QStringList{"/a/z.xls", "/a/b.ods", "/a/m.xlsx"}));
        QCOMPARE(cd1.fileName(), QStringLiteral("/a/m.xlsx"));
        scripted->cancelNext();
        QVERIFY(!cd1.showOpenSeveral(nullptr));
        QCOMPARE(cd1.fileNames().size(), 3);
        QCOMPARE(scripted->requests[1].fileName, QStringLiteral("/a/m.xlsx"));
        scripted->confirmNext(QStringLiteral("/t.xls"));
        QVERIFY(cd1.showOpen(nullptr));
        QCOMPARE(cd1.fileNames(), QStringList{"/t.xls"});
    }

    void chooser_takes_a_confirmed_file_and_stores_nothing()
    {
        TestDesktop desktop;
        desktop.settingsName = QStringLiteral("chooser");
        Form1 form(m_binding, desktop.services());
        desktop.dialogs->confirmNext(QStringLiteral("/模板/report.XLS"));
        form.open_command_Click();
        QCOMPARE(form.findChild<QLineEdit*>("tplpath_text")->text(), QStringLiteral("/模板/report.XLS"));
        const FileDialogRequest& request = desktop.dialogs->requests.at(0);
        QCOMPARE(request.mode, FileDialogRequest::Mode::Open);
        QCOMPARE(request.fileName, QString());
        QCOMPARE(request.nameFilters, SharedFileDialog::toQtNameFilters(openWorkbookFilter));
        QCOMPARE(request.nameFilters.first(), QStringLiteral("Excel File(.xls) (*xls)"));
        QCOMPARE(desktop.dialogs->owners.at(0), &form);
        QCOMPARE(form.cd1().flags(), 0u);   // the chooser sets no options of its own
        QVERIFY(!TemporarySettings::storedTemplatePath("chooser").isValid());
        QVERIFY(desktop.messages->shown.empty());
    }

    void chooser_cancel_keeps_the_field_even_when_the_dialog_held_another_name()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        desktop.dialogs->confirmNext(QStringLiteral("/t/first.xls"));
        form.open_command_Click();
        desktop.dialogs->confirmNext(QStringLiteral("/s/source.xls"));
        form.add_command_Click();
        desktop.dialogs->cancelNext();
        form.open_command_Click();
        QCOMPARE(form.findChild<QLineEdit*>("tplpath_text")->text(), QStringLiteral("/t/first.xls"));
        // It opened with the workbook added last.
        QCOMPARE(desktop.dialogs->requests.at(2).fileName, QStringLiteral("/s/source.xls"));
    }

    void chooser_opens_with_the_proposed_output_name_after_a_cancelled_save()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("t.xls"));
        writeFile(dir.filePath("s.xls"));
        TestDesktop desktop;
        desktop.now = QDateTime(QDate(2026, 3, 3), QTime(0, 0, 1));
        Form1 form(m_binding, desktop.services());
        desktop.dialogs->confirmNext(dir.filePath("t.xls"));
        form.open_command_Click();
        form.addToList(dir.filePath("s.xls"));
        desktop.dialogs->cancelNext();
        form.save_command_Click();
        desktop.dialogs->cancelNext();
        form.open_command_Click();
        QCOMPARE(desktop.dialogs->requests.back().fileName, QStringLiteral("合并后报表-20260303-000001.xls"));
        QCOMPARE(desktop.dialogs->requests.back().nameFilters.first(), QStringLiteral("Excel File(.xls) (*xls)"));
    }

    void chooser_accepts_any_confirmed_name()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        desktop.dialogs->confirmNext(QStringLiteral("/x/notes.txt"));
        form.open_command_Click();
        QCOMPARE(form.findChild<QLineEdit*>("tplpath_text")->text(), QStringLiteral("/x/notes.txt"));
    }

    void the_chooser_button_opens_the_dialog()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        desktop.dialogs->confirmNext(QStringLiteral("/t.xls"));
        QTest::mouseClick(form.findChild<QPushButton*>("open_command"), Qt::LeftButton);
        QCOMPARE(form.findChild<QLineEdit*>("tplpath_text")->text(), QStringLiteral("/t.xls"));
    }
};

QTEST_MAIN(SharedFileDialogTest)
#include "tst_shared_file_dialog.moc"
