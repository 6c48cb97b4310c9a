#include "ui/SourceListWidget.h"

#include <QKeyEvent>
#include <QPainter>

namespace rm::ui {

SourceListWidget::SourceListWidget(const QString& emptyHint, QWidget* parent)
    : QListWidget(parent)
    , m_emptyHint(emptyHint)
{
}

void SourceListWidget::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (count() > 0 || m_emptyHint.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    const QRect area = viewport()->rect().adjusted(8, 0, -8, 0);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, m_emptyHint);
}

void SourceListWidget::keyPressEvent(QKeyEvent* event)
{
    const bool removeKey = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
    const Qt::KeyboardModifiers chord = event->modifiers() & ~Qt::KeypadModifier;
    if (removeKey && chord == Qt::NoModifier && removeKeyPressed) {
        removeKeyPressed();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace rm::ui
