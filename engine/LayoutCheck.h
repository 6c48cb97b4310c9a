#pragma once

// The check before saving: do the sources have the template's layout, is one
// sent twice, does one add nothing? It learns the template's labels and marks
// from the target sheet before any sum is written, then takes each source
// once, in list order, as it is read. Between sources it keeps only that map
// and one digest per source that has numbers to add.

#include "engine/LayoutFindings.h"
#include "engine/NumericText.h"
#include "engine/Sha256.h"
#include "engine/SheetTexts.h"
#include "engine/Spreadsheet.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace rm {

class LayoutCheck {
public:
    // Reads the rectangle the summation scans. A label is a text that is not
    // blank, not marked, not a number; formula cells are neither label nor
    // mark (their text follows the sums). A rectangle beyond the summation's
    // reach (more than 32767 rows or columns) turns the check off.
    LayoutCheck(Worksheet& templateSheet, NumericLocale locale);

    // Takes the source's texts over the rectangle (as the merge read them,
    // once, in list order) and notes its findings.
    void checkSource(const std::string& path, const SheetTexts& sourceTexts);

    const LayoutFindings& findings() const { return m_findings; }

private:
    struct Label {
        long long cell;   // (row - 1) * columns + (column - 1)
        std::string text;
    };
    static constexpr std::size_t shownDifferences = 3;

    NumericReader m_numbers;
    bool m_enabled = false;
    int m_rows = 0;
    int m_columns = 0;
    std::vector<Label> m_labels;      // in scan order
    std::vector<long long> m_marks;   // in scan order
    std::map<Sha256::Digest, std::pair<int, std::string>> m_firstWithDigest;   // index and path
    int m_nextSource = 0;
    LayoutFindings m_findings;
};

} // namespace rm
