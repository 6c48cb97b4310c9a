// Qt's own dialogs read Chinese whatever the user's locale: the message box,
// the open, save and folder dialogs, the overwrite question and the context
// menus. CTest runs this twice, under LANG=en_US.UTF-8 and LANG=zh_CN.UTF-8.

#include "UiTestSupport.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/ChineseTranslation.h"
#include "ui/FileDialogPresenter.h"
#include "ui/FolderBrowser.h"
#include "ui/MessageBoxes.h"
#include "ui/SaveChoiceDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <clocale>

using namespace rm::ui;
using namespace rm::ui::test;

namespace {

// The text as the user reads it: without the mnemonic, "保存(&S)" -> "保存".
QString readable(QString text)
{
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    return text.remove(mnemonic).remove(QLatin1Char('&')).trimmed();
}

// Chinese, and no word of English in it.
bool isChinese(const QString& text)
{
    const QString shown = readable(text);
    bool han = false;
    for (const QChar c : shown) {
        if (c.script() == QChar::Script_Latin)
            return false;
        han = han || c.script() == QChar::Script_Han;
    }
    return han;
}

// Every label and button text the dialog shows, with the mnemonics.
QStringList shownTexts(QWidget* dialog)
{
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisibleTo(dialog) && !label->text().isEmpty())
            texts << label->text();
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (button->isVisibleTo(dialog) && !button->text().isEmpty())
            texts << button->text();
    return texts;
}

void verifyAllChinese(const QStringList& texts, const char* where)
{
    QVERIFY2(!texts.isEmpty(), where);
    for (const QString& text : texts)
        QVERIFY2(isChinese(text), qPrintable(QStringLiteral("%1: \"%2\"").arg(QLatin1String(where), text)));
}

// Runs of Latin letters that are English words: not the names of the test's
// own files, not size units, and not the product a type is named after
// ("Excel 电子表格").
QStringList englishWords(const QString& text, const QStringList& fileNames)
{
    QString rest = text;
    for (const QString& name : fileNames)
        rest.remove(name);
    static const QRegularExpression word(QStringLiteral("[A-Za-z]+"));
    static const QStringList units{QStringLiteral("B"), QStringLiteral("kB"), QStringLiteral("KB"), QStringLiteral("MB"), QStringLiteral("GB"),
                                   QStringLiteral("KiB"), QStringLiteral("MiB"), QStringLiteral("GiB"), QStringLiteral("Excel")};
    QStringList words;
    for (auto it = word.globalMatch(rest); it.hasNext();) {
        const QString found = it.next().captured();
        if (!units.contains(found))
            words << found;
    }
    return words;
}

// Every header and cell text of the dialog's file view, once the folder `dir` is loaded.
QStringList fileViewTexts(QFileDialog& dialog, const QString& dir, int expectedRows)
{
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!view)
        return {QStringLiteral("no file view")};
    QAbstractItemModel* model = view->model();
    dialog.setDirectory(dir);
    // The model lists the folder in the background.
    QModelIndex root;
    for (int i = 0; i < 2000 && (root = view->rootIndex(), model->rowCount(root) < expectedRows); ++i)
        QTest::qWait(10);
    QStringList texts;
    for (int column = 0; column < model->columnCount(root); ++column)
        texts << model->headerData(column, Qt::Horizontal).toString();
    for (int row = 0; row < model->rowCount(root); ++row)
        for (int column = 0; column < model->columnCount(root); ++column)
            texts << model->index(row, column, root).data().toString();
    return texts;
}

QString buttonText(QFileDialog& dialog, QDialogButtonBox::StandardButton which)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box && box->button(which) ? readable(box->button(which)->text()) : QString();
}

} // namespace

class ChineseDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void the_run_has_the_users_locale_and_the_program_chinese()
    {
        // The two runs differ only in the user's locale.
        const QString lang = qEnvironmentVariable("LANG").section(QLatin1Char('.'), 0, 0);
        QCOMPARE(QLocale::system().name(), lang);
        QCOMPARE(QLocale().name(), QStringLiteral("zh_CN"));
    }

    void the_process_runs_in_the_users_locale_only_where_it_is_installed()
    {
        // CTest says whether the run's LOCPATH holds the user's locale or hides every one of the machine's.
        const QString installed = qEnvironmentVariable("RM_USER_LOCALE_INSTALLED");
        if (installed.isEmpty())
            QSKIP("RM_USER_LOCALE_INSTALLED is not set");
        const QString process = QString::fromLatin1(std::setlocale(LC_CTYPE, nullptr));
        const QString lang = qEnvironmentVariable("LANG");
        if (installed == QLatin1String("1"))
            QCOMPARE(process, lang);
        else
            QVERIFY2(process != lang, qPrintable(lang + QStringLiteral(" is still found: LOCPATH cannot hide a locale kept as a folder in /usr/lib/locale")));
    }

    void the_message_box_button_is_queding()
    {
        auto box = QtMessageBoxes::makeBox(nullptr, QStringLiteral("报表合并完成。"), QMessageBox::Information);
        QCOMPARE(readable(box->button(QMessageBox::Ok)->text()), QStringLiteral("确定"));
    }

    void the_question_before_saving_reads_chinese()
    {
        rm::LayoutFinding differing(rm::LayoutFinding::Kind::LayoutDiffers, 1, "/data/b.xls");
        differing.alignable = true;
        const rm::LayoutFindings findings{differing, rm::LayoutFinding(rm::LayoutFinding::Kind::NothingToAdd, 2, "/data/c.xls")};
        SaveChoiceDialog dialog(findings, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Brivane 合并报表"));
        verifyAllChinese(shownTexts(&dialog), "question before saving");
        QCOMPARE(shownTexts(&dialog).size(), 5);   // the summary, the explanation, three buttons
    }

    void the_open_dialog_reads_chinese()
    {
        FileDialogRequest request;
        request.nameFilters = QStringList{QStringLiteral("所有表格文件 (*.xls *.xlsx *.ods)")};
        auto dialog = QtFileDialogPresenter::makeDialog(nullptr, request);
        QCOMPARE(buttonText(*dialog, QDialogButtonBox::Open), QStringLiteral("打开"));
        QCOMPARE(buttonText(*dialog, QDialogButtonBox::Cancel), QStringLiteral("取消"));
        verifyAllChinese(shownTexts(dialog.get()), "open dialog");
        // Its list's context menu (rename, delete, show hidden files, new folder).
        QStringList actions;
        for (QAction* action : dialog->findChildren<QAction*>())
            if (!action->text().isEmpty())
                actions << action->text();
        verifyAllChinese(actions, "open dialog's context menu");
    }

    void the_save_dialog_and_its_overwrite_question_read_chinese()
    {
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("合并后报表.xls"));
        writeFile(existing);
        FileDialogRequest request;
        request.mode = FileDialogRequest::Mode::Save;
        request.confirmOverwrite = true;
        request.fileName = existing;
        auto dialog = QtFileDialogPresenter::makeDialog(nullptr, request);
        QCOMPARE(buttonText(*dialog, QDialogButtonBox::Save), QStringLiteral("保存"));
        QCOMPARE(buttonText(*dialog, QDialogButtonBox::Cancel), QStringLiteral("取消"));
        verifyAllChinese(shownTexts(dialog.get()), "save dialog");

        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QString question;
        QStringList answers;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            question = box->text();
            answers << readable(box->button(QMessageBox::Yes)->text()) << readable(box->button(QMessageBox::No)->text());
            box->button(QMessageBox::No)->click();
        });
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
        QVERIFY2(!question.isEmpty(), "no overwrite question");
        QVERIFY2(question.contains(QStringLiteral("合并后报表.xls")), qPrintable(question));
        QVERIFY2(isChinese(QString(question).remove(QStringLiteral("合并后报表.xls"))), qPrintable(question));
        QCOMPARE(answers, (QStringList{QStringLiteral("是"), QStringLiteral("否")}));
        QVERIFY(dialog->isVisible());   // "否" keeps the dialog open
        QCOMPARE(dialog->result(), 0);
    }

    void the_folder_dialog_reads_chinese()
    {
        auto dialog = FolderBrowser::makeDialog(nullptr, QStringLiteral("选择目录"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("选择目录"));
        QCOMPARE(buttonText(*dialog, QDialogButtonBox::Open), QStringLiteral("选择"));
        QCOMPARE(buttonText(*dialog, QDialogButtonBox::Cancel), QStringLiteral("取消"));
        verifyAllChinese(shownTexts(dialog.get()), "folder dialog");
    }

    // The columns of the file views: headers, sizes, types (a folder's too)
    // and dates, which Qt writes in the user's locale and partly untranslated.
    void the_file_views_columns_read_chinese()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        writeFile(dir.filePath(QStringLiteral("report.xls")), QByteArray(3000, 'x'));
        writeFile(dir.filePath(QStringLiteral("small.xls")), QByteArray(12, 'x'));
        const QStringList names{QStringLiteral("report.xls"), QStringLiteral("small.xls"), QStringLiteral("sub")};

        FileDialogRequest open;
        open.nameFilters = QStringList{QStringLiteral("所有表格文件 (*.xls *.xlsx *.ods)")};
        FileDialogRequest save = open;
        save.mode = FileDialogRequest::Mode::Save;
        std::vector<std::pair<const char*, std::unique_ptr<QFileDialog>>> dialogs;
        dialogs.emplace_back("open dialog", QtFileDialogPresenter::makeDialog(nullptr, open));
        dialogs.emplace_back("save dialog", QtFileDialogPresenter::makeDialog(nullptr, save));
        dialogs.emplace_back("folder dialog", FolderBrowser::makeDialog(nullptr, QStringLiteral("选择目录")));
        for (auto& [where, dialog] : dialogs) {
            dialog->setViewMode(QFileDialog::Detail);
            const int rows = dialog->fileMode() == QFileDialog::Directory ? 1 : 3;
            QStringList texts = fileViewTexts(*dialog, dir.path(), rows);
            QVERIFY2(texts.size() >= 4 + 4 * rows, qPrintable(texts.join(QLatin1Char('|'))));
            for (const QString& text : texts)
                QVERIFY2(englishWords(text, names).isEmpty(),
                         qPrintable(QStringLiteral("%1: \"%2\"").arg(QLatin1String(where), text)));
            // The tool buttons' tips (back, forward, parent folder, new folder, views).
            QStringList tips;
            for (QWidget* widget : dialog->findChildren<QWidget*>())
                if (widget->isVisibleTo(dialog.get()) && !widget->toolTip().isEmpty())
                    tips << widget->toolTip();
            QVERIFY2(tips.size() >= 5, qPrintable(tips.join(QLatin1Char('|'))));
            for (const QString& tip : tips)
                QVERIFY2(englishWords(tip, names).isEmpty(),
                         qPrintable(QStringLiteral("%1: tip \"%2\"").arg(QLatin1String(where), tip)));
            // Left in the build folder to be looked at.
            dialog->resize(760, 420);
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
            dialog->grab().save(QStringLiteral(SCREENSHOT_DIR "/%1-%2.png")
                                    .arg(QString::fromLatin1(where).replace(QLatin1Char(' '), QLatin1Char('-')),
                                         QLocale::system().name()));
            dialog->hide();
            // The folder's type, and a date in Chinese order (year first).
            QVERIFY2(texts.contains(QStringLiteral("文件夹")), qPrintable(texts.join(QLatin1Char('|'))));
            static const QRegularExpression chineseDate(QStringLiteral("^\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{2}$"));
            QVERIFY2(std::any_of(texts.begin(), texts.end(), [](const QString& t) { return chineseDate.match(t).hasMatch(); }),
                     qPrintable(texts.join(QLatin1Char('|'))));
        }
    }

    void the_file_name_fields_context_menu_reads_chinese()
    {
        auto dialog = QtFileDialogPresenter::makeDialog(nullptr, FileDialogRequest());
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(field);
        std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().section(QLatin1Char('\t'), 0, 0);   // without the shortcut
        verifyAllChinese(texts, "context menu");
    }
};

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (!installChineseTranslation(application)) {
        std::fprintf(stderr, "Qt's Chinese translation is not installed (qt6-translations-l10n)\n");
        return 1;
    }
    ChineseDialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_chinese_dialogs.moc"
