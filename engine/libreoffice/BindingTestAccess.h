#pragma once

// For the binding's own tests and tools only: the office behind a binding.

#include "engine/libreoffice/LibreOfficeBinding.h"

#include <memory>

namespace rm::lo {

struct BindingTestAccess {
    // The running office of `binding`, started when needed.
    static std::shared_ptr<OfficeSession> session(LibreOfficeBinding& binding) { return binding.session(); }
};

} // namespace rm::lo
