#pragma once

#include "engine/libreoffice/CsvGrid.h"

#include <com/sun/star/frame/XModel.hpp>

namespace rm::lo {

// Every displayed text of one sheet in a single export: the sheet is stored
// as CSV "as shown" (texts exactly as the cells display them) to a temporary
// file, which is read back and removed. `sheetIndex` counts from 0.
CsvGrid exportSheetTexts(const css::uno::Reference<css::frame::XModel>& model, int sheetIndex);

} // namespace rm::lo
