#include "UiTestSupport.h"

#include "ui/WindowTexts.h"

#include <QFile>
#include <QListWidget>
#include <QSettings>
#include <QStandardPaths>

namespace rm::ui::test {

QStringList ScriptedFileDialogs::present(QWidget* owner, const FileDialogRequest& request)
{
    requests.push_back(request);
    owners.push_back(owner);
    if (m_answers.empty())
        return {};
    QStringList answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void RecordingMessageBoxes::show(QWidget*, const QString& text, QMessageBox::Icon icon)
{
    shown.push_back({text, icon});
    if (whileShown)
        whileShown(shown.back());
}

rm::SaveChoice RecordingMessageBoxes::chooseSave(QWidget*, const rm::LayoutFindings& findings)
{
    questions.push_back(findings);
    if (whileAsked)
        whileAsked(findings);
    if (m_answers.empty())
        return rm::safestSaveChoice(findings);
    const rm::SaveChoice answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

Form1Services TestDesktop::services()
{
    Form1Services s;
    s.fileDialogs = dialogs;
    s.messageBoxes = messages;
    s.browseForFolder = [this](QWidget* owner, const QString& title) {
        folderRequests.push_back({owner, title});
        if (folderAnswers.empty())
            return QString();
        QString answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    };
    s.localNow = [this] { return now; };
    s.openUrl = [this](const QUrl& url, const std::function<void()>& failed) {
        openedUrls.push_back(url);
        openFailures.push_back(failed);
    };
    s.programFolder = [this] { return programFolder; };
    s.exitProgram = [this] { ++exitRequests; };
    s.settingsName = settingsName;
    return s;
}

TemporarySettings::TemporarySettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
}

TemporarySettings::~TemporarySettings()
{
    // Anything written after this goes to the test's own XDG_CONFIG_HOME, never a real one.
    const QString fallback = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fallback);
}

QVariant TemporarySettings::storedTemplatePath(const QString& applicationName)
{
    QSettings settings(QSettings::UserScope, settingsOrganization, applicationName);
    return settings.value(QStringLiteral("TemplateFile/pathname"));
}

void TemporarySettings::storeTemplatePath(const QString& applicationName, const QString& path)
{
    QSettings settings(QSettings::UserScope, settingsOrganization, applicationName);
    settings.setValue(QStringLiteral("TemplateFile/pathname"), path);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

QStringList entries(QWidget& form)
{
    auto* list = form.findChild<QListWidget*>("List1");
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

int selected(QWidget& form)
{
    auto* list = form.findChild<QListWidget*>("List1");
    const auto items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

} // namespace rm::ui::test
