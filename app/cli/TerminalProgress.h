#pragma once

#include "engine/progress/ReportedProgress.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace rm::cli {

// A progress bar drawn on one terminal line over the whole run, with the
// stage it is in; redrawn only when it changes visibly. The line stays short
// of the terminal's last column, so that "\r" can draw it over itself.
class TerminalProgress : public ReportedProgress {
public:
    // `columns` tells the terminal's width at each drawing (80 when not given).
    TerminalProgress(std::ostream& terminal, bool enabled, long sourceCount, std::function<int()> columns = {});
    ~TerminalProgress() override;

    // Ends the bar's line, so that other text can follow on the terminal.
    void endLine();
    // The run has ended well: the bar shows full.
    void finish();

private:
    void reported() override { draw(); }
    void draw();

    std::ostream& m_terminal;
    bool m_enabled;
    std::function<int()> m_columns;
    bool m_finished = false;
    bool m_drawn = false;
    std::string m_drawnLine;
};

// The bar's line for `fraction` done and `label`, at most `columns` - 1
// columns wide: "[####    ] 45% 求和". Where it does not fit, the bar gets
// shorter, down to 5 cells; then it is left out; then the label's end is cut
// ("…" marks the cut); at last only the percentage is left.
std::string progressLine(double fraction, const std::string& label, int columns);

} // namespace rm::cli
