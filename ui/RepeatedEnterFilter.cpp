#include "ui/RepeatedEnterFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace rm::ui {

RepeatedEnterFilter::RepeatedEnterFilter(QObject* parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

RepeatedEnterFilter::~RepeatedEnterFilter()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool RepeatedEnterFilter::eventFilter(QObject* watched, QEvent* event)
{
    // Each key event comes here for the window first, then for its widget;
    // the input blocker lets the window's through, so a release it holds
    // back from a locked widget is still noted.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (event->type() == QEvent::KeyRelease) {
                m_lastRelease = key->timestamp();
            } else if (key->isAutoRepeat() || (key->timestamp() != 0 && key->timestamp() == m_lastRelease)) {
                event->accept();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace rm::ui
