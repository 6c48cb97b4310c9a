#pragma once

// The numeric test of displayed texts: decides whether a text that the office
// shows is a number in the user's regional settings, and converts it.

#include <optional>
#include <string>
#include <vector>

namespace rm {

struct NumericLocale {
    std::string decimalSeparator = ".";
    std::string groupingSeparator = ",";
    // As the office shows them in this locale ("$", "¥", "€", ...).
    std::vector<std::string> currencySymbols = {"$"};
};

// The separators and currency of a locale name such as "de_DE": from the
// system's locale data when that locale is installed, else from a small
// built-in table, else those of en_US.
NumericLocale numericLocaleFor(const std::string& localeName);

// Built-in values only (no system lookup): tests use these to stay
// independent of the installed locales.
NumericLocale builtInNumericLocale(const std::string& localeName);

// numericLocaleFor(userLocaleName()).
NumericLocale userNumericLocale();

// A number when the whole text is one: blanks (also no-break spaces) around;
// a leading or trailing sign; digits with grouping separators anywhere in the
// integer part; the decimal separator; an exponent ("1.23E+04"); a currency
// symbol before or after, with or without a blank; parentheses for a
// negative. Empty texts, words, error texts, percentages and dates are not
// numbers. Accepted texts always convert; a value beyond the double range
// converts to an infinity.
std::optional<double> parseNumericText(const std::string& utf8, const NumericLocale& locale);

} // namespace rm
