// The merge command: checks, remembered template, output dialog, locked
// window, the run, and the hand-over of the result.

#include "ui/Form1.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/MergeFrontEnd.h"
#include "engine/MergeRun.h"
#include "ui/InputBlocker.h"
#include "ui/OffThread.h"
#include "ui/OutputName.h"
#include "ui/WindowTexts.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <optional>
#include <string>
#include <vector>

namespace rm::ui {

namespace {

// For the duration of the run: the window lives on (repaints, follows the
// run on the bar) but takes no input except help and the site link. A
// question to the user lifts the block while it is up.
class MergeInProgress {
public:
    MergeInProgress(ProgressBarAdaptor& progress, std::vector<QWidget*> stillUsable, QWidget* window, long sourceCount)
        : m_stillUsable(std::move(stillUsable)), m_window(window), m_progress(progress)
    {
        m_blocker.emplace(m_stillUsable, m_window);
        m_progress.beginRun(sourceCount);
    }
    ~MergeInProgress() { m_progress.endRun(m_completed); }
    MergeInProgress(const MergeInProgress&) = delete;
    MergeInProgress& operator=(const MergeInProgress&) = delete;

    // On the window's thread.
    template <typename Question>
    auto askUser(Question question)
    {
        m_blocker.reset();
        m_progress.awaitAnswer(true);
        struct Reblock {
            MergeInProgress& busy;
            ~Reblock()
            {
                busy.m_progress.awaitAnswer(false);
                busy.m_blocker.emplace(busy.m_stillUsable, busy.m_window);
            }
        } reblock{*this};
        return question();
    }

    void completed() { m_completed = true; }

private:
    std::vector<QWidget*> m_stillUsable;
    QWidget* m_window;
    std::optional<InputBlocker> m_blocker;
    ProgressBarAdaptor& m_progress;
    bool m_completed = false;
};

} // namespace

void Form1::save_command_Click()
{
    if (const auto failure = rm::failureOf([this] { runMergeCommand(); }))
        showFailure(*failure);
}

void Form1::runMergeCommand()
{
    const QString templatePath = tplpath_text->text();
    if (const auto message = rm::templateCheckMessage(templatePath.toStdString())) {
        showInformation(QString::fromStdString(*message));
        return;
    }
    m_setting.write(templatePath);

    const std::vector<std::string> sources = sourcePaths();
    if (const auto message = rm::sourcesCheckMessage(sources)) {
        showInformation(QString::fromStdString(*message));
        return;
    }

    m_cd1.setFileName(defaultOutputName(m_services.localNow()));
    m_cd1.setFilter(saveWorkbookFilter);
    m_cd1.setFlags(SharedFileDialog::OverwritePrompt);
    if (!m_cd1.showSave(this))
        return;
    const QString outputPath = m_cd1.fileName();

    lockWindow();
    m_progress->nameSources(sources);

    const std::string templateFile = templatePath.toStdString();
    const std::string outputFile = outputPath.toStdString();

    // The binding is used by the worker alone until the run has ended.
    std::shared_ptr<rm::SpreadsheetApp> app;
    {
        MergeInProgress busy(*m_progress, {help_command, lblSite}, this, static_cast<long>(sources.size()));
        rm::MergeChecks checks;
        checks.everyMarkedSheet = chkAllSheets->isChecked();
        // Asked on the worker's thread; the question itself is put on the window's.
        checks.chooseSave = [this, &busy](const rm::LayoutFindings& findings) {
            rm::SaveChoice choice = rm::SaveChoice::DontSave;
            QMetaObject::invokeMethod(
                this, [&] { choice = busy.askUser([&] { return m_services.messageBoxes->chooseSave(this, findings); }); },
                Qt::BlockingQueuedConnection);
            return choice;
        };
        runOffThread([&] {
            app = rm::runMerge(m_binding, templateFile, sources, outputFile, *m_progress, checks, m_progress.get());
        });
        if (app)
            busy.completed();
    }

    if (!app) {
        // Declined at the check's question: nothing was saved; the list can be fixed and merged again.
        unlockWindow();
        return;
    }

    showInformation(mergeFinished);
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

std::vector<std::string> Form1::sourcePaths() const
{
    std::vector<std::string> sources;
    sources.reserve(static_cast<size_t>(List1->count()));
    for (int i = 0; i < List1->count(); ++i)
        sources.push_back(List1->item(i)->text().toStdString());
    return sources;
}

void Form1::lockWindow()
{
    // Disabling the focused button would hand the focus on to the next
    // enabled one, help, where a key meant for a dialog (or one held down
    // while it closes) would press it. The list takes no keys while locked.
    m_focusBeforeLock = focusWidget();
    List1->setFocus(Qt::OtherFocusReason);
    setCommandsEnabled(false);
}

void Form1::unlockWindow()
{
    setCommandsEnabled(true);
    m_progress->clear();
    if (m_focusBeforeLock && m_focusBeforeLock->isEnabled() && m_focusBeforeLock->isVisibleTo(this))
        m_focusBeforeLock->setFocus(Qt::OtherFocusReason);
    m_focusBeforeLock.clear();
}

void Form1::setCommandsEnabled(bool enabled)
{
    for (QPushButton* button : {add_command, addFloder_command, del_command, open_command, save_command})
        button->setEnabled(enabled);
    Label3->setVisible(!enabled);
    chkAllSheets->setVisible(enabled);
}

void Form1::showInformation(const QString& text)
{
    m_services.messageBoxes->show(this, text, QMessageBox::Information);
}

void Form1::showFailure(const rm::Failure& failure)
{
    m_services.messageBoxes->show(this, QString::fromStdString(rm::failureText(failure, "\r\n")), QMessageBox::NoIcon);
}

} // namespace rm::ui
