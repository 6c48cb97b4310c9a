#pragma once

#include <QDateTime>
#include <QString>

namespace rm::ui {

// The output name the save dialog proposes: "合并后报表-" + yyyyMMdd-HHmmss
// (local time, 24-hour, zero-padded) + ".xls".
QString defaultOutputName(const QDateTime& localNow);

} // namespace rm::ui
