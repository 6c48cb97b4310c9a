#pragma once

// The sums of the template's marked cells with every alignable source read
// where its own labels put the numbers, folded in the same pass and list
// order as MarkedSums: the choice to align costs no second read. A source
// read by position adds here exactly what it adds there, so where no source
// moved both sums are the same double.

#include "engine/Error.h"
#include "engine/check/LabelAlignment.h"
#include "engine/MarkedSums.h"
#include "engine/NumericText.h"
#include "engine/SheetTexts.h"
#include "engine/Spreadsheet.h"

#include <unordered_map>
#include <vector>

namespace rm {

class AlignedSums {
public:
    AlignedSums(std::vector<CellPosition> marks, bool keepSummands);

    // `alignment` null: the source is read at the marked cells themselves.
    // `otherSheet`: the texts are of another sheet than the one summed by
    // position, so every marked cell is read elsewhere.
    void fold(const SheetTexts& source, const NumericReader& numbers, const SourceAlignment* alignment,
              bool otherSheet = false);

    // Writes the aligned sum into every marked cell that an aligned source
    // read elsewhere, and puts its summands, sum and the cells read into its
    // entry of `contributions` (when given; the entries of `sheet`). A cell's failure is thrown.
    void writeInto(Worksheet& target, ContributionTable* contributions, const std::string& sheet = {}) const;

private:
    std::vector<CellPosition> m_marks;
    std::vector<double> m_sums;
    std::vector<bool> m_readElsewhere;
    std::unordered_map<std::size_t, Error> m_failures;
    bool m_keepSummands;
    std::vector<std::vector<double>> m_summands;         // per source, per mark
    std::vector<std::vector<CellPosition>> m_readAt;     // per source, per mark
};

} // namespace rm
