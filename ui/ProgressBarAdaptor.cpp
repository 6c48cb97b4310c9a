#include "ui/ProgressBarAdaptor.h"

#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include <cmath>

namespace rm::ui {

namespace {
constexpr int kRefreshIntervalMs = 40;
}

ProgressBarAdaptor::ProgressBarAdaptor(QProgressBar* bar) : m_bar(bar), m_timer(new QTimer(bar))
{
    m_bar->setRange(0, barSteps);
    m_timer->setInterval(kRefreshIntervalMs);
    QObject::connect(m_timer, &QTimer::timeout, m_bar, [this] { showOnBar(); });
    showOnBar();
}

ProgressBarAdaptor::~ProgressBarAdaptor()
{
    m_timer->stop();
}

void ProgressBarAdaptor::setMaximum(float value)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_maximum = value;
        m_stages.summation(m_minimum, m_maximum, m_value);
        m_sinceNews.start();
    }
    changed();
}

void ProgressBarAdaptor::setMinimum(float value)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_minimum = value;
        m_stages.summation(m_minimum, m_maximum, m_value);
        m_sinceNews.start();
    }
    changed();
}

void ProgressBarAdaptor::setValue(float value)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_value = value;
        m_stages.summation(m_minimum, m_maximum, m_value);
        m_sinceNews.start();
    }
    changed();
}

float ProgressBarAdaptor::value() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_value;
}

float ProgressBarAdaptor::maximum() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_maximum;
}

float ProgressBarAdaptor::minimum() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_minimum;
}

void ProgressBarAdaptor::stageProgress(rm::MergeStage stage, long done, long total)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stages.stageProgress(stage, done, total);
        m_sinceNews.start();
    }
    changed();
}

void ProgressBarAdaptor::beginRun(long sourceCount)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stages = rm::StageProgress(sourceCount);
        m_running = true;
        m_sinceNews.start();
    }
    showOnBar();
    m_timer->start();
}

void ProgressBarAdaptor::endRun(bool completed)
{
    m_timer->stop();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
        if (completed)
            m_stages.finish();
    }
    showOnBar();
}

void ProgressBarAdaptor::clear()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_maximum = 100.0f;
        m_minimum = 0.0f;
        m_value = 0.0f;
        m_stages = rm::StageProgress();
        m_sinceNews.invalidate();
    }
    showOnBar();
}

void ProgressBarAdaptor::changed()
{
    // From another thread the timer picks the change up.
    if (QThread::currentThread() == m_bar->thread())
        showOnBar();
}

void ProgressBarAdaptor::showOnBar()
{
    double fraction = 0;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const double quiet = m_running && m_sinceNews.isValid() ? m_sinceNews.elapsed() / 1000.0 : 0.0;
        fraction = m_stages.fraction(quiet);
    }
    m_bar->setValue(static_cast<int>(std::lround(fraction * barSteps)));
}

} // namespace rm::ui
