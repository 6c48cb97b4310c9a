#pragma once

// One private office for a whole test program (starting one costs seconds),
// formatting in en_US and never opening anything for a person. It starts
// when first asked for; after the last test it is shut down and checked to
// have left no office process of ours.

#include "engine/libreoffice/LibreOfficeBinding.h"

namespace rm::test {

lo::LibreOfficeBinding& sharedOffice();

} // namespace rm::test
