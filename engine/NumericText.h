#pragma once

// The numeric test of displayed texts: decides whether a text that the office
// shows is a number in the user's regional settings, and converts it.

#include "engine/NumericLocale.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace rm {

// Reads displayed texts in one locale. A text is a number when the whole of
// it is one:
// - blanks (also no-break and narrow no-break spaces) around;
// - one sign before or after, or parentheses for a negative;
// - one currency symbol or ISO code before or after, with or without a blank:
//   any that the locale data knows (single letters only of the user's own
//   locale), and the units 元, 圆 and 円 that Chinese and Japanese formats append;
// - digits, grouped in threes ("1,234,567") or in the Indian way ("12,34,567")
//   with the locale's grouping separator, an apostrophe or a space;
// - the decimal separator and digits; an exponent ("1.23E+04").
// Full-width forms ("１２３", "－") and the digits of other scripts read as
// their ASCII forms. A text that the user's separators cannot read is read
// with "." and "," in the other roles when only one reading is possible
// ("1.234,50" in en_US, a cell whose format names another locale).
// Not numbers: empty texts, words, error texts, percentages, dates, times,
// fractions, booleans, and amounts with a multiplier word ("12万").
// Accepted texts always convert; a value beyond the double range converts to
// an infinity.
class NumericReader {
public:
    explicit NumericReader(const NumericLocale& locale);

    std::optional<double> read(const std::string& utf8) const;

    // One way of writing numbers: its decimal separator, the separators allowed between digit groups.
    struct Convention {
        std::string decimal;
        std::vector<std::string> grouping;
    };

private:
    Convention m_userConvention;
    std::vector<Convention> m_otherConventions;
    // Currency symbols by their first byte, longest first.
    std::array<std::vector<std::string>, 256> m_currencies;
};

// NumericReader(locale).read(utf8), for a single text.
std::optional<double> parseNumericText(const std::string& utf8, const NumericLocale& locale);

} // namespace rm
