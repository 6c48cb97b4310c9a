#pragma once

#include <QPushButton>

namespace rm::ui {

// A push button that is never a default button: Enter and Return press it
// only while it has the focus, once per keystroke: not again while the key
// is held, nor for the repeats of a key pressed in a dialog that has closed
// since. A caption wider than the button wraps onto further lines, centred.
class CommandButton : public QPushButton {
    Q_OBJECT

public:
    CommandButton(const QString& text, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isRepeat(const QKeyEvent* press) const;

    // The time of the last Enter or Return release seen here (0: none).
    quint64 m_lastEnterRelease = 0;
};

} // namespace rm::ui
