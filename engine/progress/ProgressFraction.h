#pragma once

#include "engine/progress/MergeStages.h"

#include <array>

namespace rm {

// Where a whole merge run stands, as one fraction from 0 to 1, from the run's
// stage reports and the summation's progress indicator. Each stage owns a
// share of the bar sized by what it usually costs; the shares of the stages
// that handle every source grow with the number of sources. A stage or step
// that has said nothing for a while creeps on towards its end (never reaching
// it), so the bar keeps moving through an office start. The fraction never
// goes back. Before any stage is reported it is the summation's own fraction.
class ProgressFraction {
public:
    explicit ProgressFraction(long sourceCount = 0);

    void stageProgress(MergeStage stage, long done, long total);
    void summation(float minimum, float maximum, float value);
    // `quietSeconds` after the last report or summation step (0: no creep).
    double fraction(double quietSeconds = 0.0);
    // The run has ended well: full from now on.
    void finish() { m_highest = 1.0; }

private:
    static constexpr int stageCount = 6;
    static int index(MergeStage stage) { return static_cast<int>(stage); }
    double stageStart(int stage) const;
    double reached() const;
    // Where the next report will bring the bar, and how long it usually takes (s).
    double nextStep() const;
    double stepSeconds() const;

    std::array<double, stageCount> m_seconds{};   // the usual cost of each stage
    double m_totalSeconds = 0;
    bool m_started = false;
    int m_stage = 0;
    long m_done = 0;
    long m_total = 0;
    double m_summationFraction = 0;
    double m_highest = 0;
};

} // namespace rm
