#include "app/cli/TerminalProgress.h"

#include "engine/StageText.h"

#include <ostream>
#include <string>

namespace rm::cli {

namespace {

const int kBarWidth = 40;

} // namespace

void TerminalProgress::setMaximum(float value)
{
    m_maximum = value;
    m_stages.summation(m_minimum, m_maximum, m_value);
}

void TerminalProgress::setMinimum(float value)
{
    m_minimum = value;
    m_stages.summation(m_minimum, m_maximum, m_value);
}

void TerminalProgress::setValue(float value)
{
    m_value = value;
    m_stages.summation(m_minimum, m_maximum, m_value);
    draw();
}

void TerminalProgress::stageProgress(MergeStage stage, long done, long total)
{
    m_stages.stageProgress(stage, done, total);
    m_label = stageText(stage, done, total);
    draw();
}

void TerminalProgress::finish()
{
    m_stages.finish();
    m_label = "完成";
    draw();
}

void TerminalProgress::draw()
{
    if (!m_enabled)
        return;
    const double fraction = m_stages.fraction();
    const int permille = static_cast<int>(fraction * 1000);
    if (permille == m_drawnPermille && m_label == m_drawnLabel)
        return;
    // Blanks after a shorter label wipe what a longer one left.
    const size_t blanks = m_drawnLabel.size() > m_label.size() ? m_drawnLabel.size() - m_label.size() : 0;
    m_drawnPermille = permille;
    m_drawnLabel = m_label;
    const int filled = static_cast<int>(fraction * kBarWidth);
    m_terminal << "\r[" << std::string(static_cast<size_t>(filled), '#')
               << std::string(static_cast<size_t>(kBarWidth - filled), ' ') << "] " << permille / 10 << "% "
               << m_label << std::string(blanks, ' ') << std::flush;
}

void TerminalProgress::endLine()
{
    if (m_enabled && m_drawnPermille >= 0)
        m_terminal << "\n" << std::flush;
    m_drawnPermille = -1;
}

TerminalProgress::~TerminalProgress()
{
    endLine();
}

} // namespace rm::cli
