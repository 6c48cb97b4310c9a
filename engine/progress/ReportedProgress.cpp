#include "engine/progress/ReportedProgress.h"

namespace rm {

void ReportedProgress::summationChanged()
{
    m_stages.summation(m_minimum, m_maximum, m_value);
    m_lastNews = Clock::now();
}

void ReportedProgress::setMaximum(float value)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_maximum = value;
        summationChanged();
    }
    reported();
}

void ReportedProgress::setMinimum(float value)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_minimum = value;
        summationChanged();
    }
    reported();
}

void ReportedProgress::setValue(float value)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_value = value;
        summationChanged();
    }
    reported();
}

float ReportedProgress::value() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_value;
}

float ReportedProgress::maximum() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_maximum;
}

float ReportedProgress::minimum() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_minimum;
}

void ReportedProgress::stageProgress(MergeStage stage, long done, long total)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stages.stageProgress(stage, done, total);
        m_lastStage = Stage{stage, done, total, m_sheet};
        m_lastNews = Clock::now();
    }
    reported();
}

void ReportedProgress::stageSheet(const std::string& sheet)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_sheet = sheet;
}

std::optional<ReportedProgress::Stage> ReportedProgress::lastStage() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastStage;
}

double ReportedProgress::fraction(bool creep)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const double quiet = creep && m_lastNews ? std::chrono::duration<double>(Clock::now() - *m_lastNews).count() : 0.0;
    return m_stages.fraction(quiet);
}

void ReportedProgress::restartQuietTime()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_lastNews = Clock::now();
}

void ReportedProgress::startRun(long sourceCount)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stages = ProgressFraction(sourceCount);
    m_lastStage.reset();
    m_sheet.clear();
    m_lastNews = Clock::now();
}

void ReportedProgress::finish()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stages.finish();
}

void ReportedProgress::reset()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_maximum = 100.0f;
    m_minimum = 0.0f;
    m_value = 0.0f;
    m_stages = ProgressFraction();
    m_lastStage.reset();
    m_sheet.clear();
    m_lastNews.reset();
}

} // namespace rm
