// The real window on a real (virtual) X server: mapped, the right size,
// Chinese glyphs available, and a screenshot left in the build folder.

#include "UiTestSupport.h"
#include "XvfbServer.h"

#include "engine/memory/MemoryBinding.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstdlib>

using namespace rm::ui;
using namespace rm::ui::test;

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
    }
};

int main(int argc, char* argv[])
{
    XvfbServer server;
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
