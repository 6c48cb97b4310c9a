#include "ui/ProgressBarAdaptor.h"

#include "engine/progress/StageText.h"
#include "ui/WindowTexts.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace rm::ui {

namespace {
constexpr int kRefreshIntervalMs = 40;

QString fileNameOf(const std::string& path)
{
    const QString whole = QString::fromStdString(path);
    const qsizetype slash = std::max(whole.lastIndexOf(QLatin1Char('/')), whole.lastIndexOf(QLatin1Char('\\')));
    return whole.mid(slash + 1);
}

// "stage name  estimate" within `width`: the name gives way first (shortened
// in the middle, or left out), then the end of the whole.
QString fitted(const QFontMetrics& metrics, int width, const ProgressBarAdaptor::StageCaption& caption)
{
    const QString tail = caption.estimate.isEmpty() ? QString() : QStringLiteral("  ") + caption.estimate;
    if (!caption.name.isEmpty()) {
        const int room = width - metrics.horizontalAdvance(caption.stage + QLatin1Char(' ') + tail);
        if (room >= metrics.horizontalAdvance(shortestShownName))
            return caption.stage + QLatin1Char(' ') + metrics.elidedText(caption.name, Qt::ElideMiddle, room) + tail;
    }
    return metrics.elidedText(caption.stage + tail, Qt::ElideRight, width);
}

} // namespace

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

void ProgressBarAdaptor::beginRun(long sourceCount)
{
    startRun(sourceCount);
    m_running = true;
    m_sinceStart.start();
    m_answerMs = 0;
    m_waiting = false;
    showOnBar();
    m_timer->start();
}

void ProgressBarAdaptor::awaitAnswer(bool waiting)
{
    if (waiting == m_waiting)
        return;
    m_waiting = waiting;
    if (waiting) {
        m_timer->stop();
        m_sinceQuestion.start();
    } else {
        m_answerMs += m_sinceQuestion.elapsed();
        restartQuietTime();   // the wait moves the bar on no further
    }
    showOnBar();
    if (!waiting && m_running)
        m_timer->start();
}

void ProgressBarAdaptor::endRun(bool completed)
{
    m_timer->stop();
    m_running = false;
    if (completed)
        finish();
    showOnBar();
}

void ProgressBarAdaptor::clear()
{
    reset();
    m_sinceStart.invalidate();
    m_answerMs = 0;
    m_waiting = false;
    showOnBar();
    if (m_stageLabel) {
        m_stageLabel->clear();
        m_stageLabel->setToolTip({});
    }
}

void ProgressBarAdaptor::reported()
{
    // From another thread the timer picks the change up.
    if (QThread::currentThread() == m_bar->thread())
        showOnBar();
}

void ProgressBarAdaptor::showOnBar()
{
    const double fraction = this->fraction(m_running && !m_waiting);
    m_bar->setValue(static_cast<int>(std::lround(fraction * barSteps)));
    if (m_stageLabel) {
        const StageCaption caption = stageCaption(fraction);
        m_stageLabel->setText(fitted(m_stageLabel->fontMetrics(), m_stageLabel->width(), caption));
        m_stageLabel->setToolTip(caption.whole());
    }
}

void ProgressBarAdaptor::setStageLabel(QLabel* label)
{
    m_stageLabel = label;
    m_stageLabel->clear();
}

void ProgressBarAdaptor::nameSources(std::vector<std::string> sourcePaths)
{
    m_sourcePaths = std::move(sourcePaths);
}

QString ProgressBarAdaptor::StageCaption::whole() const
{
    QStringList parts{stage, name, estimate};
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

ProgressBarAdaptor::StageCaption ProgressBarAdaptor::stageCaption(double fraction) const
{
    if (m_waiting)
        return {waitingForChoice, {}, {}};
    const auto last = lastStage();
    if (!last)
        return {};
    QString stage = QString::fromStdString(rm::stageText(last->stage, last->done, last->total));
    QString name;
    if (last->stage == rm::MergeStage::ReadingSources && last->done > 0
        && static_cast<size_t>(last->done) <= m_sourcePaths.size())
        name = fileNameOf(m_sourcePaths[static_cast<size_t>(last->done - 1)]);
    // The sheet follows the file's name, or the stage's text when no file is named.
    (name.isEmpty() ? stage : name) += QString::fromStdString(rm::stageSheetText(last->sheet));
    QString estimate;
    if (m_running && m_sinceStart.isValid()) {
        if (const auto left = rm::remainingSeconds((m_sinceStart.elapsed() - m_answerMs) / 1000.0, fraction))
            estimate = QString::fromStdString(rm::remainingTimeText(*left));
    }
    return {stage, name, estimate};
}

} // namespace rm::ui
