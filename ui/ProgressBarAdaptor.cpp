#include "ui/ProgressBarAdaptor.h"

#include <QCoreApplication>
#include <QProgressBar>

#include <cmath>

namespace rm::ui {

namespace {
constexpr qint64 repaintIntervalMs = 50;
}

ProgressBarAdaptor::ProgressBarAdaptor(QProgressBar* bar) : m_bar(bar)
{
    m_bar->setRange(0, barSteps);
    showOnBar();
}

void ProgressBarAdaptor::setMaximum(float value)
{
    m_maximum = value;
    showOnBar();
}

void ProgressBarAdaptor::setMinimum(float value)
{
    m_minimum = value;
    showOnBar();
}

void ProgressBarAdaptor::setValue(float value)
{
    m_value = value;
    showOnBar();
    repaintIfDue();
}

void ProgressBarAdaptor::showOnBar()
{
    const double span = double(m_maximum) - double(m_minimum);
    double fraction = 0.0;
    if (span > 0.0 && std::isfinite(span))
        fraction = (double(m_value) - double(m_minimum)) / span;
    if (!(fraction > 0.0))   // also NaN
        fraction = 0.0;
    if (fraction > 1.0)
        fraction = 1.0;
    m_bar->setValue(int(std::lround(fraction * barSteps)));
}

void ProgressBarAdaptor::repaintIfDue()
{
    if (!m_repaintWhileBusy)
        return;
    if (m_sinceRepaint.isValid() && m_sinceRepaint.elapsed() < repaintIntervalMs)
        return;
    processPendingPaint();
    m_sinceRepaint.start();
}

void ProgressBarAdaptor::processPendingPaint()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace rm::ui
