#pragma once

#include <QObject>

namespace rm::ui {

// While it exists, no widget or window of the application gets the repeats of
// a held Enter or Return key: only its first press. The window system repeats
// a held key as a release and a press with one time stamp; the toolkit flags
// such a press as a repeat only when it sees both events at once, so the time
// stamps are compared here as well. Without this, a key pressed in a dialog
// that closes on the press (and some automation tools leave the key pressed)
// repeats into the window, whose focused button it presses again and again.
class RepeatedEnterFilter : public QObject {
public:
    explicit RepeatedEnterFilter(QObject* parent = nullptr);
    ~RepeatedEnterFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The time of the last Enter or Return release (0: none).
    quint64 m_lastRelease = 0;
};

} // namespace rm::ui
