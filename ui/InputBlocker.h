#pragma once

#include <QEvent>
#include <QObject>

namespace rm::ui {

// While it exists, the whole application swallows user input (mouse, keys,
// wheel, touch, drag and drop, context menus) and close requests, so the
// window can repaint during a merge without taking clicks or being closed.
class InputBlocker : public QObject {
public:
    InputBlocker();
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    static bool isUserInput(QEvent::Type type);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace rm::ui
