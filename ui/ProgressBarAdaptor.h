#pragma once

#include "engine/progress/ReportedProgress.h"

#include <QElapsedTimer>

#include <QString>

#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QTimer;

namespace rm::ui {

// `ProgressBar1` as the merge run sees it: the run's reports (kept as
// rm::ReportedProgress keeps them) place the bar, which only moves forward.
// They may come from any thread; the bar itself is updated on its own thread:
// at once when the report comes from there, otherwise by a timer that runs
// while a merge does. A stage label, when given, tells the stage with its
// count and the source just read, and after the first seconds the time left,
// shortened to the label's width.
class ProgressBarAdaptor : public rm::ReportedProgress {
public:
    static constexpr int barSteps = 10000;

    explicit ProgressBarAdaptor(QProgressBar* bar);
    ~ProgressBarAdaptor() override;
    ProgressBarAdaptor(const ProgressBarAdaptor&) = delete;
    ProgressBarAdaptor& operator=(const ProgressBarAdaptor&) = delete;

    // On the bar's thread, before beginRun.
    void setStageLabel(QLabel* label);
    // On the bar's thread: the sources of the coming run, in the run's order (their names are shown as they are read).
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
    void reported() override;
    void showOnBar();
    StageCaption stageCaption(double fraction) const;

    QProgressBar* m_bar;
    QTimer* m_timer;
    // The rest is used on the bar's thread only.
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceQuestion;
    qint64 m_answerMs = 0;      // time of the run spent waiting for answers
    bool m_waiting = false;
    bool m_running = false;
    QLabel* m_stageLabel = nullptr;
    std::vector<std::string> m_sourcePaths;
};

} // namespace rm::ui
