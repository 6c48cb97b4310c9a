#pragma once

// One private office for a whole test program (starting one costs seconds),
// formatting in en_US, never opening anything for a person; shut down after
// the last test.

#include "engine/libreoffice/LibreOfficeBinding.h"

rm::lo::LibreOfficeBinding& testOffice();
