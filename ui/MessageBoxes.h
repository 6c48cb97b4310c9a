#pragma once

#include <QMessageBox>
#include <QString>

#include <memory>

namespace rm::ui {

// Every message of the window: the application's title as caption, OK only.
// Tests replace it with a sink that records and answers at once.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Returns when the user has answered.
    virtual void show(QWidget* owner, const QString& text, QMessageBox::Icon icon) = 0;
};

class QtMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* owner, const QString& text, QMessageBox::Icon icon) override;

    // The configured, not yet shown box.
    static std::unique_ptr<QMessageBox> makeBox(QWidget* owner, const QString& text, QMessageBox::Icon icon);
};

} // namespace rm::ui
