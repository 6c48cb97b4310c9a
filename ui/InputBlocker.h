#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace rm::ui {

// While it exists, the whole application refuses user input (mouse, keys,
// wheel, touch, drag and drop, context menus) and close and quit requests,
// so the window can live on during a merge without taking clicks or being
// closed. Widgets named `stillUsable` (and their children) keep their input;
// plain mouse moves still reach `hoverSurface`.
class InputBlocker : public QObject {
public:
    explicit InputBlocker(std::vector<QWidget*> stillUsable = {}, QWidget* hoverSurface = nullptr);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    static bool isUserInput(QEvent::Type type);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool passes(QObject* receiver, QEvent::Type type) const;

    std::vector<QPointer<QWidget>> m_stillUsable;
    QPointer<QWidget> m_hoverSurface;
};

} // namespace rm::ui
