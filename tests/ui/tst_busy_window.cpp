// The pieces that keep the window alive but closed to input during a merge,
// and the real folder chooser.

#include "ui/FolderBrowser.h"
#include "ui/InputBlocker.h"
#include "ui/ProgressBarAdaptor.h"

#include <QApplication>
#include <QFileDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <limits>

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

    void shows_the_value_between_minimum_and_maximum()
    {
        QProgressBar bar;
        ProgressBarAdaptor progress(&bar);
        QCOMPARE(bar.value(), 0);
        progress.setMaximum(4.0f);
        progress.setMinimum(0.0f);
        progress.setValue(1.0f);
        QCOMPARE(bar.value(), ProgressBarAdaptor::barSteps / 4);
        progress.setValue(4.0f);
        QCOMPARE(bar.value(), bar.maximum());
        progress.setValue(9.0f);                      // past the maximum: full, not beyond
        QCOMPARE(bar.value(), bar.maximum());
        progress.setValue(-3.0f);
        QCOMPARE(bar.value(), 0);
        progress.setValue(std::numeric_limits<float>::quiet_NaN());
        QCOMPARE(bar.value(), 0);
        progress.setMaximum(0.0f);                    // an empty range shows empty
        progress.setValue(0.0f);
        QCOMPARE(bar.value(), 0);
        progress.setMaximum(std::numeric_limits<float>::infinity());
        progress.setValue(1.0f);
        QCOMPARE(bar.value(), 0);
    }

    void lets_the_window_repaint_only_while_busy()
    {
        QProgressBar bar;
        ProgressBarAdaptor progress(&bar);
        EventCounter counter;
        QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
        progress.setValue(1.0f);
        QCOMPARE(counter.received, 0);                // idle: never yields
        progress.setRepaintWhileBusy(true);
        progress.setValue(2.0f);                      // the first update while busy processes events
        QCOMPARE(counter.received, 1);
    }

    // --- InputBlocker --------------------------------------------------------
    void swallows_input_and_close_but_not_other_events()
    {
        QWidget window;
        auto* button = new QPushButton(QStringLiteral("x"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(button, &QPushButton::clicked);
        EventCounter counter;
        {
            InputBlocker blocker;
            QTest::mouseClick(button, Qt::LeftButton);
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
            QVERIFY(!window.close());
            QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
            QCoreApplication::processEvents();
        }
        QCOMPARE(clicks.count(), 0);
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
