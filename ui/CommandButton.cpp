#include "ui/CommandButton.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace rm::ui {

CommandButton::CommandButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
}

namespace {

bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

bool CommandButton::isRepeat(const QKeyEvent* press) const
{
    // The window system repeats a held key as a release and a press with the
    // same time stamp; the toolkit flags the pair only when it sees both at
    // once, so the stamps are compared here too.
    return press->isAutoRepeat() || (press->timestamp() != 0 && press->timestamp() == m_lastEnterRelease);
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (isEnter(event) && plain) {
        if (!isRepeat(event))
            click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::keyReleaseEvent(QKeyEvent* event)
{
    if (isEnter(event))
        m_lastEnterRelease = event->timestamp();
    QPushButton::keyReleaseEvent(event);
}

void CommandButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect textArea = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextWrapAnywhere, caption);
}

} // namespace rm::ui
