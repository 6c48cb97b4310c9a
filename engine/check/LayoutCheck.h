#pragma once

// The check before saving: do the sources have the template's layout, is one
// sent twice, does one add nothing? It learns the template's marks and the
// header labels that govern them (TemplateLabels) from the target sheet
// before any sum is written, then takes each source once, in list order, as
// it is read. A source whose labels moved is aligned by them when it can be
// (LabelAlignment). Between sources it keeps only that and one digest per
// source that has numbers to add.

#include "engine/check/LabelAlignment.h"
#include "engine/check/LayoutFindings.h"
#include "engine/NumericText.h"
#include "engine/Sha256.h"
#include "engine/SheetTexts.h"
#include "engine/Spreadsheet.h"
#include "engine/check/TemplateLabels.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rm {

class LayoutCheck {
public:
    // Reads the rectangle the summation scans. A rectangle beyond the
    // summation's reach (more than 32767 rows or columns) turns the check off.
    // A template that marks no cell is a finding of its own, named by
    // `templatePath` (a branch's filled-in report chosen by mistake).
    LayoutCheck(Worksheet& templateSheet, NumericLocale locale, const std::string& templatePath = {});

    // The template's marked cells, in scan order.
    const std::vector<CellPosition>& markedCells() const;

    // Takes the source's texts (as the merge read them, once, in list order,
    // over the template's rectangle and the alignment margins) and notes its
    // findings. Returns where its numbers stand when its layout differs and
    // its labels align it; null when it is read by position.
    const SourceAlignment* checkSource(const std::string& path, const SheetTexts& sourceTexts);

    // The source has no such sheet: it is counted, and nothing is checked.
    void skipSource() { ++m_nextSource; }

    const LayoutFindings& findings() const { return m_findings; }

    // Every alignable source was read aligned.
    void markAlignedSources();

private:
    static constexpr std::size_t shownDifferences = 3;

    NumericReader m_numbers;
    std::optional<TemplateLabels> m_template;   // none: the check is off
    std::map<Sha256::Digest, std::pair<int, std::string>> m_firstWithDigest;   // index and path
    std::optional<SourceAlignment> m_alignment;   // the last source's
    int m_nextSource = 0;
    LayoutFindings m_findings;
};

} // namespace rm
