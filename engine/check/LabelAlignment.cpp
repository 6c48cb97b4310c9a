#include "engine/check/LabelAlignment.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <unordered_map>

namespace rm {

namespace {

// Rows (a line is a row, found by labels along their columns) or columns
// (a line is a column, found by labels along their rows).
class Axis {
public:
    Axis(bool rows, const TemplateLabels& labels, const SheetTexts& source)
        : m_rows(rows), m_labels(labels), m_source(source)
    {
    }

    bool rows() const { return m_rows; }
    int templateLines() const { return m_rows ? m_labels.rows() : m_labels.columns(); }
    const std::map<int, std::vector<int>>& markedLines() const
    {
        return m_rows ? m_labels.rowLabelColumns() : m_labels.columnLabelRows();
    }
    const std::string& templateLabel(int line, int cross) const
    {
        return m_rows ? m_labels.labelAt(line, cross) : m_labels.labelAt(cross, line);
    }
    std::string sourceText(int line, int cross) const
    {
        const int row = m_rows ? line : cross;
        const int column = m_rows ? cross : line;
        if (row < 1 || column < 1 || row > m_source.rows() || column > m_source.columns())
            return {};
        const long index = m_source.indexOf(row, column);
        return m_source.readError(index) ? std::string() : trimmedText(m_source.text(index));
    }

    // The source's line for the template's label at (line, cross); 0 when
    // ambiguous, and then `absent` tells whether the source lacks it altogether.
    int matchLabel(int line, int cross, bool& absent)
    {
        const std::string& label = templateLabel(line, cross);
        const std::vector<int>& inTemplate = templateIndex(cross)[label];
        const auto nth = std::find(inTemplate.begin(), inTemplate.end(), line) - inTemplate.begin();
        const SourceLine& inSource = sourceIndex(cross);
        std::vector<int> found;
        if (const auto exact = inSource.exact.find(label); exact != inSource.exact.end()) {
            found = exact->second;
        } else {
            for (std::size_t i = 0; i < inSource.texts.size(); ++i)
                if (labelAgrees(label, inSource.texts[i]))
                    found.push_back(static_cast<int>(i) + 1);
        }
        absent = found.empty();
        if (found.size() != inTemplate.size())
            return 0;
        return found[static_cast<std::size_t>(nth)];
    }

private:
    struct SourceLine {
        std::vector<std::string> texts;   // by line, from 1
        std::unordered_map<std::string, std::vector<int>> exact;
    };

    std::unordered_map<std::string, std::vector<int>>& templateIndex(int cross)
    {
        auto [entry, isNew] = m_templateIndex.try_emplace(cross);
        if (isNew)
            for (int line = 1; line <= templateLines(); ++line)
                if (const std::string& label = templateLabel(line, cross); !label.empty())
                    entry->second[label].push_back(line);
        return entry->second;
    }

    const SourceLine& sourceIndex(int cross)
    {
        auto [entry, isNew] = m_sourceIndex.try_emplace(cross);
        if (isNew) {
            const int lines = m_rows ? m_source.rows() : m_source.columns();
            for (int line = 1; line <= lines; ++line) {
                entry->second.texts.push_back(sourceText(line, cross));
                if (!entry->second.texts.back().empty())
                    entry->second.exact[entry->second.texts.back()].push_back(line);
            }
        }
        return entry->second;
    }

    bool m_rows;
    const TemplateLabels& m_labels;
    const SheetTexts& m_source;
    std::unordered_map<int, std::unordered_map<std::string, std::vector<int>>> m_templateIndex;
    std::unordered_map<int, SourceLine> m_sourceIndex;
};

// A source lacking the labels of more marked lines than this has not had a
// few lines removed; naming removals stops there, which also keeps the
// search for absent labels (each a scan of the source's line) from growing
// with the square of a large report's lines.
constexpr std::size_t kMostRemovedLines = 16;

// The source's line for every template line (itself where nothing moved);
// nothing when a marked line cannot be told. Given `removed`, a marked line
// whose labels the source lacks altogether is taken as removed instead: its
// line is 0 and its first label is added there.
std::optional<std::vector<int>> mapLines(Axis& axis, std::vector<std::string>* removed = nullptr)
{
    std::vector<int> lineOf(static_cast<std::size_t>(axis.templateLines()) + 1);
    std::iota(lineOf.begin(), lineOf.end(), 0);
    bool moved = false;
    bool unlabelled = false;
    for (const auto& [line, crosses] : axis.markedLines()) {
        if (crosses.empty()) {
            unlabelled = true;   // stays where it is, unless others moved
            continue;
        }
        int found = 0;
        int absent = 0;
        for (const int cross : crosses) {
            bool lacking = false;
            const int match = axis.matchLabel(line, cross, lacking);
            if (lacking && removed) {
                if (removed->size() >= kMostRemovedLines)
                    return std::nullopt;
                ++absent;
                continue;
            }
            if (match == 0 || (found != 0 && match != found))
                return std::nullopt;
            found = match;
        }
        if (absent > 0) {
            if (found != 0)
                return std::nullopt;   // some of its labels are there, others not
            removed->push_back(axis.templateLabel(line, crosses.front()));
            lineOf[static_cast<std::size_t>(line)] = 0;
            moved = true;
            continue;
        }
        lineOf[static_cast<std::size_t>(line)] = found;
        moved = moved || found != line;
    }
    if (moved && unlabelled)
        return std::nullopt;
    int previous = 0;
    for (const auto& entry : axis.markedLines()) {
        const int now = lineOf[static_cast<std::size_t>(entry.first)];
        if (now == 0)
            continue;
        if (now <= previous)
            return std::nullopt;
        previous = now;
    }
    return lineOf;
}

void addMoves(const Axis& axis, const std::vector<int>& lineOf, std::vector<LayoutMove>& moves)
{
    int previous = 0;
    int shift = 0;
    for (const auto& [line, crosses] : axis.markedLines()) {
        if (lineOf[static_cast<std::size_t>(line)] == 0)
            continue;   // removed: the lines after it tell how far they moved
        const int now = lineOf[static_cast<std::size_t>(line)] - line;
        if (now != shift && !crosses.empty()) {
            const int cross = crosses.front();
            // The first line after the last one in place that no longer agrees.
            int from = line;
            for (int l = previous + 1; l < line; ++l)
                if (!labelAgrees(axis.templateLabel(l, cross), axis.sourceText(l + shift, cross))) {
                    from = l;
                    break;
                }
            LayoutMove move{axis.rows(), from, now - shift, {}};
            for (int i = 0; i < std::abs(move.by); ++i) {
                std::string text = move.by > 0 ? axis.sourceText(from + shift + i, cross)
                                                : axis.templateLabel(from + i, cross);
                if (!text.empty())
                    move.texts.push_back(std::move(text));
            }
            moves.push_back(std::move(move));
            shift = now;
        }
        previous = line;
    }
}

bool namedAsRemoved(const std::string& label, const std::vector<LayoutMove>& moves)
{
    for (const LayoutMove& move : moves)
        if (move.by < 0 && std::find(move.texts.begin(), move.texts.end(), label) != move.texts.end())
            return true;
    return false;
}

} // namespace

int alignmentReach(int lines, int margin)
{
    constexpr int largest = 32767;
    return lines >= largest - margin ? largest : lines + margin;
}

CellPosition SourceAlignment::at(const CellPosition& templateCell) const
{
    const auto row = static_cast<std::size_t>(templateCell.row);
    const auto column = static_cast<std::size_t>(templateCell.column);
    return {row < rowOf.size() ? rowOf[row] : templateCell.row,
            column < columnOf.size() ? columnOf[column] : templateCell.column};
}

std::optional<SourceAlignment> alignByLabels(const TemplateLabels& labels, const SheetTexts& source)
{
    Axis rows(true, labels, source);
    Axis columns(false, labels, source);
    auto rowOf = mapLines(rows);
    if (!rowOf)
        return std::nullopt;
    auto columnOf = mapLines(columns);
    if (!columnOf)
        return std::nullopt;
    return SourceAlignment{std::move(*rowOf), std::move(*columnOf)};
}

std::vector<LayoutMove> movesOf(const TemplateLabels& labels, const SheetTexts& source,
                                const SourceAlignment& alignment)
{
    std::vector<LayoutMove> moves;
    addMoves(Axis(true, labels, source), alignment.rowOf, moves);
    addMoves(Axis(false, labels, source), alignment.columnOf, moves);
    return moves;
}

std::vector<LayoutMove> removalsOf(const TemplateLabels& labels, const SheetTexts& source)
{
    Axis rows(true, labels, source);
    Axis columns(false, labels, source);
    std::vector<std::string> removed;
    const auto rowOf = mapLines(rows, &removed);
    if (!rowOf)
        return {};
    const auto columnOf = mapLines(columns, &removed);
    if (!columnOf || removed.empty())
        return {};
    std::vector<LayoutMove> moves;
    addMoves(rows, *rowOf, moves);
    addMoves(columns, *columnOf, moves);
    for (const std::string& label : removed)
        if (!namedAsRemoved(label, moves))
            return {};
    return moves;
}

} // namespace rm
