#pragma once

// Aligning a source by its header labels: where the source's own row and
// column labels stand, its numbers are read. A marked row is found by its row
// labels in their own columns of the source, a marked column by its column
// labels in their own rows, each label by the rule of labelAgrees() (a text
// that reads the same is preferred to one that only begins with it). A label
// must be found exactly as often as the template holds it in that column
// (row), usually once, and is matched in order. Anything else (missing, found
// more or less often, rows or columns in another order, a row's labels
// pointing at different rows, an unlabelled marked row while others moved)
// leaves the source unaligned.

#include "engine/check/LayoutFindings.h"
#include "engine/SheetTexts.h"
#include "engine/check/TemplateLabels.h"

#include <optional>
#include <vector>

namespace rm {

// Rows and columns read beyond the template's rectangle, for rows and
// columns a source has inserted: a source is never read over its own extent.
constexpr int kAlignmentRowMargin = 64;
constexpr int kAlignmentColumnMargin = 16;

// How far a source is read when it may be aligned: `lines` plus the margin, at most 32767.
int alignmentReach(int lines, int margin);

// Where a source's numbers are read for the template's marked cells.
struct SourceAlignment {
    std::vector<int> rowOf;      // by the template's row, from 1; the source's row
    std::vector<int> columnOf;   // by the template's column, from 1
    CellPosition at(const CellPosition& templateCell) const;
};

// The alignment, or nothing when the source's labels do not tell it unambiguously.
std::optional<SourceAlignment> alignByLabels(const TemplateLabels& labels, const SheetTexts& source);

// What moved, rows first, each insertion or removal once.
std::vector<LayoutMove> movesOf(const TemplateLabels& labels, const SheetTexts& source,
                                const SourceAlignment& alignment);

// For a source that cannot be aligned because marked rows or columns were
// removed from it: what moved, named as movesOf names it, when every missing
// label is among the removed lines so named and everything else is found as
// alignByLabels would find it; otherwise nothing.
std::vector<LayoutMove> removalsOf(const TemplateLabels& labels, const SheetTexts& source);

} // namespace rm
