#pragma once

// One private office for a whole test program (starting one costs seconds).
// Registering the environment shuts it down after the last test and checks
// that no office process of ours is left.

#include "engine/libreoffice/LibreOfficeBinding.h"

namespace rm::faults {

lo::LibreOfficeBinding& sharedOffice();

} // namespace rm::faults
