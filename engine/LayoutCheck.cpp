#include "engine/LayoutCheck.h"

#include "engine/MarkedCells.h"

#include <cstdint>

namespace rm {

namespace {

constexpr long kLargestScannedCount = 32767;

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Length first, so that no two different sequences of texts feed the same bytes.
void addText(Sha256& digest, const std::string& text)
{
    const std::uint64_t size = text.size();
    char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = char(size >> (8 * i));
    digest.add(std::string_view(length, 8));
    digest.add(text);
}

} // namespace

LayoutCheck::LayoutCheck(Worksheet& templateSheet, NumericLocale locale) : m_numbers(locale)
{
    const long rows = templateSheet.usedRangeRowCount();
    const long columns = templateSheet.usedRangeColumnCount();
    if (rows < 1 || columns < 1 || rows > kLargestScannedCount || columns > kLargestScannedCount)
        return;
    m_enabled = true;
    m_rows = static_cast<int>(rows);
    m_columns = static_cast<int>(columns);
    long long cell = 0;
    for (int row = 1; row <= m_rows; ++row)
        for (int column = 1; column <= m_columns; ++column, ++cell) {
            if (templateSheet.cellHasFormula(row, column))
                continue;
            std::string text = templateSheet.cellText(row, column);
            if (isMarkedText(text))
                m_marks.push_back(cell);
            else if (!isBlank(text) && !m_numbers.read(text))
                m_labels.push_back({cell, std::move(text)});
        }
}

void LayoutCheck::checkSource(const std::string& path, const SheetTexts& sourceTexts)
{
    const int index = m_nextSource++;
    if (!m_enabled)
        return;
    LayoutFinding layout = LayoutFinding(LayoutFinding::Kind::LayoutDiffers, index, path);
    bool numberAtMark = false;
    Sha256 digest;
    auto label = m_labels.begin();
    auto mark = m_marks.begin();
    long long cell = 0;
    for (int row = 1; row <= m_rows; ++row)
        for (int column = 1; column <= m_columns; ++column, ++cell) {
            static const std::string unreadable;
            const long index = sourceTexts.indexOf(row, column);
            const bool known = row <= sourceTexts.rows() && column <= sourceTexts.columns() &&
                               !sourceTexts.readError(index);
            const std::string& text = known ? sourceTexts.text(index) : unreadable;
            addText(digest, text);
            if (label != m_labels.end() && label->cell == cell) {
                if (text != label->text && ++layout.differingLabels <= long(shownDifferences))
                    layout.firstDifferences.push_back({row, column, label->text, text});
                ++label;
            } else if (mark != m_marks.end() && *mark == cell) {
                numberAtMark = numberAtMark || m_numbers.read(text).has_value();
                ++mark;
            }
        }

    if (layout.differingLabels > 0)
        m_findings.push_back(std::move(layout));
    if (numberAtMark) {
        const auto [first, isNew] = m_firstWithDigest.try_emplace(digest.finish(), index, path);
        if (!isNew) {
            LayoutFinding same = LayoutFinding(LayoutFinding::Kind::SameContent, index, path);
            same.otherIndex = first->second.first;
            same.otherPath = first->second.second;
            m_findings.push_back(std::move(same));
        }
    } else if (!m_marks.empty()) {
        m_findings.push_back(LayoutFinding(LayoutFinding::Kind::NothingToAdd, index, path));
    }
}

} // namespace rm
