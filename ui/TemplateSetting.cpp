#include "ui/TemplateSetting.h"

#include "ui/WindowTexts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace rm::ui {

namespace {
const QString key = QStringLiteral("TemplateFile/pathname");
const QString allSheetsKey = QStringLiteral("Merge/allSheets");
}

TemplateSetting::TemplateSetting(QString applicationName) : m_applicationName(std::move(applicationName)) {}

QString TemplateSetting::programSettingsName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString TemplateSetting::read() const
{
    QSettings settings(QSettings::UserScope, settingsOrganization, m_applicationName);
    return settings.value(key, QString()).toString();
}

void TemplateSetting::write(const QString& templatePath) const
{
    QSettings settings(QSettings::UserScope, settingsOrganization, m_applicationName);
    settings.setValue(key, templatePath);
    settings.sync();
}

bool TemplateSetting::readAllSheets() const
{
    QSettings settings(QSettings::UserScope, settingsOrganization, m_applicationName);
    return settings.value(allSheetsKey, false).toBool();
}

void TemplateSetting::writeAllSheets(bool allSheets) const
{
    QSettings settings(QSettings::UserScope, settingsOrganization, m_applicationName);
    settings.setValue(allSheetsKey, allSheets);
    settings.sync();
}

} // namespace rm::ui
