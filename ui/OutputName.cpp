#include "ui/OutputName.h"

#include "ui/WindowTexts.h"

namespace rm::ui {

QString defaultOutputName(const QDateTime& localNow)
{
    return outputNamePrefix + localNow.toString(QStringLiteral("yyyyMMdd-HHmmss"))
         + QStringLiteral(".xls");
}

} // namespace rm::ui
