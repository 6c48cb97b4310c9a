// The merge command: template and list checks with their messages, the
// remembered template, the output dialog, the locked window, the run over
// the in-memory spreadsheet, success hand-over and the failure message.

#include "UiTestSupport.h"

#include "engine/ForwardingSpreadsheet.h"
#include "engine/memory/MemoryBinding.h"
#include "ui/Form1.h"
#include "ui/OutputName.h"
#include "ui/SaveChoiceDialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

using namespace rm::ui;
using namespace rm::ui::test;
using rm::mem::MemoryBinding;
using rm::mem::SheetContent;
using rm::mem::WorkbookContent;

namespace {

const QStringList lockedButtons{"add_command", "addFloder_command", "del_command", "open_command", "save_command"};

// The in-memory spreadsheet with a hook that runs when the merge starts its instance.
class HookedBinding : public rm::ForwardingBinding {
public:
    using ForwardingBinding::ForwardingBinding;
    std::function<void()> onStart;
    std::shared_ptr<rm::SpreadsheetApp> createInstance() override
    {
        if (onStart)
            onStart();
        return ForwardingBinding::createInstance();
    }
};

class ThrowingBinding : public rm::SpreadsheetBinding {
public:
    std::shared_ptr<rm::SpreadsheetApp> createInstance() override { throw std::runtime_error("boom"); }
    rm::GlobalEntryPoint& global() override { throw std::runtime_error("no global"); }
    rm::NumericLocale numericLocale() override { return {}; }
};

bool isLocked(Form1& form)
{
    for (const QString& name : lockedButtons)
        if (form.findChild<QPushButton*>(name)->isEnabled())
            return false;
    return form.findChild<QLabel*>("Label3")->isVisible() && form.findChild<QPushButton*>("help_command")->isEnabled();
}

// The real question before saving; every other message recorded.
class RealQuestionOnly : public MessageBoxes {
public:
    explicit RealQuestionOnly(std::shared_ptr<RecordingMessageBoxes> messages) : m_messages(std::move(messages)) {}
    void show(QWidget* owner, const QString& text, QMessageBox::Icon icon) override { m_messages->show(owner, text, icon); }
    rm::SaveChoice chooseSave(QWidget* owner, const rm::LayoutFindings& findings) override
    {
        return QtMessageBoxes().chooseSave(owner, findings);
    }

private:
    std::shared_ptr<RecordingMessageBoxes> m_messages;
};

// Runs `answer` inside the dialog's modal loop once it is up.
void answerTheDialog(std::function<void(SaveChoiceDialog*)> answer)
{
    QTimer::singleShot(10, [answer] {
        auto* dialog = qobject_cast<SaveChoiceDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            answerTheDialog(answer);
            return;
        }
        answer(dialog);
    });
}

bool isIdle(Form1& form)
{
    for (const QString& name : lockedButtons)
        if (!form.findChild<QPushButton*>(name)->isEnabled())
            return false;
    return !form.findChild<QLabel*>("Label3")->isVisible();
}

} // namespace

class MergeCommandTest : public QObject {
    Q_OBJECT

    TemporarySettings* m_settings = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MemoryBinding> m_binding;
    std::unique_ptr<TestDesktop> m_desktop;
    int m_case = 0;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    void createTemplateAndSources()
    {
        // B1 is summed; A1 is its row label.
        m_binding->createWorkbookFile(path("t.xls").toStdString(), WorkbookContent(SheetContent().text(1, 1, "合计").text(1, 2, "?")));
        m_binding->createWorkbookFile(path("s1.xls").toStdString(), WorkbookContent(SheetContent().text(1, 1, "合计").number(1, 2, 5)));
        m_binding->createWorkbookFile(path("s2.xls").toStdString(), WorkbookContent(SheetContent().text(1, 1, "合计").number(1, 2, 7)));
        // Another layout: its label cell reads differently.
        m_binding->createWorkbookFile(path("moved.xls").toStdString(), WorkbookContent(SheetContent().text(1, 1, "项目").number(1, 2, 4)));
        // The layout, but no number to add.
        m_binding->createWorkbookFile(path("blank.xls").toStdString(), WorkbookContent(SheetContent().text(1, 1, "合计")));
    }

    std::unique_ptr<Form1> readyForm(rm::SpreadsheetBinding& binding)
    {
        auto form = std::make_unique<Form1>(binding, m_desktop->services());
        form->findChild<QLineEdit*>("tplpath_text")->setText(path("t.xls"));
        form->addToList(path("s1.xls"));
        form->addToList(path("s2.xls"));
        form->show();
        return form;
    }

    QStringList messageTexts() const
    {
        QStringList texts;
        for (const ShownMessage& m : m_desktop->messages->shown)
            texts << m.text;
        return texts;
    }

    QVariant storedTemplate() const { return TemporarySettings::storedTemplatePath(m_desktop->settingsName); }

private slots:
    void initTestCase() { m_settings = new TemporarySettings; }
    void cleanupTestCase() { delete m_settings; }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_binding = std::make_unique<MemoryBinding>();
        m_desktop = std::make_unique<TestDesktop>();
        m_desktop->settingsName = QStringLiteral("merge-case-%1").arg(++m_case);
        createTemplateAndSources();
    }

    // --- template check -------------------------------------------------------
    void bad_template_gives_the_template_message_only_data()
    {
        QTest::addColumn<QString>("templatePath");
        QTest::newRow("empty") << QString();
        QTest::newRow("folder") << QStringLiteral("<dir>");
        QTest::newRow("hidden") << QStringLiteral("<dir>/.t.xls");
        QTest::newRow("office lock file") << QStringLiteral("<dir>/~$t.xls");
        QTest::newRow("missing") << QStringLiteral("<dir>/gone.xls");
    }

    void bad_template_gives_the_template_message_only()
    {
        QFETCH(QString, templatePath);
        writeFile(path(".t.xls"));
        writeFile(path("~$t.xls"));
        auto form = readyForm(*m_binding);
        form->findChild<QLineEdit*>("tplpath_text")->setText(templatePath.replace("<dir>", m_dir->path()));
        form->save_command_Click();
        QCOMPARE(messageTexts(), QStringList{"模板文件未找到，请重新选择模板文件。"});
        QCOMPARE(m_desktop->messages->shown[0].icon, QMessageBox::Information);
        QVERIFY(!storedTemplate().isValid());
        QVERIFY(m_desktop->dialogs->requests.empty());
        QVERIFY(isIdle(*form));
    }

    // --- list check -------------------------------------------------------------
    void empty_list_gives_the_list_message_and_the_template_is_remembered()
    {
        Form1 form(*m_binding, m_desktop->services());
        form.findChild<QLineEdit*>("tplpath_text")->setText(path("t.xls"));
        form.save_command_Click();
        QCOMPARE(messageTexts(), QStringList{"请添加相应的合并文件。"});
        QCOMPARE(storedTemplate().toString(), path("t.xls"));
        QVERIFY(m_desktop->dialogs->requests.empty());
    }

    void only_the_first_missing_entry_is_reported()
    {
        auto form = readyForm(*m_binding);
        form->addToList(path("missing1.xls"));
        form->addToList(path("missing2.xls"));
        form->save_command_Click();
        QCOMPARE(messageTexts(), QStringList{"请检查" + path("missing1.xls") + "是否存在。"});
        QCOMPARE(m_desktop->messages->shown[0].icon, QMessageBox::Information);
        QCOMPARE(storedTemplate().toString(), path("t.xls"));
        QVERIFY(m_desktop->dialogs->requests.empty());
        QVERIFY(isIdle(*form));
    }

    void hidden_lock_and_folder_entries_count_as_missing_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("dot file") << ".s.xls";
        QTest::newRow("office lock file") << "~$s1.xls";
        QTest::newRow("folder") << "sub.xls";
    }

    void hidden_lock_and_folder_entries_count_as_missing()
    {
        QFETCH(QString, entry);
        writeFile(path(".s.xls"));
        writeFile(path("~$s1.xls"));
        QVERIFY(QDir(m_dir->path()).mkdir("sub.xls"));
        auto form = readyForm(*m_binding);
        form->addToList(path(entry));
        form->save_command_Click();
        QCOMPARE(messageTexts(), QStringList{"请检查" + path(entry) + "是否存在。"});
    }

    // --- output dialog ------------------------------------------------------------
    void cancelled_output_dialog_leaves_everything_as_it_was()
    {
        m_desktop->now = QDateTime(QDate(2026, 3, 3), QTime(0, 0, 1));
        auto form = readyForm(*m_binding);
        m_desktop->dialogs->cancelNext();
        form->save_command_Click();
        QVERIFY(m_desktop->messages->shown.empty());
        QVERIFY(isIdle(*form));
        QCOMPARE(form->findChild<QListWidget*>("List1")->count(), 2);
        QCOMPARE(m_binding->instancesStarted(), 0);
        const FileDialogRequest& request = m_desktop->dialogs->requests.at(0);
        QCOMPARE(request.mode, FileDialogRequest::Mode::Save);
        QCOMPARE(request.fileName, QStringLiteral("合并后报表-20260303-000001.xls"));
        // The first line, the one the dialog opens with, has the dot.
        QCOMPARE(request.nameFilters, (QStringList{"Excel File(.xls) (*.xls)",
                                                   "所有表格文件 (*.xls *.xlsx *.ods) (*.xls *.xlsx *.ods)"}));
        QVERIFY(request.confirmOverwrite);
        QCOMPARE(form->cd1().flags(), 2u);
        QCOMPARE(storedTemplate().toString(), path("t.xls"));
    }

    void proposed_name_is_local_24_hour_zero_padded()
    {
        QCOMPARE(defaultOutputName(QDateTime(QDate(2026, 3, 3), QTime(0, 0, 1))), QStringLiteral("合并后报表-20260303-000001.xls"));
        QCOMPARE(defaultOutputName(QDateTime(QDate(2026, 2, 1), QTime(9, 5, 3))), QStringLiteral("合并后报表-20260201-090503.xls"));
        QCOMPARE(defaultOutputName(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))), QStringLiteral("合并后报表-20261231-235959.xls"));
    }

    // --- the run ------------------------------------------------------------------
    void successful_merge_hands_over_and_ends_the_program()
    {
        auto form = readyForm(*m_binding);
        m_desktop->dialogs->confirmNext(path("out.xls"));
        bool lockedDuringMessage = false;
        bool visibleDuringMessage = false;
        m_desktop->messages->whileShown = [&](const ShownMessage&) {
            lockedDuringMessage = isLocked(*form);
            visibleDuringMessage = form->isVisible();
        };
        form->save_command_Click();

        QCOMPARE(messageTexts(), QStringList{"报表合并完成。"});
        QCOMPARE(m_desktop->messages->shown[0].icon, QMessageBox::Information);
        QVERIFY(lockedDuringMessage);
        QVERIFY(visibleDuringMessage);
        QVERIFY(form->isHidden());
        QVERIFY(m_binding->lastInstanceVisible());
        QCOMPARE(m_desktop->exitRequests, 1);

        auto saved = m_binding->savedWorkbook(path("out.xls").toStdString());
        QVERIFY(saved.has_value());
        QCOMPARE(QString::fromStdString(saved->active().displayedText(1, 2)), QStringLiteral("12"));
        // Sources in list order.
        const auto& events = m_binding->events();
        auto first = std::find(events.begin(), events.end(), "open-readonly " + path("s1.xls").toStdString());
        auto second = std::find(events.begin(), events.end(), "open-readonly " + path("s2.xls").toStdString());
        QVERIFY(first != events.end() && second != events.end() && first < second);
        // The bar ends full.
        QCOMPARE(form->progress().value(), form->progress().maximum());
        QCOMPARE(storedTemplate().toString(), path("t.xls"));
    }

    void output_name_without_extension_is_used_as_typed()
    {
        auto form = readyForm(*m_binding);
        m_desktop->dialogs->confirmNext(path("merged"));
        form->save_command_Click();
        QVERIFY(m_binding->savedWorkbook(path("merged").toStdString()).has_value());
        QCOMPARE(m_desktop->exitRequests, 1);
    }

    void failing_run_reports_the_error_and_stays_locked()
    {
        m_binding->failOpen(path("s2.xls").toStdString(), rm::Error(2012, "无法打开文件。"));
        auto form = readyForm(*m_binding);
        m_desktop->dialogs->confirmNext(path("out.xls"));
        form->save_command_Click();
        QCOMPARE(messageTexts(), QStringList{"错误:2012\r\n无法打开文件。"});
        QCOMPARE(m_desktop->messages->shown[0].icon, QMessageBox::NoIcon);
        QVERIFY(isLocked(*form));
        QVERIFY(form->isVisible());
        QCOMPARE(m_desktop->exitRequests, 0);
        QCOMPARE(storedTemplate().toString(), path("t.xls"));
        // Help and the link stay usable.
        QTest::mouseClick(form->findChild<QPushButton*>("help_command"), Qt::LeftButton);
        QTest::mouseClick(form->findChild<QLabel*>("lblSite"), Qt::LeftButton);
        QCOMPARE(m_desktop->openedUrls.size(), size_t(2));
    }

    void negative_error_numbers_keep_their_sign()
    {
        m_binding->failStart(rm::Error(-2147, "启动失败"));
        auto form = readyForm(*m_binding);
        m_desktop->dialogs->confirmNext(path("out.xls"));
        form->save_command_Click();
        QCOMPARE(messageTexts(), QStringList{"错误:-2147\r\n启动失败"});
    }

    void failing_hand_over_shows_the_window_again()
    {
        m_binding->failSetVisible(rm::Error(2040, "无法打开合并结果。"));
        auto form = readyForm(*m_binding);
        m_desktop->dialogs->confirmNext(path("out.xls"));
        form->save_command_Click();
        QCOMPARE(messageTexts(), (QStringList{"报表合并完成。", "错误:2040\r\n无法打开合并结果。"}));
        QVERIFY(form->isVisible());
        QVERIFY(isLocked(*form));
        QCOMPARE(m_desktop->exitRequests, 0);
    }

    void any_other_exception_is_reported_too()
    {
        ThrowingBinding throwing;
        auto form = readyForm(throwing);
        m_desktop->dialogs->confirmNext(path("out.xls"));
        form->save_command_Click();
        QCOMPARE(messageTexts(), QStringList{"错误:1099\r\n意外的错误：boom"});
        QVERIFY(isLocked(*form));
    }

    // --- the check before saving ---------------------------------------------------
    void findings_ask_first_and_dont_save_returns_to_idle_and_a_second_merge_works()
    {
        auto form = readyForm(*m_binding);
        form->addToList(path("moved.xls"));
        auto* bar = form->findChild<QProgressBar*>("ProgressBar1");
        auto* save = form->findChild<QPushButton*>("save_command");
        save->setFocus();
        m_desktop->dialogs->confirmNext(path("out.xls"));
        bool inputReachedTheQuestion = false;
        QWidget* focusWhileAsked = nullptr;
        m_desktop->messages->whileAsked = [&](const rm::LayoutFindings&) {
            // Locked, the window keeps its focus on the list, not on help.
            focusWhileAsked = form->focusWidget();
            // The question must take clicks although the window is locked.
            QTest::mouseClick(form->findChild<QPushButton*>("help_command"), Qt::LeftButton);
            inputReachedTheQuestion = !m_desktop->openedUrls.empty() && isLocked(*form);
        };
        m_desktop->messages->setNextAnswer(rm::SaveChoice::DontSave);
        form->save_command_Click();

        QCOMPARE(m_desktop->messages->questions.size(), size_t(1));
        const rm::LayoutFindings& findings = m_desktop->messages->questions[0];
        QCOMPARE(findings.size(), size_t(1));
        QCOMPARE(findings[0].kind, rm::LayoutFinding::Kind::LayoutDiffers);
        QCOMPARE(QString::fromStdString(findings[0].sourcePath), path("moved.xls"));
        QCOMPARE(findings[0].sourceIndex, 2);
        QVERIFY(inputReachedTheQuestion);
        QCOMPARE(focusWhileAsked, form->findChild<QListWidget*>("List1"));
        QVERIFY(m_desktop->messages->shown.empty());
        QVERIFY(isIdle(*form));
        QVERIFY(form->isVisible());
        // Idle as before the merge: the bar shows empty, the focus is back.
        QCOMPARE(bar->value(), bar->minimum());
        QCOMPARE(form->progress().value(), 0.0f);
        QCOMPARE(form->progress().maximum(), 100.0f);
        QCOMPARE(form->focusWidget(), save);
        QCOMPARE(form->findChild<QListWidget*>("List1")->count(), 3);
        QCOMPARE(m_desktop->exitRequests, 0);
        QVERIFY(!m_binding->savedWorkbook(path("out.xls").toStdString()).has_value());
        QVERIFY(m_binding->openDocuments().empty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 5);   // t, s1, s2, moved, blank

        // Fix the list and merge again: no findings, no question.
        form->findChild<QListWidget*>("List1")->setCurrentRow(2);
        form->del_command_Click();
        m_desktop->dialogs->confirmNext(path("out.xls"));
        form->save_command_Click();
        QCOMPARE(m_desktop->messages->questions.size(), size_t(1));
        QCOMPARE(messageTexts(), QStringList{"报表合并完成。"});
        QCOMPARE(m_desktop->exitRequests, 1);
        QCOMPARE(bar->value(), bar->maximum());
    }

    void each_saving_choice_saves_and_is_handed_to_the_run_data()
    {
        QTest::addColumn<int>("choice");
        QTest::newRow("by position") << int(rm::SaveChoice::ByPosition);
        QTest::newRow("aligned by labels") << int(rm::SaveChoice::AlignByLabels);
    }

    void each_saving_choice_saves_and_is_handed_to_the_run()
    {
        QFETCH(int, choice);
        auto form = readyForm(*m_binding);
        form->addToList(path("moved.xls"));
        m_desktop->dialogs->confirmNext(path("out.xls"));
        m_desktop->messages->setNextAnswer(rm::SaveChoice(choice));
        form->save_command_Click();
        QCOMPARE(m_desktop->messages->questions.size(), size_t(1));
        QCOMPARE(messageTexts(), QStringList{"报表合并完成。"});
        QCOMPARE(m_desktop->exitRequests, 1);
        auto saved = m_binding->savedWorkbook(path("out.xls").toStdString());
        QVERIFY(saved.has_value());
        // moved.xls is not alignable (its label is nowhere): read in place either way.
        QCOMPARE(QString::fromStdString(saved->active().displayedText(1, 2)), QStringLiteral("16"));
    }

    // The real dialog, answered from the keyboard.
    void the_real_dialog_return_takes_the_default_and_escape_does_not_save_data()
    {
        QTest::addColumn<QString>("extraSource");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("saved");
        // Only a source with nothing to add: saving changes no sum, so it is the default.
        QTest::newRow("nothing to add, Return") << "blank.xls" << int(Qt::Key_Return) << true;
        QTest::newRow("nothing to add, Escape") << "blank.xls" << int(Qt::Key_Escape) << false;
        QTest::newRow("layout differs, Return") << "moved.xls" << int(Qt::Key_Return) << false;
    }

    void the_real_dialog_return_takes_the_default_and_escape_does_not_save()
    {
        QFETCH(QString, extraSource);
        QFETCH(int, key);
        QFETCH(bool, saved);
        TestDesktop& desktop = *m_desktop;
        Form1Services services = desktop.services();
        services.messageBoxes = std::make_shared<RealQuestionOnly>(desktop.messages);
        auto form = std::make_unique<Form1>(*m_binding, services);
        form->findChild<QLineEdit*>("tplpath_text")->setText(path("t.xls"));
        form->addToList(path("s1.xls"));
        form->addToList(path(extraSource));
        form->show();
        QString summary;
        answerTheDialog([&](SaveChoiceDialog* dialog) {
            summary = dialog->findChild<QLabel*>("summary")->text();
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key(key));
        });
        desktop.dialogs->confirmNext(path("out.xls"));
        form->save_command_Click();
        QVERIFY(summary.startsWith(QStringLiteral("合并前检查发现 1 项问题：")));
        QCOMPARE(m_binding->savedWorkbook(path("out.xls").toStdString()).has_value(), saved);
        QCOMPARE(desktop.exitRequests, saved ? 1 : 0);
        QVERIFY(desktop.openedUrls.empty());
        if (!saved) {
            QVERIFY(isIdle(*form));
            auto* bar = form->findChild<QProgressBar*>("ProgressBar1");
            QCOMPARE(bar->value(), bar->minimum());
        }
    }

    void the_window_lives_on_but_takes_only_help_and_the_link_while_the_merge_runs()
    {
        HookedBinding hooked(*m_binding);
        auto form = readyForm(hooked);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* list = form->findChild<QListWidget*>("List1");
        auto* link = form->findChild<QLabel*>("lblSite");
        bool offTheWindowThread = false;
        bool lockedWhileRunning = false;
        bool closedWhileRunning = true;
        int rowAfterClick = -1;
        size_t urlsWhileRunning = 0;
        QColor hoveredLink;
        hooked.onStart = [&] {
            offTheWindowThread = QThread::currentThread() != form->thread();
            // The run waits here while the window's own thread takes the input.
            QMetaObject::invokeMethod(
                form.get(),
                [&] {
                    lockedWhileRunning = isLocked(*form);
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
                    rowAfterClick = list->currentRow();
                    QTest::keyClick(form.get(), Qt::Key_Space);
                    QTest::mouseClick(form->findChild<QPushButton*>("help_command"), Qt::LeftButton);
                    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                                     Qt::NoButton, Qt::NoModifier);
                    QApplication::sendEvent(link, &move);
                    hoveredLink = link->palette().color(QPalette::WindowText);
                    QTest::mouseClick(link, Qt::LeftButton);
                    urlsWhileRunning = m_desktop->openedUrls.size();
                    closedWhileRunning = form->close();
                    QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
                    QCoreApplication::processEvents();
                },
                Qt::BlockingQueuedConnection);
        };
        m_desktop->dialogs->confirmNext(path("out.xls"));
        form->save_command_Click();
        QVERIFY(offTheWindowThread);
        QVERIFY(lockedWhileRunning);
        QCOMPARE(rowAfterClick, 1);
        QVERIFY(!closedWhileRunning);
        QCOMPARE(urlsWhileRunning, size_t(2));
        QCOMPARE(hoveredLink, QColor(255, 0, 0));
        QCOMPARE(messageTexts(), QStringList{"报表合并完成。"});
        QCOMPARE(m_desktop->exitRequests, 1);

        // Afterwards input reaches the whole window again.
        form->show();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(list->currentRow(), 0);
    }
};

QTEST_MAIN(MergeCommandTest)
#include "tst_merge_command.moc"
