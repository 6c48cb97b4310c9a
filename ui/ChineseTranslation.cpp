#include "ui/ChineseTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace rm::ui {

namespace {

// Texts of Qt's file icon provider (the type column of the file dialogs)
// that Qt's own Chinese translation lacks.
class FileTypeTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override
    {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0 && qstrcmp(context, "QFileIconProvider") != 0)
            return QString();
        static const struct {
            const char* english;
            const char* chinese;
        } texts[] = {
            {"Folder", "文件夹"}, {"File Folder", "文件夹"}, {"Drive", "驱动器"},
            {"Shortcut", "快捷方式"}, {"Alias", "快捷方式"}, {"Unknown", "未知"},
        };
        for (const auto& text : texts)
            if (qstrcmp(sourceText, text.english) == 0)
                return QString::fromUtf8(text.chinese);
        return QString();
    }

    bool isEmpty() const override { return false; }
};

} // namespace

bool installChineseTranslation(QCoreApplication& application)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(new FileTypeTranslator(&application));
    return QCoreApplication::installTranslator(translator);
}

} // namespace rm::ui
