#pragma once

#include <QMessageBox>
#include <QString>

#include <memory>

namespace rm::ui {

// Every message of the window: the application's title as caption, OK only;
// the one question (whether to save despite the check's findings) has Yes
// and No, No being the default. Tests replace it with a sink that records
// and answers at once.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Returns when the user has answered.
    virtual void show(QWidget* owner, const QString& text, QMessageBox::Icon icon) = 0;
    // True when the user answered Yes.
    virtual bool ask(QWidget* owner, const QString& text) = 0;
};

class QtMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* owner, const QString& text, QMessageBox::Icon icon) override;
    bool ask(QWidget* owner, const QString& text) override;

    // The configured, not yet shown boxes.
    static std::unique_ptr<QMessageBox> makeBox(QWidget* owner, const QString& text, QMessageBox::Icon icon);
    static std::unique_ptr<QMessageBox> makeQuestion(QWidget* owner, const QString& text);
};

} // namespace rm::ui
