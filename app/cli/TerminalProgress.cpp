#include "app/cli/TerminalProgress.h"

#include <algorithm>
#include <ostream>
#include <string>

namespace rm::cli {

namespace {
const int kBarWidth = 40;
}

void TerminalProgress::setValue(float value)
{
    m_value = value;
    if (!m_enabled)
        return;
    const float span = m_maximum - m_minimum;
    const double fraction = span > 0 ? std::clamp(static_cast<double>(value - m_minimum) / span, 0.0, 1.0) : 1.0;
    const int permille = static_cast<int>(fraction * 1000);
    if (permille == m_drawnPermille)
        return;
    m_drawnPermille = permille;
    const int filled = static_cast<int>(fraction * kBarWidth);
    m_terminal << "\r[" << std::string(static_cast<size_t>(filled), '#')
               << std::string(static_cast<size_t>(kBarWidth - filled), ' ') << "] " << permille / 10 << "%"
               << std::flush;
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
