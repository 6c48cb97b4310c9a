#pragma once

#include <string>
#include <vector>

namespace rm {

// How numbers are shown in one locale, as the spreadsheet application that
// formats the texts has it. The defaults are those of en_US.
struct NumericLocale {
    std::string decimalSeparator = ".";
    std::string groupingSeparator = ",";
    // The locale's own currency symbols and ISO codes ("$", "USD").
    std::vector<std::string> currencySymbols = {"$", "USD"};
    // Those of every other locale the application knows: a cell whose format
    // names another currency shows one of these.
    std::vector<std::string> otherCurrencySymbols;
};

} // namespace rm
