#include "ui/MessageBoxes.h"

#include "ui/WindowTexts.h"

namespace rm::ui {

std::unique_ptr<QMessageBox> QtMessageBoxes::makeBox(QWidget* owner, const QString& text, QMessageBox::Icon icon)
{
    auto box = std::make_unique<QMessageBox>(icon, applicationTitle, text, QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

std::unique_ptr<QMessageBox> QtMessageBoxes::makeQuestion(QWidget* owner, const QString& text)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, applicationTitle, text,
                                             QMessageBox::Yes | QMessageBox::No, owner);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    return box;
}

bool QtMessageBoxes::ask(QWidget* owner, const QString& text)
{
    return makeQuestion(owner, text)->exec() == QMessageBox::Yes;
}

void QtMessageBoxes::show(QWidget* owner, const QString& text, QMessageBox::Icon icon)
{
    // Shown for a hidden owner too (the completion message precedes hiding).
    makeBox(owner, text, icon)->exec();
}

} // namespace rm::ui
