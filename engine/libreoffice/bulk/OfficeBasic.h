#pragma once

#include <com/sun/star/script/provider/XScript.hpp>

namespace rm::lo {

class OfficeConnection;

// A Basic routine kept in the private office's own application library
// (never in a document), installed on first use. Null when the office refuses.
css::uno::Reference<css::script::provider::XScript> officeBasicRoutine(const OfficeConnection& office,
                                                                       const char* module, const char* code,
                                                                       const char* routine);

} // namespace rm::lo
