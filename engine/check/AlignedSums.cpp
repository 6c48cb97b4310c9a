#include "engine/check/AlignedSums.h"

#include "engine/Checked16.h"

#include <cmath>
#include <limits>
#include <map>

namespace rm {

AlignedSums::AlignedSums(std::vector<CellPosition> marks, bool keepSummands)
    : m_marks(std::move(marks)), m_sums(m_marks.size(), 0.0), m_readElsewhere(m_marks.size(), false),
      m_keepSummands(keepSummands)
{
}

void AlignedSums::fold(const SheetTexts& source, const NumericReader& numbers, const SourceAlignment* alignment,
                       bool otherSheet)
{
    std::vector<double>* summands = nullptr;
    std::vector<CellPosition>* readAt = nullptr;
    if (m_keepSummands) {
        summands = &m_summands.emplace_back(m_marks.size(), std::numeric_limits<double>::quiet_NaN());
        readAt = &m_readAt.emplace_back(m_marks);
    }
    for (std::size_t i = 0; i < m_marks.size(); ++i) {
        const CellPosition cell = alignment ? alignment->at(m_marks[i]) : m_marks[i];
        if (readAt)
            (*readAt)[i] = cell;
        if (otherSheet || cell != m_marks[i])
            m_readElsewhere[i] = true;
        if (m_failures.count(i) || cell.row > source.rows() || cell.column > source.columns())
            continue;
        const long index = source.indexOf(cell.row, cell.column);
        if (const Error* error = source.readError(index)) {
            m_failures.emplace(i, *error);
            continue;
        }
        if (const auto number = numbers.read(source.text(index))) {
            if (summands)
                (*summands)[i] = *number;
            m_sums[i] += *number;
            if (!std::isfinite(m_sums[i]))
                m_failures.emplace(i, overflowError());
        }
    }
}

void AlignedSums::writeInto(Worksheet& target, ContributionTable* contributions, const std::string& sheet) const
{
    std::map<std::pair<int, int>, MarkedCellContributions*> entries;
    if (contributions)
        for (auto& entry : *contributions)
            if (entry.sheet == sheet)
                entries.emplace(std::make_pair(entry.row, entry.column), &entry);
    for (std::size_t i = 0; i < m_marks.size(); ++i) {
        if (!m_readElsewhere[i])
            continue;
        if (const auto failure = m_failures.find(i); failure != m_failures.end())
            throw failure->second;
        const CellPosition& cell = m_marks[i];
        target.setCellValue2(cell.row, cell.column, m_sums[i]);
        const auto entry = entries.find({cell.row, cell.column});
        if (entry == entries.end() || !m_keepSummands)
            continue;
        entry->second->sum = m_sums[i];
        entry->second->bySource.clear();
        entry->second->readAt.clear();
        for (std::size_t source = 0; source < m_summands.size(); ++source) {
            entry->second->bySource.push_back(m_summands[source][i]);
            entry->second->readAt.push_back(m_readAt[source][i]);
        }
    }
}

} // namespace rm
