// The window as built: every control's place, text, font, colour and
// visibility; stacking; focus order and keys; fixed size; start-up.

#include "UiTestSupport.h"

#include "engine/memory/MemoryBinding.h"
#include "ui/Form1.h"
#include "ui/LineControl.h"
#include "ui/TemplateSetting.h"
#include "ui/TitleLayout.h"
#include "ui/WindowTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

using namespace rm::ui;
using namespace rm::ui::test;

namespace {

QString shownText(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return QString();
}

const QStringList titleBand = {"Label4_0", "Label4_1", "label1", "Label5", "lblSite"};

QLabel* designedLabel(QWidget* window, const QString& text, QRect box, const QFont& font)
{
    auto* label = new QLabel(text, window);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(box);
    label->setFont(font);
    return label;
}

QFont fontOf(const QString& family, qreal points, QFont::Weight weight = QFont::Normal)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

// Inks inside their own boxes and inside the band; neighbours' inks apart.
void checkTitleBand(const TitleBand& band)
{
    const QRect area(0, 0, band.width, band.bottom);
    const std::vector<QLabel*> labels = {band.logo, band.logoShadow, band.title, band.slogan, band.site};
    for (QLabel* label : labels) {
        const QRect ink = inkRect(label);
        QVERIFY2(label->geometry().contains(ink), qPrintable(label->text()));
        QVERIFY2(area.contains(ink), qPrintable(label->text()));
    }
    for (QLabel* logo : {band.logo, band.logoShadow})
        QVERIFY(!inkRect(logo).intersects(inkRect(band.title)));
    QVERIFY(!inkRect(band.title).intersects(inkRect(band.slogan)));
    QVERIFY(!inkRect(band.slogan).intersects(inkRect(band.site)));
}

} // namespace

class Form1WindowTest : public QObject {
    Q_OBJECT

    TemporarySettings* m_settings = nullptr;
    rm::mem::MemoryBinding m_binding;

    std::unique_ptr<Form1> makeForm(TestDesktop& desktop) { return std::make_unique<Form1>(m_binding, desktop.services()); }

private slots:
    void initTestCase() { m_settings = new TemporarySettings; }
    void cleanupTestCase() { delete m_settings; }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("family");      // "" = the window's font
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("weight");
        QTest::addColumn<QColor>("textColour");   // invalid = the default
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");

        const QColor standard;
        auto row = [](const char* name, const char* kind, const char* container, QRect box, const QString& text,
                      const QString& family, double points, int weight, QColor colour, bool visible, bool enabled) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << QString::fromLatin1(container)
                                << box << text << family << points << weight << colour << visible << enabled;
        };
        row("chkAllSheets", "QCheckBox", "Form1", {8, 372, 200, 25}, "合并所有工作表", "", 9, 400, standard, true, true);
        row("help_command", "QPushButton", "Form1", {510, 372, 49, 25}, "帮助", "", 9, 400, standard, true, true);
        row("save_command", "QPushButton", "Form1", {352, 372, 149, 25}, "开始合并", "", 9, 400, standard, true, true);
        row("ProgressBar1", "QProgressBar", "Form1", {14, 352, 465, 13}, "", "", 9, 400, standard, true, true);
        row("open_command", "QPushButton", "Form1", {488, 50, 65, 25}, "打开", "", 9, 400, standard, true, true);
        row("Frame1", "QGroupBox", "Form1", {8, 80, 553, 289}, "需要合并的文件列表", "", 9, 400, standard, true, true);
        row("List1", "QListWidget", "Frame1", {8, 16, 465, 256}, "", "", 9, 400, standard, true, true);
        row("del_command", "QPushButton", "Frame1", {480, 104, 65, 33}, "移除", "", 9, 400, standard, true, true);
        row("addFloder_command", "QPushButton", "Frame1", {480, 56, 65, 33}, "添加目录所有文件", "", 9, 400, standard, true, true);
        row("add_command", "QPushButton", "Frame1", {480, 16, 65, 33}, "添加", "", 9, 400, standard, true, true);
        row("tplpath_text", "QLineEdit", "Form1", {82, 48, 399, 25}, "", "", 9, 400, standard, true, false);
        row("lblSite", "QLabel", "Form1", {478, 22, 101, 15}, "brivane.example", "Arial", 7.5, 400, QColor(0, 0, 255), true, true);
        row("Label5", "QLabel", "Form1", {202, 24, 361, 15}, "简单实用的就是最好的！更多免费好用软件请访问：", "", 9, 400, standard, true, true);
        row("Label4_0", "QLabel", "Form1", {10, -2, 141, 49}, "Brivane", "Arial Black", 21.75, 900, QColor(255, 0, 0), true, true);
        row("Label3", "QLabel", "Form1", {8, 374, 337, 17}, "正在处理，请稍候……", "", 9, 400, standard, false, true);
        row("Line1_0", "rm::ui::LineControl", "Form1", {0, 40, 568, 1}, "", "", 9, 400, standard, true, true);
        row("Label2", "QLabel", "Form1", {12, 52, 73, 25}, "模板文件：", "宋体", 10.5, 400, standard, true, true);
        row("label1", "QLabel", "Form1", {114, 14, 83, 20}, "合并报表", "黑体", 15, 400, standard, true, true);
        row("Line1_1", "rm::ui::LineControl", "Form1", {0, 41, 568, 2}, "", "", 9, 400, standard, true, true);
        row("Label4_1", "QLabel", "Form1", {12, 0, 141, 49}, "Brivane", "Arial Black", 21.75, 900, QColor(255, 255, 255), true, true);
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, container);
        QFETCH(QRect, box);
        QFETCH(QString, text);
        QFETCH(QString, family);
        QFETCH(double, points);
        QFETCH(int, weight);
        QFETCH(QColor, textColour);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);

        TestDesktop desktop;
        auto form = makeForm(desktop);
        form->show();
        auto* w = form->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY(w->inherits(kind.toLatin1().constData()));
        QCOMPARE(w->parentWidget()->objectName(), container);
        // The title band's boxes are designed ones, moved and sized by the
        // fonts found (title_texts_fit_the_fonts_found); the logo may get smaller.
        const bool placedByMeasure = titleBand.contains(name);
        if (!placedByMeasure)
            QCOMPARE(w->geometry(), box);
        QCOMPARE(shownText(w), text);
        if (family.isEmpty())
            QCOMPARE(w->font().family(), form->font().family());
        else
            QCOMPARE(w->font().family(), family);
        if (placedByMeasure)
            QVERIFY(w->font().pointSizeF() <= points && w->font().pointSizeF() >= qMin(points, 12.0));
        else
            QCOMPARE(w->font().pointSizeF(), points);
        QCOMPARE(int(w->font().weight()), weight);
        if (textColour.isValid())
            QCOMPARE(w->palette().color(QPalette::WindowText), textColour);
        QCOMPARE(w->isVisible(), visible);
        QCOMPARE(w->isEnabled(), enabled);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            QVERIFY(!label->autoFillBackground());
            QVERIFY(label->alignment() & Qt::AlignLeft);
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
    }

    void title_texts_fit_the_fonts_found()
    {
        TestDesktop desktop;
        auto form = makeForm(desktop);
        auto label = [&](const char* name) { return form->findChild<QLabel*>(name); };
        checkTitleBand({label("Label4_0"), label("Label4_1"), label("label1"), label("Label5"), label("lblSite"),
                        form->width(), form->findChild<LineControl*>("Line1_0")->y()});
        QCOMPARE(form->size(), QSize(567, 401));
    }

    // The band with the designed boxes, under the faces a desktop may substitute.
    void title_texts_fit_any_font_data()
    {
        QTest::addColumn<QString>("logoFamily");
        QTest::addColumn<QString>("titleFamily");
        QTest::addColumn<bool>("designedPlace");   // the title, slogan and link stay where designed
        QTest::newRow("narrow bold logo") << "WenQuanYi Micro Hei" << "WenQuanYi Micro Hei" << true;
        QTest::newRow("wide bold logo") << "DejaVu Sans" << "WenQuanYi Micro Hei" << false;
        QTest::newRow("very wide logo and title") << "DejaVu Sans Mono" << "DejaVu Sans" << false;
    }

    void title_texts_fit_any_font()
    {
        QFETCH(QString, logoFamily);
        QFETCH(QString, titleFamily);
        QFETCH(bool, designedPlace);
        QWidget window;
        window.setFixedSize(567, 401);
        const QFont logoFont = fontOf(logoFamily, 21.75, QFont::Black);
        const TitleBand band{designedLabel(&window, "Brivane", {10, -2, 141, 49}, logoFont),
                             designedLabel(&window, "Brivane", {12, 0, 141, 49}, logoFont),
                             designedLabel(&window, titleCaption, {114, 14, 83, 20}, fontOf(titleFamily, 15)),
                             designedLabel(&window, sloganCaption, {202, 24, 361, 15}, fontOf("WenQuanYi Micro Hei", 9)),
                             designedLabel(&window, siteHostName, {478, 22, 101, 15}, fontOf("DejaVu Sans", 7.5)),
                             567, 40};
        // Every face is checked against what it resolves to (fonts-wqy-microhei
        // and fonts-dejavu are installed by scripts/deps.sh).
        designedPlace = designedPlace && QFontInfo(logoFont).family() == logoFamily;
        placeTitleBand(band);
        checkTitleBand(band);
        QCOMPARE(band.logo->pos().x(), 10);
        QCOMPARE(band.logoShadow->pos() - band.logo->pos(), QPoint(2, 2));
        if (designedPlace) {
            QCOMPARE(band.logo->font().pointSizeF(), 21.75);
            QCOMPARE(band.title->pos(), QPoint(114, 14));
            QCOMPARE(band.slogan->pos(), QPoint(202, 24));
            QCOMPARE(band.site->pos(), QPoint(478, 22));
        }
    }

    void window_font_and_special_drawing()
    {
        TestDesktop desktop;
        auto form = makeForm(desktop);
        QCOMPARE(form->font().pointSizeF(), 9.0);
        QCOMPARE(form->windowTitle(), QStringLiteral("Brivane 合并报表"));
        QVERIFY(!form->windowIcon().isNull());
        QCOMPARE(form->windowIcon().availableSizes().value(0), QSize(32, 32));
        auto* site = form->findChild<QLabel*>("lblSite");
        QVERIFY(site->font().underline());
        QCOMPARE(site->cursor().shape(), Qt::WhatsThisCursor);
        // The host name shows whole: within the label's box and the window's right edge.
        const int room = qMin(site->width(), form->width() - site->x());
        QVERIFY2(site->fontMetrics().horizontalAdvance(site->text()) <= room,
                 qPrintable(QStringLiteral("%1 px for %2 px").arg(site->fontMetrics().horizontalAdvance(site->text())).arg(room)));
        QCOMPARE(form->findChild<LineControl*>("Line1_1")->colour(), QColor(255, 255, 255));
        QCOMPARE(form->findChild<LineControl*>("Line1_0")->colour(), form->palette().color(QPalette::WindowText));
        auto* field = form->findChild<QLineEdit*>("tplpath_text");
        QCOMPARE(field->focusPolicy(), Qt::NoFocus);
        auto* list = form->findChild<QListWidget*>("List1");
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!list->isSortingEnabled());
        QCOMPARE(list->count(), 0);
        QCOMPARE(form->findChild<QProgressBar*>("ProgressBar1")->value(), 0);
    }

    void stacking_puts_windowed_controls_in_front_of_drawn_items()
    {
        TestDesktop desktop;
        auto form = makeForm(desktop);
        QStringList frontToBack;
        const QObjectList children = form->children();
        for (auto it = children.crbegin(); it != children.crend(); ++it)
            if (qobject_cast<QWidget*>(*it))
                frontToBack << (*it)->objectName();
        QCOMPARE(frontToBack, (QStringList{"chkAllSheets", "help_command", "save_command", "ProgressBar1", "open_command", "Frame1",
                                           "tplpath_text", "lblSite", "Label5", "Label4_0", "Label3", "Line1_0",
                                           "Label2", "label1", "Line1_1", "Label4_1"}));
        form->show();
        // lblSite over Label5 where they overlap; the bar over the frame's lower part.
        const QRect overlap = form->findChild<QLabel*>("lblSite")->geometry().intersected(
            form->findChild<QLabel*>("Label5")->geometry());
        QVERIFY(!overlap.isEmpty());
        QCOMPARE(form->childAt(overlap.center())->objectName(), QStringLiteral("lblSite"));
        QCOMPARE(form->childAt(100, 358)->objectName(), QStringLiteral("ProgressBar1"));
        // The red logo over its white shadow.
        QCOMPARE(form->childAt(40, 20)->objectName(), QStringLiteral("Label4_0"));
        // Lines take no pointer: the pointer over them is over the bare surface.
        QCOMPARE(form->childAt(560, 41), nullptr);
    }

    // The merge's stage is told in Label3's row, after its fixed text and
    // before the merge button, and shows and hides with Label3.
    void the_stage_label_lies_in_the_busy_texts_row()
    {
        TestDesktop desktop;
        auto form = makeForm(desktop);
        form->show();
        auto* busy = form->findChild<QLabel*>("Label3");
        auto* stage = form->findChild<QLabel*>("lblStage");
        QVERIFY(stage);
        QCOMPARE(stage->parentWidget(), busy);
        QCOMPARE(busy->text(), QStringLiteral("正在处理，请稍候……"));
        const QRect box(stage->mapTo(form.get(), QPoint(0, 0)), stage->size());
        QCOMPARE(box.top(), busy->y());
        QVERIFY(box.left() >= busy->x() + busy->fontMetrics().horizontalAdvance(busy->text()) + 6);
        QVERIFY(box.right() < form->findChild<QPushButton*>("save_command")->x());
        QVERIFY2(box.width() >= 200, qPrintable(QString::number(box.width())));
        QVERIFY(!stage->isVisible());
        busy->show();
        QVERIFY(stage->isVisible());
        QCOMPARE(stage->textFormat(), Qt::PlainText);
    }

    void fixed_size_without_maximise()
    {
        TestDesktop desktop;
        const int prepared = m_binding.prepareCalls();
        auto form = makeForm(desktop);
        QCOMPARE(m_binding.prepareCalls(), prepared);
        form->showCentred();
        QCOMPARE(m_binding.prepareCalls(), prepared + 1);   // the office starts when the window opens
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(form->size(), QSize(567, 401));
        QCOMPARE(form->minimumSize(), QSize(567, 401));
        QCOMPARE(form->maximumSize(), QSize(567, 401));
        const Qt::WindowFlags flags = form->windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        const QRect screen = form->screen()->availableGeometry();
        QCOMPARE(form->geometry().center(), QRect(form->geometry().topLeft(), QSize(567, 401)).center());
        QVERIFY(qAbs(form->geometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(form->geometry().center().y() - screen.center().y()) <= 1);
    }

    void tab_cycles_through_the_focusable_controls()
    {
        TestDesktop desktop;
        auto form = makeForm(desktop);
        form->showCentred();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("open_command"));
        const QStringList cycle{"add_command", "addFloder_command", "del_command", "List1", "chkAllSheets",
                                "save_command", "help_command", "open_command"};
        for (const QString& expected : cycle) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), expected);
        }
    }

    void enter_presses_only_the_focused_button_and_escape_does_nothing()
    {
        TestDesktop desktop;
        auto form = makeForm(desktop);
        form->showCentred();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(desktop.dialogs->requests.empty());
        QVERIFY(form->isVisible());

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);   // open_command
        QCOMPARE(desktop.dialogs->requests.size(), size_t(1));
        QCOMPARE(desktop.dialogs->requests[0].nameFilters.first(), QStringLiteral("Excel File(.xls) (*xls)"));

        form->findChild<QListWidget*>("List1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(desktop.dialogs->requests.size(), size_t(1));
        QVERIFY(desktop.messages->shown.empty());

        form->findChild<QWidget*>("help_command")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(desktop.openedUrls.size(), size_t(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(desktop.openedUrls.size(), size_t(2));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(desktop.openedUrls.size(), size_t(2));
        // A held key's repeats are the same keystroke: nothing more.
        for (int i = 0; i < 3; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(QApplication::focusWidget(), &repeat);
        }
        // A repeat not flagged as one: the press carries its release's time stamp.
        const auto send = [](QEvent::Type type, quint64 stamp) {
            QKeyEvent event(type, Qt::Key_Return, Qt::NoModifier);
            event.setTimestamp(stamp);
            QApplication::sendEvent(QApplication::focusWidget(), &event);
        };
        send(QEvent::KeyRelease, 5000);
        send(QEvent::KeyPress, 5000);
        QCOMPARE(desktop.openedUrls.size(), size_t(2));
        send(QEvent::KeyRelease, 5000);
        send(QEvent::KeyPress, 5120);   // a new keystroke
        QCOMPARE(desktop.openedUrls.size(), size_t(3));
        QCOMPARE(desktop.dialogs->requests.size(), size_t(1));
    }

    // 合并所有工作表 is remembered in the settings file, and makes way for the
    // working caption during a merge.
    void the_all_sheets_box_is_remembered()
    {
        TestDesktop desktop;
        desktop.settingsName = QStringLiteral("all-sheets");
        {
            auto form = makeForm(desktop);
            form->show();
            auto* box = form->findChild<QCheckBox*>("chkAllSheets");
            QVERIFY(!box->isChecked());
            QVERIFY(!TemplateSetting(desktop.settingsName).readAllSheets());
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            QVERIFY(box->isChecked());
            QVERIFY(TemplateSetting(desktop.settingsName).readAllSheets());
            // The box and the working caption share the row: never both shown.
            QVERIFY(box->geometry().intersects(form->findChild<QLabel*>("Label3")->geometry()));
            QVERIFY(box->geometry().right() < form->findChild<QPushButton*>("save_command")->x());
        }
        auto again = makeForm(desktop);
        QVERIFY(again->findChild<QCheckBox*>("chkAllSheets")->isChecked());
        again->findChild<QCheckBox*>("chkAllSheets")->setChecked(false);
        QVERIFY(!TemplateSetting(desktop.settingsName).readAllSheets());
    }

    void start_up_without_a_setting_leaves_the_field_empty()
    {
        TestDesktop desktop;
        desktop.settingsName = QStringLiteral("never-stored");
        auto form = makeForm(desktop);
        QCOMPARE(form->findChild<QLineEdit*>("tplpath_text")->text(), QString());
        QVERIFY(desktop.messages->shown.empty());
        QVERIFY(!TemporarySettings::storedTemplatePath("never-stored").isValid());   // reading writes nothing
    }

    void start_up_shows_a_stale_path_unchanged()
    {
        const QString stale = QStringLiteral("  /gone/旧模板 a.xls ");
        TestDesktop desktop;
        desktop.settingsName = QStringLiteral("stale");
        TemporarySettings::storeTemplatePath("stale", stale);
        auto form = makeForm(desktop);
        QCOMPARE(form->findChild<QLineEdit*>("tplpath_text")->text(), stale);
        QCOMPARE(form->findChild<QLineEdit*>("tplpath_text")->cursorPosition(), 0);   // shows its beginning
        QVERIFY(desktop.messages->shown.empty());
    }

    void a_program_under_another_name_has_its_own_setting()
    {
        TemporarySettings::storeTemplatePath("reportmerge", "/data/t.xls");
        TestDesktop desktop;
        desktop.settingsName = QStringLiteral("reportmerge2");
        QCOMPARE(makeForm(desktop)->findChild<QLineEdit*>("tplpath_text")->text(), QString());
        desktop.settingsName = QStringLiteral("reportmerge");
        QCOMPARE(makeForm(desktop)->findChild<QLineEdit*>("tplpath_text")->text(), QStringLiteral("/data/t.xls"));
    }

    void the_setting_is_named_after_the_program_file()
    {
        QCOMPARE(TemplateSetting::programSettingsName(),
                 QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());

        // Copies of this very program start a window with the setting of their own file name.
        const QString ownName = TemplateSetting::programSettingsName();
        TemporarySettings::storeTemplatePath(ownName, QStringLiteral("/data/own.xls"));
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("same")));
        const QString renamed = dir.filePath(QStringLiteral("renamed.merge.bin"));
        const QString sameName = dir.filePath(QStringLiteral("same/") + QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), renamed));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), sameName));

        auto startUpField = [&](const QString& program) {
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_settings->folder());
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            process.setProcessEnvironment(env);
            process.start(program, {QStringLiteral("--print-template-field")});
            process.waitForFinished(60000);
            return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        };
        QCOMPARE(startUpField(renamed), QStringLiteral("renamed.merge:"));
        QCOMPARE(startUpField(sameName), ownName + QStringLiteral(":/data/own.xls"));
    }

    void an_unset_settings_name_means_the_program_name()
    {
        Form1Services services = TestDesktop().services();
        services.settingsName.clear();
        QCOMPARE(services.withDefaults().settingsName, TemplateSetting::programSettingsName());
    }
};

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--print-template-field") == 0) {
        // Start-up as the program does it, under whatever name this file has now.
        QApplication app(argc, argv);
        rm::mem::MemoryBinding binding;
        Form1Services services = TestDesktop().services();
        services.settingsName.clear();
        Form1 form(binding, services);
        std::printf("%s:%s\n", qPrintable(TemplateSetting::programSettingsName()),
                    form.findChild<QLineEdit*>("tplpath_text")->text().toUtf8().constData());
        return 0;
    }
    QApplication app(argc, argv);
    Form1WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1_window.moc"
