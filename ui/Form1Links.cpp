// Help, the maker's link and its hover colours.

#include "ui/Form1.h"

#include "ui/TextColour.h"
#include "ui/WindowTexts.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

namespace rm::ui {

void Form1::help_command_Click()
{
    // Built as text first: a program in "/" gives "//help.chm", passed on as is.
    const QString path = m_services.programFolder() + QLatin1Char('/') + helpFileName;
    // No desktop shell tells the user when nothing opens the file, so the window does.
    QPointer<Form1> window(this);
    m_services.openUrl(QUrl::fromLocalFile(path), [window, path] {
        if (!window)
            return;
        const QString text = QFileInfo::exists(path) ? helpViewerMissing(path) : helpFileMissing(path);
        window->m_services.messageBoxes->show(window, text, QMessageBox::Information);
    });
}

void Form1::lblSite_Click()
{
    m_services.openUrl(QUrl(siteAddress), nullptr);
}

void Form1::lblSite_MouseMove()
{
    setLinkColour(QColor(255, 0, 0));
}

void Form1::Form_MouseMove()
{
    setLinkColour(QColor(0, 0, 255));
}

void Form1::setLinkColour(const QColor& colour)
{
    setTextColour(lblSite, colour);
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over child controls may arrive here too (propagated); only the
    // bare surface counts.
    if (childAt(event->position().toPoint()) == nullptr)
        Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblSite) {
        if (event->type() == QEvent::MouseMove) {
            lblSite_MouseMove();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && lblSite->rect().contains(mouse->position().toPoint()))
                lblSite_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace rm::ui
