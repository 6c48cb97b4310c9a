#include "ui/MessageBoxes.h"

#include "ui/SaveChoiceDialog.h"
#include "ui/WindowTexts.h"

namespace rm::ui {

std::unique_ptr<QMessageBox> QtMessageBoxes::makeBox(QWidget* owner, const QString& text, QMessageBox::Icon icon)
{
    auto box = std::make_unique<QMessageBox>(icon, applicationTitle, text, QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

rm::SaveChoice QtMessageBoxes::chooseSave(QWidget* owner, const rm::LayoutFindings& findings)
{
    SaveChoiceDialog dialog(findings, owner);
    dialog.exec();
    return dialog.choice();
}

void QtMessageBoxes::show(QWidget* owner, const QString& text, QMessageBox::Icon icon)
{
    // Shown for a hidden owner too (the completion message precedes hiding).
    makeBox(owner, text, icon)->exec();
}

} // namespace rm::ui
