#pragma once

class QColor;
class QWidget;

namespace rm::ui {

// Gives the widget's text (QPalette::WindowText) this colour.
void setTextColour(QWidget* widget, const QColor& colour);

} // namespace rm::ui
