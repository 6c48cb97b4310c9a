#pragma once

// Scripted stand-ins for the window's dialogs, message boxes, clock and
// desktop, and a settings store in a temporary folder.

#include "ui/Form1Services.h"

#include <QDateTime>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace rm::ui::test {

// Answers file dialogs from a script and records how each was opened.
class ScriptedFileDialogs : public FileDialogPresenter {
public:
    void confirmNext(const QString& path) { m_answers.push_back(QStringList{path}); }
    // Several files chosen at once, in this order.
    void confirmNext(const QStringList& paths) { m_answers.push_back(paths); }
    void cancelNext() { m_answers.push_back(QStringList()); }
    QStringList present(QWidget* owner, const FileDialogRequest& request) override;

    std::vector<FileDialogRequest> requests;
    std::vector<QWidget*> owners;

private:
    std::deque<QStringList> m_answers;
};

struct ShownMessage {
    QString text;
    QMessageBox::Icon icon;
};

// Records every message and answers OK at once; can run a check while a message is up.
// The question before saving is recorded apart and answered as set
// beforehand, else with the default button (the safest choice).
class RecordingMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* owner, const QString& text, QMessageBox::Icon icon) override;
    rm::SaveChoice chooseSave(QWidget* owner, const rm::LayoutFindings& findings) override;
    void setNextAnswer(rm::SaveChoice choice) { m_answers.push_back(choice); }

    std::vector<ShownMessage> shown;
    std::function<void(const ShownMessage&)> whileShown;
    std::vector<rm::LayoutFindings> questions;
    std::function<void(const rm::LayoutFindings&)> whileAsked;

private:
    std::deque<rm::SaveChoice> m_answers;
};

struct FolderRequest {
    QWidget* owner;
    QString title;
};

// Everything a Form1 under test talks to.
struct TestDesktop {
    std::shared_ptr<ScriptedFileDialogs> dialogs = std::make_shared<ScriptedFileDialogs>();
    std::shared_ptr<RecordingMessageBoxes> messages = std::make_shared<RecordingMessageBoxes>();
    std::deque<QString> folderAnswers;          // empty queue: the folder chooser is cancelled
    std::vector<FolderRequest> folderRequests;
    QDateTime now = QDateTime(QDate(2026, 2, 1), QTime(9, 5, 3));
    std::vector<QUrl> openedUrls;
    std::vector<std::function<void()>> openFailures;   // per opened address: what a failed opener calls
    QString programFolder = QStringLiteral("/opt/reportmerge/bin");
    int exitRequests = 0;
    QString settingsName = QStringLiteral("reportmerge-test");

    Form1Services services();
};

// Points QSettings' user scope at a fresh temporary folder for its lifetime.
class TemporarySettings {
public:
    TemporarySettings();
    ~TemporarySettings();
    QString folder() const { return m_dir.path(); }
    // The stored template path of `applicationName`, read straight from the store.
    static QVariant storedTemplatePath(const QString& applicationName);
    static void storeTemplatePath(const QString& applicationName, const QString& path);

private:
    QTemporaryDir m_dir;
};

// A file with some bytes in it.
void writeFile(const QString& path, const QByteArray& bytes = "x");

// The source list's entries, in order, and its selected row (-1: none).
QStringList entries(QWidget& form);
int selected(QWidget& form);

} // namespace rm::ui::test
