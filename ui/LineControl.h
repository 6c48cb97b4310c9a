#pragma once

#include <QColor>
#include <QWidget>

namespace rm::ui {

// A drawn horizontal line. It takes no mouse input: the pointer over it is
// over the window's bare surface.
class LineControl : public QWidget {
    Q_OBJECT

public:
    LineControl(QColor colour, QWidget* parent);
    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
};

} // namespace rm::ui
