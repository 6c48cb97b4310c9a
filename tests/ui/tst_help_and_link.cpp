// Help and the maker's link: what is opened, and the link's hover colours.

#include "UiTestSupport.h"

#include "engine/memory/MemoryBinding.h"
#include "ui/DesktopOpener.h"
#include "ui/Form1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace rm::ui;
using namespace rm::ui::test;

namespace {

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);

QColor linkColour(Form1& form)
{
    return form.findChild<QLabel*>("lblSite")->palette().color(QPalette::WindowText);
}

} // namespace

class HelpAndLinkTest : public QObject {
    Q_OBJECT

    TemporarySettings* m_settings = nullptr;
    rm::mem::MemoryBinding m_binding;

    void moveTo(Form1& form, QPoint pos)
    {
        QTest::mouseMove(&form, pos);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() { m_settings = new TemporarySettings; }
    void cleanupTestCase() { delete m_settings; }

    void help_opens_help_chm_beside_the_program()
    {
        TestDesktop desktop;
        desktop.programFolder = QStringLiteral("/opt/报表/bin");
        Form1 form(m_binding, desktop.services());
        QTest::mouseClick(form.findChild<QPushButton*>("help_command"), Qt::LeftButton);
        QCOMPARE(desktop.openedUrls.size(), size_t(1));
        QCOMPARE(desktop.openedUrls[0], QUrl::fromLocalFile("/opt/报表/bin/help.chm"));
        QVERIFY(desktop.messages->shown.empty());
    }

    void a_program_in_the_root_gives_a_doubled_separator()
    {
        TestDesktop desktop;
        desktop.programFolder = QStringLiteral("/");
        Form1 form(m_binding, desktop.services());
        form.help_command_Click();
        QCOMPARE(desktop.openedUrls.at(0), QUrl::fromLocalFile("//help.chm"));
        QCOMPARE(desktop.openedUrls.at(0).toLocalFile(), QStringLiteral("//help.chm"));
    }

    void help_is_looked_for_in_the_program_folder_not_the_working_folder()
    {
        QTemporaryDir elsewhere;
        const QString before = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        Form1Services services = TestDesktop().services();
        services.programFolder = nullptr;
        std::vector<QUrl> opened;
        services.openUrl = [&](const QUrl& url, const std::function<void()>&) { opened.push_back(url); };
        Form1 form(m_binding, services);
        form.help_command_Click();
        QDir::setCurrent(before);
        QCOMPARE(opened.at(0), QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/help.chm"));
    }

    void when_nothing_opens_help_the_window_says_so_and_names_a_viewer()
    {
        QTemporaryDir program;
        QFile(program.filePath("help.chm")).open(QIODevice::WriteOnly);
        TestDesktop desktop;
        desktop.programFolder = program.path();
        Form1 form(m_binding, desktop.services());
        auto* help = form.findChild<QPushButton*>("help_command");
        QTest::mouseClick(help, Qt::LeftButton);
        QCOMPARE(desktop.openedUrls.size(), size_t(1));
        QVERIFY(desktop.messages->shown.empty());   // nothing said before the opener has ended
        desktop.openFailures.at(0)();
        QCOMPARE(desktop.messages->shown.size(), size_t(1));
        const ShownMessage& said = desktop.messages->shown[0];
        QVERIFY2(said.text.contains(program.filePath("help.chm")) && said.text.contains("xchm"), qPrintable(said.text));
        QCOMPARE(said.icon, QMessageBox::Information);

        // The window goes on as before: the next click opens once more, and
        // a missing file is named as such.
        QVERIFY(help->isEnabled());
        QFile::remove(program.filePath("help.chm"));
        QTest::mouseClick(help, Qt::LeftButton);
        QCOMPARE(desktop.openedUrls.size(), size_t(2));
        desktop.openFailures.at(1)();
        QVERIFY2(!desktop.messages->shown.back().text.contains("xchm"), qPrintable(desktop.messages->shown.back().text));

        // The link's failures are not the window's to report.
        form.lblSite_Click();
        QVERIFY(!desktop.openFailures.back());
    }

    void the_desktop_opener_reports_only_its_failure()
    {
        // A stand-in xdg-open that exits with the status the file names.
        QTemporaryDir bin;
        QFile opener(bin.filePath("xdg-open"));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\necho \"$1\" >>\"$(dirname \"$0\")/calls\"\nexit \"$(basename \"$1\")\"\n");
        opener.close();
        opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit() + ":" + path);
        int failures = 0;
        rm::ui::openWithDesktop(QUrl::fromLocalFile("/nowhere/3"), [&] { ++failures; });
        QTRY_COMPARE(failures, 1);
        rm::ui::openWithDesktop(QUrl::fromLocalFile("/nowhere/0"), [&] { ++failures; });
        QTRY_VERIFY(QFile(bin.filePath("calls")).size() > 11);
        QTest::qWait(200);
        QCOMPARE(failures, 1);
        qputenv("PATH", bin.path().toLocal8Bit() + "/absent");
        rm::ui::openWithDesktop(QUrl::fromLocalFile("/nowhere/0"), [&] { ++failures; });
        QTRY_COMPARE(failures, 2);
        qputenv("PATH", path);
        QFile calls(bin.filePath("calls"));
        QVERIFY(calls.open(QIODevice::ReadOnly));
        QCOMPARE(calls.readAll(), QByteArray("/nowhere/3\n/nowhere/0\n"));   // one opener per request
    }

    void the_link_opens_the_makers_address_and_keeps_its_colour()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* site = form.findChild<QLabel*>("lblSite");
        QCOMPARE(site->text(), QStringLiteral("brivane.example"));
        QTest::mouseClick(site, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));
        QCOMPARE(desktop.openedUrls.size(), size_t(1));
        QCOMPARE(desktop.openedUrls[0], QUrl("http://brivane.example/"));
        QCOMPARE(desktop.openedUrls[0].host(), site->text());
        QCOMPARE(linkColour(form), blue);

        moveTo(form, {500, 23});
        QCOMPARE(linkColour(form), red);
        QTest::mouseClick(site, Qt::LeftButton, Qt::NoModifier, QPoint(30, 5));
        QCOMPARE(linkColour(form), red);
        QCOMPARE(desktop.openedUrls.size(), size_t(2));
    }

    void hover_colours_follow_the_pointer()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(linkColour(form), blue);

        moveTo(form, {301, 30});    // Label5 (the pointer may still stand where an earlier test left it)
        QCOMPARE(linkColour(form), blue);
        moveTo(form, {500, 23});    // lblSite alone
        QCOMPARE(linkColour(form), red);
        moveTo(form, {300, 30});    // Label5 outside the overlap
        QCOMPARE(linkColour(form), red);
        moveTo(form, {530, 380});   // help_command
        QCOMPARE(linkColour(form), red);
        moveTo(form, {200, 60});    // the disabled template field
        QCOMPARE(linkColour(form), red);
        moveTo(form, {100, 200});   // the list inside the frame
        QCOMPARE(linkColour(form), red);
        moveTo(form, {4, 200});     // bare surface left of the frame
        QCOMPARE(linkColour(form), blue);
        moveTo(form, {500, 32});    // where lblSite overlaps Label5
        QCOMPARE(linkColour(form), red);
        moveTo(form, {300, 41});    // the drawn separator is bare surface for the pointer
        QCOMPARE(linkColour(form), blue);
        moveTo(form, {300, 395});   // where the hidden Label3 lies
        QCOMPARE(linkColour(form), blue);
    }

    void the_pointer_over_the_link_asks_a_question()
    {
        TestDesktop desktop;
        Form1 form(m_binding, desktop.services());
        QCOMPARE(form.findChild<QLabel*>("lblSite")->cursor().shape(), Qt::WhatsThisCursor);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(HelpAndLinkTest)
#include "tst_help_and_link.moc"
