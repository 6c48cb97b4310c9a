#pragma once

#include "engine/Progress.h"

#include <QElapsedTimer>

class QProgressBar;

namespace rm::ui {

// `ProgressBar1` as the summation sees it: maximum, minimum and value kept as
// floats exactly as written; the bar shows where the value lies between them.
// While a merge runs, setValue lets the window repaint (at most every 50 ms);
// user input is kept away meanwhile by an InputBlocker.
class ProgressBarAdaptor : public rm::ProgressIndicator {
public:
    static constexpr int barSteps = 10000;

    explicit ProgressBarAdaptor(QProgressBar* bar);

    void setMaximum(float value) override;
    void setMinimum(float value) override;
    float value() const override { return m_value; }
    void setValue(float value) override;
    float maximum() const { return m_maximum; }
    float minimum() const { return m_minimum; }

    // Repaint the window from within setValue (only while a merge runs).
    void setRepaintWhileBusy(bool on) { m_repaintWhileBusy = on; }
    // Processes pending paint and other non-input events now.
    static void processPendingPaint();

private:
    void showOnBar();
    void repaintIfDue();

    QProgressBar* m_bar;
    float m_maximum = 100.0f;
    float m_minimum = 0.0f;
    float m_value = 0.0f;
    bool m_repaintWhileBusy = false;
    QElapsedTimer m_sinceRepaint;
};

} // namespace rm::ui
