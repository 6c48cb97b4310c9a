#pragma once

#include <QString>

namespace rm::ui {

// The remembered template path: user-scope settings of the application
// `applicationName`, group "TemplateFile", key "pathname", default "".
class TemplateSetting {
public:
    explicit TemplateSetting(QString applicationName);

    // The program file's name without its extension: a copy of the program
    // under another name keeps a setting of its own.
    static QString programSettingsName();

    QString read() const;
    void write(const QString& templatePath) const;

    // The window's 合并所有工作表 (group "Merge", key "allSheets", default false).
    bool readAllSheets() const;
    void writeAllSheets(bool allSheets) const;

private:
    QString m_applicationName;
};

} // namespace rm::ui
