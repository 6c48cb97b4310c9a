#pragma once

#include "engine/Progress.h"

#include <iosfwd>

namespace rm::cli {

// A progress bar drawn on one terminal line; redrawn only when it changes visibly.
class TerminalProgress : public ProgressIndicator {
public:
    explicit TerminalProgress(std::ostream& terminal, bool enabled) : m_terminal(terminal), m_enabled(enabled) {}
    ~TerminalProgress() override;

    void setMaximum(float value) override { m_maximum = value; }
    void setMinimum(float value) override { m_minimum = value; }
    float value() const override { return m_value; }
    void setValue(float value) override;
    // Ends the bar's line, so that other text can follow on the terminal.
    void endLine();

private:
    std::ostream& m_terminal;
    bool m_enabled;
    float m_maximum = 100, m_minimum = 0, m_value = 0;
    int m_drawnPermille = -1;
};

} // namespace rm::cli
