#pragma once

#include "engine/progress/ProgressIndicator.h"
#include "engine/progress/MergeStages.h"
#include "engine/progress/ProgressFraction.h"

#include <chrono>
#include <mutex>
#include <optional>

namespace rm {

// What a merge run has reported so far, kept for whoever shows it: the
// summation's maximum, minimum and value as floats exactly as written, and the
// last stage report, which together place the run on one bar (see
// ProgressFraction). Reports may come from any thread; the readers below may be
// called from another. After every report `reported()` runs, on the
// reporting thread and outside the lock.
class ReportedProgress : public ProgressIndicator, public StageListener {
public:
    explicit ReportedProgress(long sourceCount = 0) : m_stages(sourceCount) {}
    ReportedProgress(const ReportedProgress&) = delete;
    ReportedProgress& operator=(const ReportedProgress&) = delete;

    void setMaximum(float value) override;
    void setMinimum(float value) override;
    float value() const override;
    void setValue(float value) override;
    float maximum() const;
    float minimum() const;

    void stageProgress(MergeStage stage, long done, long total) override;
    void stageSheet(const std::string& sheet) override;

    // The last stage report; none before the first of a run.
    struct Stage {
        MergeStage stage;
        long done;
        long total;
        std::string sheet;   // see StageListener::stageSheet
    };
    std::optional<Stage> lastStage() const;

    // The run's fraction done, never less than before. With `creep`, the time
    // since the last report (or the start) moves it on towards the next one.
    double fraction(bool creep = false);

    // The time without reports counts from now (after a pause that is no
    // stage's work, such as waiting for the user).
    void restartQuietTime();

    // A run of `sourceCount` sources starts: stage shares afresh, no stage yet.
    // The summation's values stay as written.
    void startRun(long sourceCount);
    // The run has ended well: the bar full from now on.
    void finish();
    // As constructed: the summation's values back to 100, 0 and 0, nothing reported.
    void reset();

protected:
    virtual void reported() {}

private:
    using Clock = std::chrono::steady_clock;
    // Under the lock.
    void summationChanged();

    mutable std::mutex m_mutex;
    float m_maximum = 100.0f;
    float m_minimum = 0.0f;
    float m_value = 0.0f;
    ProgressFraction m_stages;
    std::optional<Stage> m_lastStage;
    std::string m_sheet;
    std::optional<Clock::time_point> m_lastNews;
};

} // namespace rm
