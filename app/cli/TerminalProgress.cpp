#include "app/cli/TerminalProgress.h"

#include "app/cli/CliTexts.h"
#include "app/cli/TerminalWidth.h"
#include "engine/progress/StageText.h"

#include <algorithm>
#include <ostream>
#include <string>

namespace rm::cli {

namespace {

constexpr int kBarWidth = 40;
constexpr int kShortestBar = 5;
constexpr int kDefaultColumns = 80;
const std::string kCutMark = "…";

} // namespace

std::string progressLine(double fraction, const std::string& label, int columns)
{
    const int room = columns - 1;
    if (room <= 0)
        return {};
    const std::string percent = std::to_string(static_cast<int>(fraction * 1000) / 10) + "%";
    const std::string text = percent + " " + label;
    // Sized for "100%", so that the bar keeps its length as the figure grows.
    const int bar = std::min(kBarWidth, room - 3 - (4 + 1 + displayWidth(label)));
    if (bar >= kShortestBar) {
        const int filled = std::clamp(static_cast<int>(fraction * bar), 0, bar);
        return "[" + std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(bar - filled), ' ')
               + "] " + text;
    }
    if (displayWidth(text) <= room)
        return text;
    const int labelRoom = room - displayWidth(percent) - 1 - displayWidth(kCutMark);
    if (!label.empty() && labelRoom > 0)
        return percent + " " + cutToWidth(label, labelRoom) + kCutMark;
    return cutToWidth(percent, room);
}

TerminalProgress::TerminalProgress(std::ostream& terminal, bool enabled, long sourceCount, std::function<int()> columns)
    : ReportedProgress(sourceCount), m_terminal(terminal), m_enabled(enabled), m_columns(std::move(columns))
{
}

void TerminalProgress::finish()
{
    ReportedProgress::finish();
    m_finished = true;
    draw();
}

void TerminalProgress::draw()
{
    if (!m_enabled)
        return;
    std::string label;
    if (m_finished)
        label = CliText::progressDone();
    else if (const auto stage = lastStage())
        label = stageText(stage->stage, stage->done, stage->total) + stageSheetText(stage->sheet);
    const int columns = m_columns ? m_columns() : kDefaultColumns;
    const std::string line = progressLine(fraction(), label, columns);
    if (m_drawn && line == m_drawnLine)
        return;
    // Blanks after a shorter line wipe what a longer one left.
    const int width = displayWidth(line);
    const int blanks = m_drawn ? std::min(displayWidth(m_drawnLine), columns - 1) - width : 0;
    m_drawn = true;
    m_drawnLine = line;
    m_terminal << "\r" << line << std::string(static_cast<size_t>(std::max(blanks, 0)), ' ') << std::flush;
}

void TerminalProgress::endLine()
{
    if (m_enabled && m_drawn)
        m_terminal << "\n" << std::flush;
    m_drawn = false;
    m_drawnLine.clear();
}

TerminalProgress::~TerminalProgress()
{
    endLine();
}

} // namespace rm::cli
