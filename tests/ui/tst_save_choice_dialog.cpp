// The question before saving: its texts, its buttons and which is the
// default, Escape and closing. (Its size on a real screen: tst_window_x11.)

#include "ui/SaveChoiceDialog.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace rm::ui;
using rm::LayoutFinding;
using rm::LayoutFindings;
using rm::SaveChoice;
using Kind = rm::LayoutFinding::Kind;

namespace {

LayoutFinding differing(int index, const std::string& path, bool alignable)
{
    LayoutFinding finding(Kind::LayoutDiffers, index, path);
    finding.differingLabels = 1;
    finding.firstDifferences.push_back({2, 1, "销售", "其中：新增项目"});
    finding.alignable = alignable;
    return finding;
}

LayoutFinding duplicate(int index, const std::string& path, const std::string& other)
{
    LayoutFinding finding(Kind::SameContent, index, path);
    finding.otherIndex = 0;
    finding.otherPath = other;
    return finding;
}

LayoutFinding empty(int index, const std::string& path)
{
    return LayoutFinding(Kind::NothingToAdd, index, path);
}

// Shows the dialog, runs `act` in its modal loop and gives what it returned.
SaveChoice answer(SaveChoiceDialog& dialog, std::function<void()> act)
{
    QTimer::singleShot(0, &dialog, act);
    dialog.exec();
    return dialog.choice();
}

QWidget* keyTarget(SaveChoiceDialog& dialog)
{
    return dialog.focusWidget() ? dialog.focusWidget() : &dialog;
}

} // namespace

class SaveChoiceDialogTest : public QObject {
    Q_OBJECT

private slots:
    void summary_counts_each_kind()
    {
        const LayoutFindings findings{differing(1, "/a/b.xls", true), differing(2, "/a/c.xls", false),
                                      duplicate(3, "/a/d.xls", "/a/b.xls"), empty(4, "/a/e.xls")};
        QCOMPARE(SaveChoiceDialog::summary(findings),
                 QStringLiteral("合并前检查发现 4 项问题：2 个文件版式与模板不同（1 个可按标签对齐），"
                                "1 个文件与前面的文件内容相同，1 个文件没有可相加的数字。"));
        QCOMPARE(SaveChoiceDialog::summary({differing(1, "/a/b.xls", false)}),
                 QStringLiteral("合并前检查发现 1 项问题：1 个文件版式与模板不同。"));
        const LayoutFindings noMarks{LayoutFinding(LayoutFinding::Kind::NoMarkedCells, -1, "/a/模板.xls")};
        QCOMPARE(SaveChoiceDialog::summary(noMarks), QStringLiteral("合并前检查发现 1 项问题：模板中没有要填写的单元格。"));
        QCOMPARE(rm::safestSaveChoice(noMarks), rm::SaveChoice::DontSave);
    }

    void caption_summary_and_one_line_per_finding_naming_the_file()
    {
        const LayoutFindings findings{differing(1, "/数据/分部/二分部.xls", false),
                                      duplicate(2, "/数据/分部/三分部.xls", "/数据/一分部.xls"),
                                      empty(3, "/数据/四分部.xls")};
        SaveChoiceDialog dialog(findings, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Brivane 合并报表"));
        QCOMPARE(dialog.findChild<QLabel*>("summary")->text(), SaveChoiceDialog::summary(findings));
        QListWidget* list = dialog.findingsList();
        QCOMPARE(list->count(), 3);
        // The engine's words, with each file by its name.
        LayoutFinding named = findings[0];
        named.sourcePath = "二分部.xls";
        QCOMPARE(list->item(0)->text(), QString::fromStdString(rm::describeFinding(named)));
        QVERIFY(list->item(0)->text().contains(QStringLiteral("二分部.xls")));
        QCOMPARE(list->item(1)->text(), QStringLiteral("与 一分部.xls 内容相同：三分部.xls"));
        QCOMPARE(list->item(2)->text(), QStringLiteral("没有可相加的数字：四分部.xls"));
        for (int i = 0; i < 3; ++i)
            QVERIFY(!list->item(i)->text().contains(QStringLiteral("/数据")));
        // The whole line with the full paths.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(list->item(i)->toolTip(), QString::fromStdString(rm::describeFinding(findings[size_t(i)])));
        QVERIFY(list->item(0)->toolTip().contains(QStringLiteral("/数据/分部/二分部.xls")));
    }

    void buttons_and_the_default_follow_the_findings_data()
    {
        QTest::addColumn<LayoutFindings>("findings");
        QTest::addColumn<bool>("alignOffered");
        QTest::addColumn<int>("defaultChoice");
        QTest::newRow("all alignable") << LayoutFindings{differing(1, "/b.xls", true), differing(2, "/c.xls", true)}
                                       << true << int(SaveChoice::AlignByLabels);
        QTest::newRow("alignable and nothing to add") << LayoutFindings{differing(1, "/b.xls", true), empty(2, "/c.xls")}
                                                      << true << int(SaveChoice::AlignByLabels);
        QTest::newRow("one not alignable") << LayoutFindings{differing(1, "/b.xls", true), differing(2, "/c.xls", false)}
                                           << true << int(SaveChoice::DontSave);
        QTest::newRow("alignable with a duplicate")
            << LayoutFindings{differing(1, "/b.xls", true), duplicate(2, "/c.xls", "/b.xls")} << true
            << int(SaveChoice::DontSave);
        QTest::newRow("none alignable") << LayoutFindings{differing(1, "/b.xls", false)} << false
                                        << int(SaveChoice::DontSave);
        QTest::newRow("only nothing to add") << LayoutFindings{empty(1, "/b.xls"), empty(2, "/c.xls")} << false
                                             << int(SaveChoice::ByPosition);
        QTest::newRow("only a duplicate") << LayoutFindings{duplicate(1, "/b.xls", "/a.xls")} << false
                                          << int(SaveChoice::DontSave);
    }

    void buttons_and_the_default_follow_the_findings()
    {
        QFETCH(LayoutFindings, findings);
        QFETCH(bool, alignOffered);
        QFETCH(int, defaultChoice);
        SaveChoiceDialog dialog(findings, nullptr);
        QCOMPARE(dialog.button(SaveChoice::AlignByLabels) != nullptr, alignOffered);
        QCOMPARE(dialog.button(SaveChoice::ByPosition)->text(), QStringLiteral("按位置保存"));
        QCOMPARE(dialog.button(SaveChoice::DontSave)->text(), QStringLiteral("不保存"));
        if (alignOffered)
            QCOMPARE(dialog.button(SaveChoice::AlignByLabels)->text(), QStringLiteral("按标签对齐后保存"));
        QStringList texts;
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            texts << b->text();
        QCOMPARE(texts.size(), alignOffered ? 3 : 2);

        QPushButton* expected = dialog.button(SaveChoice(defaultChoice));
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            QCOMPARE(b->isDefault(), b == expected);
        // Return, wherever the focus starts, takes the default.
        QCOMPARE(int(answer(dialog, [&] { QTest::keyClick(keyTarget(dialog), Qt::Key_Return); })), defaultChoice);
        QVERIFY(!dialog.isVisible());
    }

    void each_button_gives_its_choice_data()
    {
        QTest::addColumn<int>("choice");
        QTest::newRow("align") << int(SaveChoice::AlignByLabels);
        QTest::newRow("by position") << int(SaveChoice::ByPosition);
        QTest::newRow("don't save") << int(SaveChoice::DontSave);
    }

    void each_button_gives_its_choice()
    {
        QFETCH(int, choice);
        SaveChoiceDialog dialog({differing(1, "/b.xls", true), differing(2, "/c.xls", false)}, nullptr);
        QPushButton* b = dialog.button(SaveChoice(choice));
        QCOMPARE(int(answer(dialog, [&] { QTest::mouseClick(b, Qt::LeftButton); })), choice);
    }

    void lines_are_shown_whole_as_far_as_the_screen_allows()
    {
        // Shown over a small window, as the merge shows it: the dialog widens for
        // its longest line up to its share of the screen.
        QWidget owner;
        owner.setFixedSize(567, 401);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        LayoutFinding moved(Kind::LayoutDiffers, 1, "/数据/西区分公司.xls");
        moved.alignable = true;
        moved.moves.push_back({true, 6, 1, {"其中：新增项目"}});
        LayoutFinding wide(Kind::LayoutDiffers, 0, "/数据/南区分公司.xls");
        wide.differingLabels = 4;
        for (int row = 8; row <= 10; ++row)
            wide.firstDifferences.push_back({row, 1, "税金及附加" + std::to_string(row), "销售费用"});
        SaveChoiceDialog dialog({wide, moved, duplicate(2, "/数据/东区(重发).xls", "/数据/东区.xls")}, &owner);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QListWidget* list = dialog.findingsList();
        const int share = int(dialog.screen()->availableGeometry().width() * SaveChoiceDialog::screenShare);
        QVERIFY(list->fontMetrics().horizontalAdvance(list->item(0)->text()) > share);
        QCOMPARE(dialog.width(), share);
        QVERIFY(list->viewport()->width() >= list->fontMetrics().horizontalAdvance(list->item(1)->text()));
    }

    void escape_and_closing_mean_dont_save()
    {
        // Aligning is the default here: neither may fall back on it.
        const LayoutFindings findings{differing(1, "/b.xls", true)};
        SaveChoiceDialog escaped(findings, nullptr);
        QCOMPARE(answer(escaped, [&] { QTest::keyClick(keyTarget(escaped), Qt::Key_Escape); }), SaveChoice::DontSave);
        SaveChoiceDialog closed(findings, nullptr);
        QCOMPARE(answer(closed, [&] { closed.close(); }), SaveChoice::DontSave);
        QVERIFY(!closed.isVisible());
    }
};

QTEST_MAIN(SaveChoiceDialogTest)
#include "tst_save_choice_dialog.moc"
