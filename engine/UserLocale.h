#pragma once

#include <string>

namespace rm {

// The user's locale for numbers, as a name like "de_DE" (no encoding or
// modifier): LC_ALL, else LC_NUMERIC, else LANG; "C", "POSIX" or nothing give
// "en_US". The office is started in this locale; the numeric test reads the
// office's own data for it (SpreadsheetBinding::numericLocale).
std::string userLocaleName();

// "de_DE" -> "de-DE", the form the office's settings take.
std::string toOfficeLocaleTag(const std::string& localeName);

} // namespace rm
