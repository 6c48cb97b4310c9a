#include "engine/check/LayoutCheck.h"

#include "engine/MarkedCells.h"

#include <cstdint>

namespace rm {

namespace {

constexpr long kLargestScannedCount = 32767;

// The template's texts and formula flags over its rectangle.
TemplateCells readTemplateCells(Worksheet& sheet, int rows, int columns)
{
    TemplateCells cells{rows, columns, {}, {}};
    const auto count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    cells.texts.resize(count);
    cells.formulas.resize(count);
    std::size_t index = 0;
    for (int row = 1; row <= rows; ++row)
        for (int column = 1; column <= columns; ++column, ++index) {
            cells.formulas[index] = sheet.cellHasFormula(row, column);
            if (!cells.formulas[index])
                cells.texts[index] = sheet.cellText(row, column);
        }
    return cells;
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

const std::string& textAt(const SheetTexts& texts, int row, int column)
{
    static const std::string unreadable;
    if (row > texts.rows() || column > texts.columns())
        return unreadable;
    const long index = texts.indexOf(row, column);
    return texts.readError(index) ? unreadable : texts.text(index);
}

} // namespace

LayoutCheck::LayoutCheck(Worksheet& templateSheet, NumericLocale locale, const std::string& templatePath)
    : m_numbers(locale)
{
    const long rows = templateSheet.usedRangeRowCount();
    const long columns = templateSheet.usedRangeColumnCount();
    if (rows < 1 || columns < 1 || rows > kLargestScannedCount || columns > kLargestScannedCount)
        return;
    m_template.emplace(readTemplateCells(templateSheet, static_cast<int>(rows), static_cast<int>(columns)),
                       m_numbers);
    if (m_template->marks().empty())
        m_findings.push_back(LayoutFinding(LayoutFinding::Kind::NoMarkedCells, -1, templatePath));
}

const std::vector<CellPosition>& LayoutCheck::markedCells() const
{
    static const std::vector<CellPosition> none;
    return m_template ? m_template->marks() : none;
}

const SourceAlignment* LayoutCheck::checkSource(const std::string& path, const SheetTexts& sourceTexts)
{
    const int index = m_nextSource++;
    m_alignment.reset();
    if (!m_template)
        return nullptr;
    LayoutFinding layout = LayoutFinding(LayoutFinding::Kind::LayoutDiffers, index, path);
    for (const HeaderLabel& label : m_template->governingLabels()) {
        const std::string& text = textAt(sourceTexts, label.row, label.column);
        if (!labelAgrees(label.text, text) && ++layout.differingLabels <= long(shownDifferences))
            layout.firstDifferences.push_back({label.row, label.column, label.text, text});
    }

    bool numberAtMark = false;
    Sha256 digest;
    auto mark = m_template->marks().begin();
    const auto marksEnd = m_template->marks().end();
    for (int row = 1; row <= m_template->rows(); ++row)
        for (int column = 1; column <= m_template->columns(); ++column) {
            const std::string& text = textAt(sourceTexts, row, column);
            addText(digest, text);
            if (mark != marksEnd && mark->row == row && mark->column == column) {
                numberAtMark = numberAtMark || m_numbers.read(text).has_value();
                ++mark;
            }
        }

    if (layout.differingLabels > 0) {
        m_alignment = alignByLabels(*m_template, sourceTexts);
        if (m_alignment) {
            layout.alignable = true;
            layout.moves = movesOf(*m_template, sourceTexts, *m_alignment);
        } else {
            layout.moves = removalsOf(*m_template, sourceTexts);
        }
        m_findings.push_back(std::move(layout));
    }
    if (numberAtMark) {
        const auto [first, isNew] = m_firstWithDigest.try_emplace(digest.finish(), index, path);
        if (!isNew) {
            LayoutFinding same = LayoutFinding(LayoutFinding::Kind::SameContent, index, path);
            same.otherIndex = first->second.first;
            same.otherPath = first->second.second;
            m_findings.push_back(std::move(same));
        }
    } else if (!m_template->marks().empty()) {
        m_findings.push_back(LayoutFinding(LayoutFinding::Kind::NothingToAdd, index, path));
    }
    return m_alignment ? &*m_alignment : nullptr;
}

void LayoutCheck::markAlignedSources()
{
    for (auto& finding : m_findings)
        if (finding.kind == LayoutFinding::Kind::LayoutDiffers && finding.alignable)
            finding.aligned = true;
}

} // namespace rm
