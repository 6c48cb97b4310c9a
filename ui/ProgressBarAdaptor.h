#pragma once

#include "engine/Progress.h"
#include "engine/RunProgress.h"
#include "engine/StageProgress.h"

#include <QElapsedTimer>

#include <QString>

#include <mutex>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QTimer;

namespace rm::ui {

// `ProgressBar1` as the merge run sees it. The summation's maximum, minimum
// and value are kept as floats exactly as written; together with the run's
// stage reports they place the bar (see rm::StageProgress), which only moves
// forward. Both may be written from any thread; the bar itself is updated on
// its own thread: at once when the write comes from there, otherwise by a
// timer that runs while a merge does. A stage label, when given, tells the
// stage with its count and the source just read, and after the first seconds
// the time left, shortened to the label's width.
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

    // On the bar's thread, before beginRun.
    void setStageLabel(QLabel* label);
    // The sources of the coming run, in the run's order (their names are shown as they are read).
    void nameSources(std::vector<std::string> sourcePaths);

    // What the stage label tells, each part possibly empty.
    struct StageCaption {
        QString stage;      // "读取合并文件 12/300"
        QString name;       // the source just read: "东区.xls"
        QString estimate;   // "约剩 1 分 20 秒"
        QString whole() const;
    };

    // On the bar's thread: a merge of `sourceCount` sources starts; the bar
    // keeps up with it until endRun, which fills it when the run `completed`.
    void beginRun(long sourceCount);
    void endRun(bool completed);
    // On the bar's thread, during a run: the run waits for the user's answer to
    // a question (the label says so, the bar stays put, and the time it takes
    // counts in no estimate), until called with false.
    void awaitAnswer(bool waiting);
    // On the bar's thread, outside a run: back to the state before any run,
    // the bar empty. (setValue(0) alone cannot empty it: the run's bar only
    // moves forward.)
    void clear();

private:
    void changed();
    void showOnBar();
    // Under the lock.
    StageCaption stageCaption(double fraction) const;

    QProgressBar* m_bar;
    QTimer* m_timer;
    mutable std::mutex m_mutex;
    float m_maximum = 100.0f;
    float m_minimum = 0.0f;
    float m_value = 0.0f;
    rm::StageProgress m_stages;
    QElapsedTimer m_sinceNews;
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceQuestion;
    qint64 m_answerMs = 0;      // time of the run spent waiting for answers
    bool m_waiting = false;
    bool m_running = false;
    QLabel* m_stageLabel = nullptr;
    std::vector<std::string> m_sourcePaths;
    bool m_stageKnown = false;
    rm::MergeStage m_stage = rm::MergeStage::StartingOffice;
    long m_done = 0;
    long m_total = 0;
};

} // namespace rm::ui
