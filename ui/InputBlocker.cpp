#include "ui/InputBlocker.h"

#include <QCoreApplication>
#include <QEvent>

namespace rm::ui {

InputBlocker::InputBlocker(std::vector<QWidget*> stillUsable, QWidget* hoverSurface)
    : m_stillUsable(stillUsable.begin(), stillUsable.end()), m_hoverSurface(hoverSurface)
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
    case QEvent::Close:
    case QEvent::Quit:
        return true;
    default:
        return false;
    }
}

bool InputBlocker::passes(QObject* receiver, QEvent::Type type) const
{
    if (type == QEvent::Close || type == QEvent::Quit)
        return false;
    // A window hands its input on to the widget concerned, which is judged then.
    if (receiver->isWindowType())
        return true;
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget)
        return false;
    if (type == QEvent::MouseMove && widget == m_hoverSurface)
        return true;
    for (const QPointer<QWidget>& usable : m_stillUsable)
        if (usable && (widget == usable || usable->isAncestorOf(widget)))
            return true;
    return false;
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event)
{
    if (isUserInput(event->type()) && !passes(watched, event->type())) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace rm::ui
