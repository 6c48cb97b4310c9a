#include "ui/LineControl.h"

#include <QPainter>

namespace rm::ui {

LineControl::LineControl(QColor colour, QWidget* parent) : QWidget(parent), m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void LineControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
}

} // namespace rm::ui
