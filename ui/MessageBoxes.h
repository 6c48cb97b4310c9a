#pragma once

#include "engine/check/LayoutFindings.h"

#include <QMessageBox>
#include <QString>

#include <memory>

namespace rm::ui {

// Every message of the window: the application's title as caption, OK only;
// and the one question, how to save despite the check's findings
// (SaveChoiceDialog). Tests replace it with a sink that records and answers
// at once.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Returns when the user has answered.
    virtual void show(QWidget* owner, const QString& text, QMessageBox::Icon icon) = 0;
    // Returns when the user has chosen; closing the question is DontSave.
    virtual rm::SaveChoice chooseSave(QWidget* owner, const rm::LayoutFindings& findings) = 0;
};

class QtMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* owner, const QString& text, QMessageBox::Icon icon) override;
    rm::SaveChoice chooseSave(QWidget* owner, const rm::LayoutFindings& findings) override;

    // The configured, not yet shown box.
    static std::unique_ptr<QMessageBox> makeBox(QWidget* owner, const QString& text, QMessageBox::Icon icon);
};

} // namespace rm::ui
