#pragma once

#include <QPushButton>

namespace rm::ui {

// A push button that is never a default button: Enter and Return press it
// only while it has the focus, once per keystroke (not again while the key
// is held; see also RepeatedEnterFilter). A caption wider than the button
// wraps onto further lines, centred.
class CommandButton : public QPushButton {
    Q_OBJECT

public:
    CommandButton(const QString& text, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace rm::ui
