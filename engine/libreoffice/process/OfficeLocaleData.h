#pragma once

#include "engine/NumericLocale.h"
#include "engine/libreoffice/process/OfficeConnection.h"

#include <string>

namespace rm::lo {

// How the office shows numbers in `localeName` ("de_DE"): its own locale
// data (the office falls back to en-US data for a locale it does not know,
// and formats in that fallback too). The other currency symbols are those of
// every locale the office knows. Office failures pass up as UNO exceptions.
NumericLocale readNumericLocale(const OfficeConnection& connection, const std::string& localeName);

} // namespace rm::lo
