// The real window on a real (virtual) X server: mapped, the right size,
// Chinese glyphs available, and a screenshot left in the build folder; and
// alive while a long merge runs (pings, repaints, close refused, help works).

#include "UiTestSupport.h"
#include "X11Probe.h"
#include "XvfbServer.h"

#include "engine/files/FileSearch.h"
#include "engine/memory/MemoryBinding.h"
#include "ui/Form1.h"
#include "ui/SaveChoiceDialog.h"
#include "ui/TitleLayout.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <thread>

using namespace rm::ui;
using namespace rm::ui::test;

namespace {

// The in-memory spreadsheet, slow like an office: each source takes a while,
// and the last one waits until `release` is set (bounded), so the run lasts
// as long as the test needs it.
class SlowBinding : public rm::SpreadsheetBinding, private rm::GlobalEntryPoint {
public:
    explicit SlowBinding(rm::SpreadsheetBinding& inner, int sources) : m_inner(inner), m_sources(sources) {}
    std::function<void()> onFirstSource;
    std::atomic<bool> release{false};

    std::shared_ptr<rm::SpreadsheetApp> createInstance() override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return m_inner.createInstance();
    }
    rm::GlobalEntryPoint& global() override { return *this; }
    rm::NumericLocale numericLocale() override { return m_inner.numericLocale(); }

private:
    std::shared_ptr<rm::Workbook> openWorkbook(const std::string& path) override
    {
        if (m_opened++ == 0 && onFirstSource)
            onFirstSource();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (m_opened == m_sources)
            for (int i = 0; i < 600 && !release; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return m_inner.global().openWorkbook(path);
    }

    rm::SpreadsheetBinding& m_inner;
    int m_sources;
    int m_opened = 0;
};

struct WhileRunning {
    bool pingAdvertised = false;
    double slowestPingMs = 0;
    int pingsUnanswered = 0;
    bool viewableAfterCloseRequest = false;
    std::set<unsigned long long> barImages;
};

} // namespace

class WindowOnX11Test : public QObject {
    Q_OBJECT

    TemporarySettings* m_settings = nullptr;
    rm::mem::MemoryBinding m_binding;

    static QString xwininfo(WId window)
    {
        QProcess process;
        process.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
        process.waitForFinished(30000);
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    static int field(const QString& info, const QString& name)
    {
        const QRegularExpression pattern(QStringLiteral("%1:\\s+(-?\\d+)").arg(QRegularExpression::escape(name)));
        return pattern.match(info).captured(1).toInt();
    }

    // Answers the next modal message box once it is mapped, recording its text.
    static void answerBox(QStringList& texts, std::function<void(QMessageBox*)> answer)
    {
        QTimer::singleShot(20, [&texts, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) {
                answerBox(texts, answer);
                return;
            }
            texts << box->text();
            answer(box);
        });
    }

    // Runs `answer` once the question before saving is up and mapped.
    static void answerDialog(std::function<void(SaveChoiceDialog*)> answer)
    {
        QTimer::singleShot(20, [answer] {
            auto* dialog = qobject_cast<SaveChoiceDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || !QTest::qWaitForWindowExposed(dialog, 0)) {
                answerDialog(answer);
                return;
            }
            answer(dialog);
        });
    }

    static bool holdsColour(const QImage& image, const QRect& area, Qt::GlobalColor wanted)
    {
        const QColor target(wanted);
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (qAbs(c.red() - target.red()) < 40 && qAbs(c.green() - target.green()) < 40
                    && qAbs(c.blue() - target.blue()) < 40)
                    return true;
            }
        return false;
    }

private slots:
    void initTestCase()
    {
        m_settings = new TemporarySettings;
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }
    void cleanupTestCase() { delete m_settings; }

    // The real question before saving with 300 findings: it fits the screen,
    // and Return sent to it from outside (as automation and remote-desktop
    // tools send keys) takes the default and nothing else: the key, held down
    // by the sender while the dialog vanished, must not press help or start
    // another merge. The window is idle again, its bar empty.
    void return_sent_to_the_question_takes_the_default_and_opens_nothing_else()
    {
        using rm::mem::SheetContent;
        using rm::mem::WorkbookContent;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("各分部按月上报的原始报表/二〇二六年第一季度")));
        const QString folder = dir.filePath(QStringLiteral("各分部按月上报的原始报表/二〇二六年第一季度"));
        m_binding.createWorkbookFile(dir.filePath(QStringLiteral("模板.xls")).toStdString(),
                                     WorkbookContent(SheetContent().text(1, 1, "销售").text(1, 2, "?")));
        TestDesktop desktop;
        Form1Services services = desktop.services();
        services.messageBoxes = std::make_shared<QtMessageBoxes>();
        Form1 form(m_binding, services);
        form.findChild<QLineEdit*>("tplpath_text")->setText(dir.filePath(QStringLiteral("模板.xls")));
        // Each without the template's row label: 300 findings.
        for (int i = 1; i <= 300; ++i) {
            const QString source = folder + QStringLiteral("/第%1分部的销售情况月报表.xls").arg(i);
            m_binding.createWorkbookFile(source.toStdString(),
                                         WorkbookContent(SheetContent().text(1, 1, "其中：").number(1, 2, i)));
            form.addToList(source);
        }
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        const unsigned long window = form.winId();
        auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
        const QRect barArea = bar->geometry();
        const std::string display = std::getenv("DISPLAY");
        X11Probe probe(display);
        const unsigned long long emptyBar =
            probe.pixelDigest(window, barArea.x(), barArea.y(), barArea.width(), barArea.height());

        const QRect screen = form.screen()->geometry();
        QCOMPARE(screen.size(), QSize(1280, 800));
        struct Seen {
            bool up = false;
            QRect frame;
            int findings = 0;
            std::vector<QRect> buttons;
            bool defaultIsDontSave = false;
            bool glyphs = true;
        } seen;
        answerDialog([&](SaveChoiceDialog* dialog) {
            seen.up = true;
            const QString info = xwininfo(dialog->winId());
            seen.frame = QRect(field(info, QStringLiteral("Absolute upper-left X")),
                               field(info, QStringLiteral("Absolute upper-left Y")), field(info, QStringLiteral("Width")),
                               field(info, QStringLiteral("Height")));
            seen.findings = dialog->findingsList()->count();
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->isVisible())
                    seen.buttons.push_back(QRect(b->mapToGlobal(QPoint(0, 0)), b->size()));
            seen.defaultIsDontSave = dialog->button(rm::SaveChoice::DontSave)->isDefault();
            const QLabel* summary = dialog->findChild<QLabel*>("summary");
            for (QChar c : summary->text())
                seen.glyphs = seen.glyphs && QFontMetrics(summary->font()).inFont(c);
            // As the screen shows it, left in the build folder.
            dialog->repaint();
            QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                         QStringLiteral(SCREENSHOT_DIR "/save-choice-screen.png")});
            QProcess::startDetached(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--window"),
                                                                QString::number(dialog->winId()), QStringLiteral("Return")});
        });
        desktop.dialogs->confirmNext(dir.filePath(QStringLiteral("out.xls")));
        // A real click: the focus is on 开始合并 when the window locks.
        const QPoint start = form.findChild<QPushButton*>("save_command")->geometry().center();
        QCOMPARE(std::system(QStringLiteral("xdotool mousemove --window %1 %2 %3 click 1")
                                 .arg(window).arg(start.x()).arg(start.y()).toLocal8Bit().constData()),
                 0);
        QTRY_VERIFY_WITH_TIMEOUT(seen.up && form.findChild<QPushButton*>("save_command")->isEnabled(), 60000);
        // Long enough for a held key to repeat many times.
        QTest::qWait(1500);
        // Whatever the sender left pressed is let go before the next test.
        std::system("xdotool keyup Return");

        QVERIFY(seen.frame.isValid());
        QVERIFY2(screen.contains(seen.frame), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(seen.frame.x())
                                                             .arg(seen.frame.y()).arg(seen.frame.width()).arg(seen.frame.height())));
        QCOMPARE(seen.findings, 300);
        QCOMPARE(seen.buttons.size(), size_t(2));   // none of the sources is alignable
        for (const QRect& b : seen.buttons)
            QVERIFY(screen.contains(b) && seen.frame.contains(b));
        QVERIFY(seen.defaultIsDontSave);
        QVERIFY(seen.glyphs);

        QVERIFY(desktop.openedUrls.empty());
        QCOMPARE(desktop.dialogs->requests.size(), size_t(1));
        QVERIFY(desktop.messages->shown.empty());
        QVERIFY(!m_binding.savedWorkbook(dir.filePath(QStringLiteral("out.xls")).toStdString()));
        QCOMPARE(desktop.exitRequests, 0);
        QVERIFY(!form.findChild<QLabel*>("Label3")->isVisible());
        QCOMPARE(bar->value(), bar->minimum());
        form.repaint();
        QCOMPARE(probe.pixelDigest(window, barArea.x(), barArea.y(), barArea.width(), barArea.height()), emptyBar);
    }

    // A click on 按位置保存 saves as usual.
    void a_click_on_save_by_position_saves()
    {
        using rm::mem::SheetContent;
        using rm::mem::WorkbookContent;
        QTemporaryDir dir;
        const auto file = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
        m_binding.createWorkbookFile(file("模板.xls").toStdString(),
                                     WorkbookContent(SheetContent().text(1, 1, "销售").text(1, 2, "?")));
        m_binding.createWorkbookFile(file("一分部.xls").toStdString(),
                                     WorkbookContent(SheetContent().text(1, 1, "销售").number(1, 2, 5)));
        m_binding.createWorkbookFile(file("二分部.xls").toStdString(),
                                     WorkbookContent(SheetContent().text(1, 1, "其中：").number(1, 2, 7)));
        TestDesktop desktop;
        Form1Services services = desktop.services();
        services.messageBoxes = std::make_shared<QtMessageBoxes>();
        Form1 form(m_binding, services);
        form.findChild<QLineEdit*>("tplpath_text")->setText(file("模板.xls"));
        form.addToList(file("一分部.xls"));
        form.addToList(file("二分部.xls"));
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QStringList texts;
        desktop.dialogs->confirmNext(dir.filePath("out.xls"));
        answerDialog([&](SaveChoiceDialog* dialog) {
            QTest::mouseClick(dialog->button(rm::SaveChoice::ByPosition), Qt::LeftButton);
            answerBox(texts, [](QMessageBox* done) { QTest::keyClick(done, Qt::Key_Return); });
        });
        form.save_command_Click();
        QCOMPARE(texts, QStringList{QStringLiteral("报表合并完成。")});
        QCOMPARE(m_binding.savedWorkbook(dir.filePath("out.xls").toStdString())->active().numberAt(1, 2), 12);
        QCOMPARE(desktop.exitRequests, 1);
    }

    // As a user would: workbooks dragged from another program's window onto
    // the list (XDND), one removed with the Delete key, then the merge.
    void a_real_drop_and_delete_then_a_merge()
    {
        using rm::mem::SheetContent;
        using rm::mem::WorkbookContent;
        QTemporaryDir dir;
        const auto file = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
        m_binding.createWorkbookFile(file("模板.xls").toStdString(), WorkbookContent(SheetContent().text(1, 1, "?")));
        m_binding.createWorkbookFile(file("东区.xls").toStdString(), WorkbookContent(SheetContent().number(1, 1, 5)));
        m_binding.createWorkbookFile(file("西区.xls").toStdString(), WorkbookContent(SheetContent().number(1, 1, 7)));
        m_binding.createWorkbookFile(file("南区.xls").toStdString(), WorkbookContent(SheetContent().number(1, 1, 100)));

        SlowBinding slow(m_binding, 2);   // each source takes a while, so the stage can be seen
        slow.release = true;
        TestDesktop desktop;
        Form1 form(slow, desktop.services());
        form.findChild<QLineEdit*>("tplpath_text")->setText(file("模板.xls"));
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* list = form.findChild<QListWidget*>("List1");

        QProcess source;
        source.start(QStringLiteral(DRAG_HELPER), {file("南区.xls"), file("东区.xls"), file("西区.xls")});
        QVERIFY(source.waitForStarted(30000));
        for (int i = 0; i < 3000 && !source.canReadLine(); ++i)
            QTest::qWait(10);
        QCOMPARE(source.readLine().trimmed(), QByteArray("ready"));

        // The pointer goes down on the other window, travels to the list and is let go there.
        const QPoint target = list->mapToGlobal(list->rect().center());
        QProcess pointer;
        pointer.start(QStringLiteral("xdotool"),
                      {"mousemove", "70", "50", "mousedown", "1", "sleep", "0.3", "mousemove",
                       QString::number(target.x() - 20), QString::number(target.y() - 20), "sleep", "0.3", "mousemove",
                       QString::number(target.x()), QString::number(target.y()), "sleep", "0.3", "mouseup", "1"});
        QVERIFY(pointer.waitForStarted(30000));
        for (int i = 0; i < 3000 && (pointer.state() != QProcess::NotRunning || list->count() < 3); ++i)
            QTest::qWait(10);
        QCOMPARE(pointer.exitCode(), 0);
        for (int i = 0; i < 3000 && !source.canReadLine(); ++i)
            QTest::qWait(10);
        QCOMPARE(source.readLine().trimmed(), QByteArray("copied"));
        source.terminate();
        QVERIFY(source.waitForFinished(30000));
        QVERIFY(desktop.messages->shown.empty());
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), file("南区.xls"));
        QCOMPARE(list->item(2)->text(), file("西区.xls"));
        QCOMPARE(list->currentRow(), 2);

        // A click on the first entry and the Delete key, through the X server.
        const QRect first = list->visualItemRect(list->item(0));
        const QPoint onFirst = list->viewport()->mapToGlobal(first.center());
        QProcess keys;
        keys.start(QStringLiteral("xdotool"), {"mousemove", QString::number(onFirst.x()), QString::number(onFirst.y()),
                                              "click", "1", "sleep", "0.3", "key", "Delete"});
        QVERIFY(keys.waitForStarted(30000));
        for (int i = 0; i < 3000 && (keys.state() != QProcess::NotRunning || list->count() != 2); ++i)
            QTest::qWait(10);
        QCOMPARE(keys.exitCode(), 0);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), file("东区.xls"));
        QCOMPARE(list->item(1)->text(), file("西区.xls"));
        QCOMPARE(list->currentRow(), 0);   // the entry that took the removed one's place

        // What the run told beside the busy text, sampled while it went on.
        QStringList stageTexts;
        QTimer sampler;
        auto* stage = form.findChild<QLabel*>("lblStage");
        connect(&sampler, &QTimer::timeout, [&] {
            if (stageTexts.isEmpty() || stageTexts.last() != stage->text())
                stageTexts << stage->text();
        });
        sampler.start(5);
        desktop.dialogs->confirmNext(dir.filePath("out.xls"));
        form.save_command_Click();
        sampler.stop();
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        QCOMPARE(desktop.messages->shown[0].text, QStringLiteral("报表合并完成。"));
        QCOMPARE(m_binding.savedWorkbook(dir.filePath("out.xls").toStdString())->active().numberAt(1, 1), 12);
        QVERIFY2(stageTexts.contains(QStringLiteral("读取合并文件 1/2 东区.xls")), qPrintable(stageTexts.join('|')));
        QCOMPARE(desktop.exitRequests, 1);
    }

    // A folder being listed holds no thread the desktop needs: the window
    // answers a ping sent while the listing is still going on, and its
    // pointer shows busy meanwhile.
    void a_folder_is_listed_while_the_window_answers_the_desktop()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a.xls"));
        writeFile(dir.filePath("b.xls"));
        TestDesktop desktop;
        Form1Services services = desktop.services();
        const std::string display = std::getenv("DISPLAY");
        unsigned long window = 0;
        double pingMs = -2;
        services.listWorkbooks = [&](const std::string& folder) {
            X11Probe probe(display);
            pingMs = probe.ping(window, 5000);   // answered only if the window's thread is free
            return rm::listWorkbookNames(folder);
        };
        desktop.folderAnswers.push_back(dir.path());
        Form1 form(m_binding, services);
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        window = form.winId();
        bool busy = false;
        QTimer::singleShot(0, [&] { busy = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor; });
        form.addFloder_command_Click();
        std::printf("ping while listing: %.1f ms\n", pingMs);
        QVERIFY2(pingMs >= 0, "the window did not answer while the folder was listed");
        QVERIFY(busy);
        QCOMPARE(form.findChild<QListWidget*>("List1")->count(), 2);
    }

    void the_window_is_mapped_centred_with_its_size()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.findChild<QLineEdit*>("tplpath_text")->setText(QStringLiteral("/home/用户/报表/模板.xls"));
        form.addToList(QStringLiteral("/home/用户/报表/一月.xls"));
        form.addToList(QStringLiteral("/home/用户/报表/二月.xls"));
        // Elided in the middle: the file name stays visible.
        form.addToList(QStringLiteral("/home/用户/报表/二〇二六年/各分部按月上报的原始报表/第一季度/已经审核通过/三月/三分部.xlsx"));
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.repaint();

        const QString info = xwininfo(form.winId());
        QVERIFY2(info.contains(QStringLiteral("Map State: IsViewable")), qPrintable(info));
        QCOMPARE(field(info, QStringLiteral("Width")), 567);
        QCOMPARE(field(info, QStringLiteral("Height")), 401);
        const QRect screen = form.screen()->geometry();
        QVERIFY(qAbs(field(info, QStringLiteral("Absolute upper-left X")) + 567 / 2 - screen.center().x()) <= 1);
        QVERIFY(qAbs(field(info, QStringLiteral("Absolute upper-left Y")) + 401 / 2 - screen.center().y()) <= 1);

        // Chinese text has glyphs (not boxes) in the fonts actually used.
        for (const char* name : {"label1", "Label2", "Label5", "Label3"}) {
            auto* label = form.findChild<QLabel*>(QString::fromLatin1(name));
            QFontMetrics metrics(label->font());
            for (QChar c : label->text())
                QVERIFY2(metrics.inFont(c), name);
        }

        const QString shotDir = QStringLiteral(SCREENSHOT_DIR);
        const QString rootShot = shotDir + QStringLiteral("/form1-screen.png");
        const QString windowShot = shotDir + QStringLiteral("/form1-window.png");
        QFile::remove(rootShot);
        QProcess import;
        import.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), rootShot});
        QVERIFY(import.waitForFinished(60000));
        QCOMPARE(import.exitCode(), 0);
        QCOMPARE(QImage(rootShot).size(), screen.size());

        const QImage window = form.screen()->grabWindow(form.winId()).toImage();
        QCOMPARE(window.size(), QSize(567, 401));
        QVERIFY(window.save(windowShot));
        // The logo is red where the table puts it, and the link blue.
        QVERIFY(holdsColour(window, QRect(10, 0, 141, 47), Qt::red));
        QVERIFY(holdsColour(window, QRect(12, 0, 141, 49), Qt::white));   // the shadow
        QVERIFY(holdsColour(window, QRect(478, 22, 89, 15), Qt::blue));
        // The host name ends inside the window: nothing of it reaches the last column.
        QVERIFY(!holdsColour(window, QRect(566, 22, 1, 15), Qt::blue));
        QVERIFY(!holdsColour(window, QRect(160, 0, 40, 30), Qt::red));
        // The logo's top is not cut off, and it stays clear of the title beside it.
        QVERIFY(!holdsColour(window, QRect(0, 0, 567, 1), Qt::red));
        QVERIFY(!holdsColour(window, inkRect(form.findChild<QLabel*>("label1")), Qt::red));
    }

    void the_window_lives_on_while_a_long_merge_runs()
    {
        const int sourceCount = 12;
        QTemporaryDir dir;
        const auto file = [&](const QString& name) { return dir.filePath(name).toStdString(); };
        m_binding.createWorkbookFile(file("t.xls"), rm::mem::WorkbookContent(rm::mem::SheetContent().text(1, 1, "?")));
        SlowBinding slow(m_binding, sourceCount);
        TestDesktop desktop;
        Form1 form(slow, desktop.services());
        form.findChild<QLineEdit*>("tplpath_text")->setText(dir.filePath("t.xls"));
        for (int i = 0; i < sourceCount; ++i) {
            m_binding.createWorkbookFile(file(QStringLiteral("s%1.xls").arg(i)),
                                         rm::mem::WorkbookContent(rm::mem::SheetContent().number(1, 1, i)));
            form.addToList(dir.filePath(QStringLiteral("s%1.xls").arg(i)));
        }
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        const unsigned long window = form.winId();
        auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
        const QRect barArea = bar->geometry();
        const QPoint help = form.findChild<QPushButton*>("help_command")->geometry().center();
        const std::string display = std::getenv("DISPLAY");

        // As a window manager would, from a connection of its own, while the run lasts.
        WhileRunning seen;
        std::thread desktopSide;
        slow.onFirstSource = [&] {
            desktopSide = std::thread([&] {
                X11Probe probe(display);
                seen.pingAdvertised = probe.advertisesPing(window);
                for (int i = 0; i < 8; ++i) {
                    const double ms = probe.ping(window, 5000);
                    if (ms < 0)
                        ++seen.pingsUnanswered;
                    seen.slowestPingMs = std::max(seen.slowestPingMs, ms);
                    seen.barImages.insert(probe.pixelDigest(window, barArea.x(), barArea.y(), barArea.width(),
                                                            barArea.height()));
                    if (i == 3) {
                        probe.requestClose(window);
                        std::system(QStringLiteral("xdotool mousemove --window %1 %2 %3 click 1")
                                        .arg(window).arg(help.x()).arg(help.y()).toLocal8Bit().constData());
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(150));
                }
                seen.viewableAfterCloseRequest = probe.isViewable(window);
                slow.release = true;
            });
        };
        std::vector<int> barValues;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, [&] { barValues.push_back(bar->value()); });
        sampler.start(10);
        desktop.dialogs->confirmNext(dir.filePath("out.xls"));
        form.save_command_Click();
        sampler.stop();
        if (desktopSide.joinable())
            desktopSide.join();

        std::printf("while merging: slowest ping %.1f ms, %zu bar images, %zu bar samples\n", seen.slowestPingMs,
                    seen.barImages.size(), barValues.size());
        QVERIFY(seen.pingAdvertised);
        QCOMPARE(seen.pingsUnanswered, 0);
        QVERIFY2(seen.slowestPingMs < 1000, qPrintable(QString::number(seen.slowestPingMs)));
        QVERIFY(seen.viewableAfterCloseRequest);
        QVERIFY2(seen.barImages.size() >= 3, "the bar was not repainted during the run");
        QVERIFY(std::is_sorted(barValues.begin(), barValues.end()));
        QVERIFY(std::set<int>(barValues.begin(), barValues.end()).size() >= 10);
        QCOMPARE(desktop.openedUrls.size(), size_t(1));
        QVERIFY(desktop.openedUrls[0].toLocalFile().endsWith(QStringLiteral("help.chm")));
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        QCOMPARE(desktop.messages->shown[0].text, QStringLiteral("报表合并完成。"));
        QCOMPARE(desktop.exitRequests, 1);
        QCOMPARE(bar->value(), bar->maximum());
    }
};

int main(int argc, char* argv[])
{
    XvfbServer server("1280x800x24");
    if (!server.running()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        WindowOnX11Test test;
        result = QTest::qExec(&test, argc, argv);
    }
    return result;
}

#include "tst_window_x11.moc"
