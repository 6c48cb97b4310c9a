#pragma once

#include "engine/Progress.h"
#include "engine/RunProgress.h"
#include "engine/StageProgress.h"

#include <QElapsedTimer>

#include <mutex>

class QProgressBar;
class QTimer;

namespace rm::ui {

// `ProgressBar1` as the merge run sees it. The summation's maximum, minimum
// and value are kept as floats exactly as written; together with the run's
// stage reports they place the bar (see rm::StageProgress), which only moves
// forward. Both may be written from any thread; the bar itself is updated on
// its own thread: at once when the write comes from there, otherwise by a
// timer that runs while a merge does.
class ProgressBarAdaptor : public rm::ProgressIndicator, public rm::RunProgress {
public:
    static constexpr int barSteps = 10000;

    explicit ProgressBarAdaptor(QProgressBar* bar);
    ~ProgressBarAdaptor() override;
    ProgressBarAdaptor(const ProgressBarAdaptor&) = delete;
    ProgressBarAdaptor& operator=(const ProgressBarAdaptor&) = delete;

    void setMaximum(float value) override;
    void setMinimum(float value) override;
    float value() const override;
    void setValue(float value) override;
    float maximum() const;
    float minimum() const;

    void stageProgress(rm::MergeStage stage, long done, long total) override;

    // On the bar's thread: a merge of `sourceCount` sources starts; the bar
    // keeps up with it until endRun, which fills it when the run `completed`.
    void beginRun(long sourceCount);
    void endRun(bool completed);
    // On the bar's thread, outside a run: back to the state before any run,
    // the bar empty. (setValue(0) alone cannot empty it: the run's bar only
    // moves forward.)
    void clear();

private:
    void changed();
    void showOnBar();

    QProgressBar* m_bar;
    QTimer* m_timer;
    mutable std::mutex m_mutex;
    float m_maximum = 100.0f;
    float m_minimum = 0.0f;
    float m_value = 0.0f;
    rm::StageProgress m_stages;
    QElapsedTimer m_sinceNews;
    bool m_running = false;
};

} // namespace rm::ui
