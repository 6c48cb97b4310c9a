#include "ui/OutputName.h"

namespace rm::ui {

QString defaultOutputName(const QDateTime& localNow)
{
    return QStringLiteral("合并后报表-") + localNow.toString(QStringLiteral("yyyyMMdd-HHmmss"))
         + QStringLiteral(".xls");
}

} // namespace rm::ui
