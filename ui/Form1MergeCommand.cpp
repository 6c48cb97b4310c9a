// The merge command: checks, remembered template, output dialog, locked
// window, the run, and the hand-over of the result.

#include "ui/Form1.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/FileSearch.h"
#include "engine/MergeRun.h"
#include "ui/InputBlocker.h"
#include "ui/OutputName.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <exception>
#include <string>
#include <vector>

namespace rm::ui {

namespace {

// For the duration of the run: no user input reaches the program, while the
// progress bar lets the window repaint.
class MergeInProgress {
public:
    explicit MergeInProgress(ProgressBarAdaptor& progress) : m_progress(progress)
    {
        m_progress.setRepaintWhileBusy(true);
        ProgressBarAdaptor::processPendingPaint();   // the locked window and Label3 show now
    }
    ~MergeInProgress() { m_progress.setRepaintWhileBusy(false); }
    MergeInProgress(const MergeInProgress&) = delete;
    MergeInProgress& operator=(const MergeInProgress&) = delete;

private:
    InputBlocker m_blocker;
    ProgressBarAdaptor& m_progress;
};

} // namespace

void Form1::save_command_Click()
{
    try {
        runMergeCommand();
    } catch (const rm::Error& error) {
        showFailure(error.number(), QString::fromStdString(error.description()));
    } catch (const std::exception& error) {
        showFailure(rm::ErrorNumber::UnexpectedFailure,
                    QStringLiteral("意外的错误：") + QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showFailure(rm::ErrorNumber::UnexpectedFailure, QStringLiteral("意外的错误。"));
    }
}

void Form1::runMergeCommand()
{
    const QString templatePath = tplpath_text->text();
    if (!templatePath.isEmpty() && rm::isPathTooLong(templatePath.toStdString())) {
        showInformation(QString::fromStdString(rm::templatePathTooLongText()));
        return;
    }
    if (!templateIsValid(templatePath)) {
        showInformation(QStringLiteral("模板文件未找到，请重新选择模板文件。"));
        return;
    }
    m_setting.write(templatePath);

    if (!sourcesAreValid())
        return;

    m_cd1.setFileName(defaultOutputName(m_services.localNow()));
    m_cd1.setFilter(QStringLiteral("Excel File(.xls)|*.xls"));
    m_cd1.setFlags(SharedFileDialog::OverwritePrompt);
    if (!m_cd1.showSave(this))
        return;
    const QString outputPath = m_cd1.fileName();

    lockWindow();

    std::vector<std::string> sources;
    sources.reserve(List1->count());
    for (int i = 0; i < List1->count(); ++i)
        sources.push_back(List1->item(i)->text().toStdString());

    std::shared_ptr<rm::SpreadsheetApp> app;
    {
        MergeInProgress busy(*m_progress);
        app = rm::runMerge(m_binding, templatePath.toStdString(), sources, outputPath.toStdString(), *m_progress);
    }

    if (!app)
        throw rm::Error(rm::ErrorNumber::UnexpectedFailure, "意外的错误：合并没有交回电子表格程序。");

    showInformation(QStringLiteral("报表合并完成。"));
    hide();
    try {
        app->setVisible(true);
    } catch (...) {
        // The failure message needs a window to stay on; a hidden one could
        // never be closed.
        show();
        throw;
    }
    m_services.exitProgram();
}

bool Form1::templateIsValid(const QString& templatePath)
{
    return !templatePath.isEmpty() && rm::isOrdinaryFile(templatePath.toStdString());
}

bool Form1::sourcesAreValid()
{
    if (List1->count() == 0) {
        showInformation(QStringLiteral("请添加相应的合并文件。"));
        return false;
    }
    for (int i = 0; i < List1->count(); ++i) {
        const QString entry = List1->item(i)->text();
        if (rm::isPathTooLong(entry.toStdString())) {
            showInformation(QString::fromStdString(rm::sourcePathTooLongText(entry.toStdString())));
            return false;
        }
        if (!rm::isOrdinaryFile(entry.toStdString())) {
            showInformation(QStringLiteral("请检查") + entry + QStringLiteral("是否存在。"));
            return false;
        }
    }
    return true;
}

void Form1::lockWindow()
{
    for (QPushButton* button : {add_command, addFloder_command, del_command, open_command, save_command})
        button->setEnabled(false);
    Label3->setVisible(true);
}

void Form1::showInformation(const QString& text)
{
    m_services.messageBoxes->show(this, text, QMessageBox::Information);
}

void Form1::showFailure(int number, const QString& description)
{
    m_services.messageBoxes->show(this, QStringLiteral("错误:") + QString::number(number) + QStringLiteral("\r\n")
                                            + description,
                                  QMessageBox::NoIcon);
}

} // namespace rm::ui
