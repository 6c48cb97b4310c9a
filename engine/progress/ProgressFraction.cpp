#include "engine/progress/ProgressFraction.h"

#include <algorithm>
#include <cmath>

namespace rm {

namespace {

// The usual cost of each stage in seconds, fixed plus per source (measured
// with the benchmark: 50x10 cells, 300 sources, 2 cores).
struct StageCost {
    double fixed;
    double perSource;
};

constexpr std::array<StageCost, 6> kCosts{{
    {3.0, 0.0},     // StartingOffice
    {0.3, 0.0},     // OpeningTarget
    {0.2, 0.06},    // ReadingSources
    {0.2, 0.012},   // Summing (the sources' texts are fetched on first use)
    {0.5, 0.0},     // Saving
    {0.1, 0.012},   // Finishing (every source is closed)
}};

double clamp01(double value)
{
    return value > 0.0 ? std::min(value, 1.0) : 0.0;   // NaN too gives 0
}

} // namespace

ProgressFraction::ProgressFraction(long sourceCount)
{
    const double sources = static_cast<double>(std::max(sourceCount, 0L));
    for (int i = 0; i < stageCount; ++i) {
        m_seconds[static_cast<size_t>(i)] = kCosts[static_cast<size_t>(i)].fixed + kCosts[static_cast<size_t>(i)].perSource * sources;
        m_totalSeconds += m_seconds[static_cast<size_t>(i)];
    }
}

void ProgressFraction::stageProgress(MergeStage stage, long done, long total)
{
    m_started = true;
    m_stage = index(stage);
    m_done = std::max(done, 0L);
    m_total = std::max(total, 0L);
    if (stage == MergeStage::Summing)
        m_summationFraction = 0;
}

void ProgressFraction::summation(float minimum, float maximum, float value)
{
    const double span = double(maximum) - double(minimum);
    m_summationFraction = span > 0.0 && std::isfinite(span) ? clamp01((double(value) - double(minimum)) / span) : 0.0;
}

double ProgressFraction::stageStart(int stage) const
{
    double before = 0;
    for (int i = 0; i < stage; ++i)
        before += m_seconds[static_cast<size_t>(i)];
    return before / m_totalSeconds;
}

double ProgressFraction::reached() const
{
    const double start = stageStart(m_stage);
    const double share = stageStart(m_stage + 1) - start;
    if (m_stage == index(MergeStage::Summing))
        return start + share * m_summationFraction;
    if (m_total == 0)
        return start;
    return start + share * std::min(m_done, m_total) / double(m_total);
}

double ProgressFraction::nextStep() const
{
    if (m_total == 0 || m_stage == index(MergeStage::Summing))
        return stageStart(m_stage + 1);
    const double start = stageStart(m_stage);
    const double share = stageStart(m_stage + 1) - start;
    return start + share * std::min(m_done + 1, m_total) / double(m_total);
}

double ProgressFraction::stepSeconds() const
{
    const double stage = m_seconds[static_cast<size_t>(m_stage)];
    return m_total > 0 && m_stage != index(MergeStage::Summing) ? stage / double(m_total) : stage;
}

double ProgressFraction::fraction(double quietSeconds)
{
    double now = m_summationFraction;
    if (m_started) {
        now = reached();
        if (quietSeconds > 0.0)
            now += (nextStep() - now) * (1.0 - std::exp(-quietSeconds / std::max(stepSeconds(), 0.01)));
    }
    m_highest = std::max(m_highest, clamp01(now));
    return m_highest;
}

} // namespace rm
