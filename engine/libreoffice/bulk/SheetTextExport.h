#pragma once

#include "engine/libreoffice/files/CsvGrid.h"

#include <com/sun/star/frame/XModel.hpp>

#include <string>

namespace rm::lo {

// Every displayed text of one sheet in a single export: the sheet is stored
// as CSV "as shown" (texts exactly as the cells display them) to a temporary
// file in `temporaryFolder`, which is read back and removed. `sheetIndex` counts from 0.
CsvGrid exportSheetTexts(const css::uno::Reference<css::frame::XModel>& model, int sheetIndex,
                         const std::string& temporaryFolder);

} // namespace rm::lo
