// The shared file dialog cd1: what it keeps between uses, the filter's Qt
// form, how the real dialog and message box are set up, and the template
// chooser built on it.

#include "UiTestSupport.h"

#include "engine/memory/MemoryBinding.h"
#include "ui/Form1.h"
#include "ui/SharedFileDialog.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
    }

    void the_user_reads_the_description_alone()
    {
        FileDialogRequest request;
        request.nameFilters = SharedFileDialog::toQtNameFilters("Excel File(.xls)|*xls");
        auto dialog = QtFileDialogPresenter::makeDialog(nullptr, request);
        QVERIFY(dialog->testOption(QFileDialog::HideNameFilterDetails));
        QCOMPARE(dialog->nameFilters(), QStringList{"Excel File(.xls) (*xls)"});
        // The pattern has no dot: any name ending in xls is offered.
        QVERIFY(QDir::match(QStringLiteral("*xls"), QStringLiteral("reportxls")));
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

    void the_real_question_has_yes_and_no_and_no_is_the_default()
    {
        auto box = QtMessageBoxes::makeQuestion(nullptr, QStringLiteral("仍然保存合并结果吗？"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Brivane 合并报表"));
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        QCOMPARE(box->escapeButton(), static_cast<QAbstractButton*>(box->button(QMessageBox::No)));
        // Enter takes the default: not saving.
        QTimer::singleShot(0, box.get(), [&] { QTest::keyClick(box.get(), Qt::Key_Return); });
        QCOMPARE(box->exec(), int(QMessageBox::No));
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
        QCOMPARE(request.nameFilters, QStringList{"Excel File(.xls) (*xls)"});
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
        QCOMPARE(desktop.dialogs->requests.back().nameFilters, QStringList{"Excel File(.xls) (*xls)"});
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
