#pragma once

#include "engine/Progress.h"
#include "engine/RunProgress.h"
#include "engine/StageProgress.h"

#include <iosfwd>
#include <string>

namespace rm::cli {

// A progress bar drawn on one terminal line over the whole run, with the
// stage it is in; redrawn only when it changes visibly.
class TerminalProgress : public ProgressIndicator, public RunProgress {
public:
    TerminalProgress(std::ostream& terminal, bool enabled, long sourceCount)
        : m_terminal(terminal), m_enabled(enabled), m_stages(sourceCount)
    {
    }
    ~TerminalProgress() override;

    void setMaximum(float value) override;
    void setMinimum(float value) override;
    float value() const override { return m_value; }
    void setValue(float value) override;
    // Ends the bar's line, so that other text can follow on the terminal.
    void endLine();
    void stageProgress(MergeStage stage, long done, long total) override;
    // The run has ended well: the bar shows full.
    void finish();

private:
    void draw();

    std::ostream& m_terminal;
    bool m_enabled;
    float m_maximum = 100, m_minimum = 0, m_value = 0;
    StageProgress m_stages;
    std::string m_label;
    int m_drawnPermille = -1;
    std::string m_drawnLabel;
};

} // namespace rm::cli
