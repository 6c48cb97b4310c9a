// The pieces that keep the window alive but closed to input during a merge,
// and the real folder chooser.

#include "ui/FolderBrowser.h"
#include "ui/InputBlocker.h"
#include "ui/ProgressBarAdaptor.h"
#include "ui/RepeatedEnterFilter.h"

#include "engine/progress/MergeStages.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <set>
#include <thread>
#include <vector>

using namespace rm::ui;

namespace {

// Counts the posted events it receives.
class EventCounter : public QObject {
public:
    int received = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            ++received;
            return true;
        }
        return QObject::event(e);
    }
};

// Answers the folder dialog once it is up (runs inside its modal loop).
void answerFolderDialog(std::function<void(QFileDialog*)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, [answer] { answerFolderDialog(answer); });
            return;
        }
        answer(dialog);
    });
}

} // namespace

class BusyWindowTest : public QObject {
    Q_OBJECT

private slots:
    // --- ProgressBarAdaptor --------------------------------------------------
    void keeps_the_three_values_as_written()
    {
        QProgressBar bar;
        ProgressBarAdaptor progress(&bar);
        progress.setMaximum(16777216.0f);
        progress.setMinimum(0.0f);
        progress.setValue(16777216.0f);
        progress.setValue(progress.value() + 1.0f);   // single precision cannot grow past 2^24
        QCOMPARE(progress.value(), 16777216.0f);
        QCOMPARE(progress.maximum(), 16777216.0f);
        progress.setValue(0.25f);
        QCOMPARE(progress.value(), 0.25f);
    }

    void alone_the_summation_fills_the_bar_which_never_goes_back()
    {
        QProgressBar bar;
        ProgressBarAdaptor progress(&bar);
        QCOMPARE(bar.value(), 0);
        progress.setMaximum(4.0f);
        progress.setMinimum(0.0f);
        progress.setValue(1.0f);
        QCOMPARE(bar.value(), ProgressBarAdaptor::barSteps / 4);
        progress.setValue(-3.0f);
        progress.setValue(std::numeric_limits<float>::quiet_NaN());
        progress.setMaximum(std::numeric_limits<float>::infinity());
        QCOMPARE(bar.value(), ProgressBarAdaptor::barSteps / 4);
        QVERIFY(std::isnan(progress.value()));
        progress.setMaximum(4.0f);
        progress.setValue(9.0f);                      // past the maximum: full, not beyond
        QCOMPARE(bar.value(), bar.maximum());
    }

    void cleared_after_an_unfinished_run_the_bar_is_empty_and_the_next_run_starts_from_nothing()
    {
        QProgressBar bar;
        ProgressBarAdaptor progress(&bar);
        progress.beginRun(2);
        progress.stageProgress(rm::MergeStage::Summing, 0, 0);
        progress.setMaximum(8.0f);
        progress.setValue(8.0f);
        progress.endRun(false);
        const int stoppedAt = bar.value();
        QVERIFY(stoppedAt > ProgressBarAdaptor::barSteps / 2);
        progress.setValue(0.0f);   // alone it cannot take the bar back
        QCOMPARE(bar.value(), stoppedAt);
        progress.clear();
        QCOMPARE(bar.value(), bar.minimum());
        QCOMPARE(progress.value(), 0.0f);
        QCOMPARE(progress.minimum(), 0.0f);
        QCOMPARE(progress.maximum(), 100.0f);
        progress.beginRun(2);
        progress.stageProgress(rm::MergeStage::StartingOffice, 0, 0);
        QVERIFY(bar.value() < stoppedAt);
        progress.endRun(true);
        QCOMPARE(bar.value(), bar.maximum());
    }

    void a_run_from_another_thread_moves_the_bar_forward_on_its_own_thread()
    {
        QProgressBar bar;
        ProgressBarAdaptor progress(&bar);
        progress.beginRun(3);
        std::vector<int> seen;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] { seen.push_back(bar.value()); });
        sampler.start(5);
        std::atomic<bool> done{false};
        std::thread run([&] {
            using rm::MergeStage;
            const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(60)); };
            progress.stageProgress(MergeStage::StartingOffice, 0, 0);
            pause();
            progress.stageProgress(MergeStage::StartingOffice, 1, 1);
            progress.stageProgress(MergeStage::OpeningTarget, 0, 0);
            for (long i = 0; i <= 3; ++i) {
                progress.stageProgress(MergeStage::ReadingSources, i, 3);
                pause();
            }
            progress.stageProgress(MergeStage::Summing, 0, 0);
            progress.setMaximum(6.0f);
            progress.setMinimum(0.0f);
            progress.setValue(0.0f);
            for (int cell = 0; cell < 6; ++cell) {
                progress.setValue(progress.value() + 1.0f);
                pause();
            }
            progress.stageProgress(MergeStage::Saving, 0, 0);
            pause();
            progress.stageProgress(MergeStage::Finishing, 0, 0);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), 20000);
        run.join();
        QTest::qWait(100);
        sampler.stop();
        QCOMPARE(progress.maximum(), 6.0f);           // the summation's values as written
        QCOMPARE(progress.value(), 6.0f);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QVERIFY(std::set<int>(seen.begin(), seen.end()).size() > 10);
        QVERIFY(bar.value() > 0 && bar.value() < bar.maximum());
        progress.endRun(true);
        QCOMPARE(bar.value(), bar.maximum());
    }

    void a_failed_run_leaves_the_bar_where_it_stood()
    {
        QProgressBar bar;
        ProgressBarAdaptor progress(&bar);
        progress.beginRun(2);
        progress.stageProgress(rm::MergeStage::ReadingSources, 1, 2);
        const int reached = bar.value();
        QVERIFY(reached > 0);
        progress.endRun(false);
        QTest::qWait(100);
        QCOMPARE(bar.value(), reached);
    }

    // --- InputBlocker --------------------------------------------------------
    // --- the stage label --------------------------------------------------------
    void the_stage_label_tells_the_stage_count_and_source_just_read()
    {
        QProgressBar bar;
        QLabel label;
        label.resize(210, 17);
        ProgressBarAdaptor progress(&bar);
        progress.setStageLabel(&label);
        QStringList paths;
        std::vector<std::string> sources;
        for (int i = 1; i <= 300; ++i) {
            paths << QStringLiteral("/报表/%1区.xls").arg(i);
            sources.push_back(paths.last().toStdString());
        }
        sources[11] = "/报表/东区.xls";
        progress.nameSources(sources);
        progress.beginRun(300);
        QCOMPARE(label.text(), QString());   // nothing reported yet
        progress.stageProgress(rm::MergeStage::StartingOffice, 0, 0);
        QCOMPARE(label.text(), QStringLiteral("启动 LibreOffice"));
        progress.stageProgress(rm::MergeStage::ReadingSources, 0, 300);
        QCOMPARE(label.text(), QStringLiteral("读取合并文件 0/300"));
        progress.stageProgress(rm::MergeStage::ReadingSources, 12, 300);
        QCOMPARE(label.text(), QStringLiteral("读取合并文件 12/300 东区.xls"));
        QCOMPARE(label.toolTip(), QStringLiteral("读取合并文件 12/300 东区.xls"));
        progress.stageProgress(rm::MergeStage::Summing, 0, 0);
        QCOMPARE(label.text(), QStringLiteral("求和"));
        progress.endRun(false);
        QCOMPARE(label.text(), QStringLiteral("求和"));   // a failed run shows where it stopped
    }

    void while_the_run_waits_for_an_answer_the_label_says_so_and_the_bar_stays()
    {
        QProgressBar bar;
        QLabel label;
        label.resize(210, 17);
        ProgressBarAdaptor progress(&bar);
        progress.setStageLabel(&label);
        progress.nameSources({"/报表/东区.xls"});
        progress.beginRun(1);
        progress.stageProgress(rm::MergeStage::Summing, 0, 0);
        const int before = bar.value();
        progress.awaitAnswer(true);
        QCOMPARE(label.text(), QStringLiteral("等待您的选择"));
        QCOMPARE(bar.value(), before);
        progress.awaitAnswer(true);   // asked twice: still one question
        progress.awaitAnswer(false);
        QCOMPARE(label.text(), QStringLiteral("求和"));
        progress.stageProgress(rm::MergeStage::Saving, 0, 0);
        QCOMPARE(label.text(), QStringLiteral("保存"));
        progress.endRun(true);
        QCOMPARE(bar.value(), bar.maximum());
    }

    void a_long_source_name_gives_way_and_the_text_fits_the_label()
    {
        QProgressBar bar;
        QLabel label;
        label.resize(210, 17);
        ProgressBarAdaptor progress(&bar);
        progress.setStageLabel(&label);
        const std::string longName = "/报表/二〇二六年各分部按月上报并且已经审核通过的原始报表第三季度东区.xls";
        progress.nameSources({longName, "/a.xls"});
        progress.beginRun(2);
        progress.stageProgress(rm::MergeStage::ReadingSources, 1, 2);
        const QString shown = label.text();
        QVERIFY2(shown.startsWith(QStringLiteral("读取合并文件 1/2 二")), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("…")) && shown.endsWith(QStringLiteral(".xls")), qPrintable(shown));
        QVERIFY(label.fontMetrics().horizontalAdvance(shown) <= label.width());
        QVERIFY(label.toolTip().endsWith(QString::fromStdString(longName).mid(4)));

        label.resize(90, 17);   // too narrow even for the stage: its end is cut
        progress.stageProgress(rm::MergeStage::ReadingSources, 2, 2);
        QVERIFY2(label.text().endsWith(QStringLiteral("…")), qPrintable(label.text()));
        QVERIFY(label.fontMetrics().horizontalAdvance(label.text()) <= label.width());
    }

    void swallows_input_and_close_but_not_other_events()
    {
        QWidget window;
        auto* button = new QPushButton(QStringLiteral("x"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* help = new QPushButton(QStringLiteral("help"), &window);
        help->move(0, 40);
        QSignalSpy clicks(button, &QPushButton::clicked);
        QSignalSpy helpClicks(help, &QPushButton::clicked);
        EventCounter counter;
        {
            InputBlocker blocker({help});
            QTest::mouseClick(button, Qt::LeftButton);
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
            QTest::mouseClick(help, Qt::LeftButton);
            help->setFocus();
            QTest::keyClick(help, Qt::Key_Space);
            QVERIFY(!window.close());
            QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
            QCoreApplication::processEvents();
        }
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(helpClicks.count(), 2);
        QVERIFY(window.isVisible());
        QCOMPARE(counter.received, 1);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(window.close());
    }

    void knows_what_user_input_is()
    {
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::KeyPress, QEvent::Wheel, QEvent::Close,
                               QEvent::TouchBegin, QEvent::Drop, QEvent::ContextMenu})
            QVERIFY(InputBlocker::isUserInput(t));
        for (QEvent::Type t : {QEvent::Paint, QEvent::Timer, QEvent::UpdateRequest, QEvent::Resize, QEvent::Show})
            QVERIFY(!InputBlocker::isUserInput(t));
    }

    // --- RepeatedEnterFilter --------------------------------------------------
    void only_the_first_press_of_a_held_enter_gets_through()
    {
        struct PressCounter : QWidget {
            QList<int> presses;
            void keyPressEvent(QKeyEvent* e) override { presses << e->key(); }
        } widget;
        const auto send = [&](QEvent::Type type, Qt::Key key, quint64 stamp, bool repeat = false) {
            QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
            event.setTimestamp(stamp);
            QApplication::sendEvent(&widget, &event);
        };
        {
            RepeatedEnterFilter filter;
            send(QEvent::KeyPress, Qt::Key_Return, 1000);
            send(QEvent::KeyRelease, Qt::Key_Return, 1660, true);   // the window system's repeat pair...
            send(QEvent::KeyPress, Qt::Key_Return, 1660, true);
            send(QEvent::KeyRelease, Qt::Key_Return, 1700);   // ...and one the toolkit did not flag
            send(QEvent::KeyPress, Qt::Key_Return, 1700);
            send(QEvent::KeyPress, Qt::Key_Enter, 1700);
            send(QEvent::KeyPress, Qt::Key_A, 1700);   // other keys pass
            send(QEvent::KeyRelease, Qt::Key_Return, 1740);
            send(QEvent::KeyPress, Qt::Key_Return, 2500);   // a new keystroke
            send(QEvent::KeyRelease, Qt::Key_Return, 0);    // events without a time stamp are never repeats
            send(QEvent::KeyPress, Qt::Key_Return, 0);
        }
        QCOMPARE(widget.presses, (QList<int>{Qt::Key_Return, Qt::Key_A, Qt::Key_Return, Qt::Key_Return}));
        send(QEvent::KeyPress, Qt::Key_Return, 0, true);   // gone with the filter
        QCOMPARE(widget.presses.size(), 5);
    }

    // --- FolderBrowser -------------------------------------------------------
    void folder_chooser_offers_folders_and_gives_the_choice()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("月报 2026")));
        const QString wanted = dir.filePath(QStringLiteral("月报 2026"));
        bool foldersOnly = false;
        QString title;
        answerFolderDialog([&](QFileDialog* dialog) {
            foldersOnly = dialog->fileMode() == QFileDialog::Directory && dialog->testOption(QFileDialog::ShowDirsOnly);
            title = dialog->windowTitle();
            dialog->setDirectory(dir.path());
            dialog->selectFile(wanted);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(FolderBrowser::browseForFolder(nullptr, QStringLiteral("选择目录")), wanted);
        QVERIFY(foldersOnly);
        QCOMPARE(title, QStringLiteral("选择目录"));
    }

    void folder_chooser_gives_the_root_as_is()
    {
        answerFolderDialog([](QFileDialog* dialog) {
            dialog->setDirectory(QStringLiteral("/"));
            dialog->selectFile(QStringLiteral("/"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(FolderBrowser::browseForFolder(nullptr, QStringLiteral("选择目录")), QStringLiteral("/"));
    }

    void cancelled_folder_chooser_gives_nothing()
    {
        answerFolderDialog([](QFileDialog* dialog) { dialog->reject(); });
        QCOMPARE(FolderBrowser::browseForFolder(nullptr, QStringLiteral("选择目录")), QString());
    }
};

QTEST_MAIN(BusyWindowTest)
#include "tst_busy_window.moc"
