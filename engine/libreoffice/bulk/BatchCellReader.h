#pragma once

#include "engine/libreoffice/files/CsvGrid.h"

#include <com/sun/star/script/provider/XScript.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <string>
#include <vector>

namespace rm::lo {

class OfficeConnection;

// Reads the displayed texts of a sheet's top-left rectangle, or of a list of
// cells, in one remote call: a small Basic routine inside the office asks
// each cell that holds something for its text, exactly as a per-cell read
// would. What it reads grows with the rectangle or the list, never with the
// sheet's own extent.
class BatchCellReader {
public:
    // Installs the routine; nothing (isReady() false) when the office refuses.
    explicit BatchCellReader(const OfficeConnection& office);
    bool isReady() const { return m_script.is() && m_listScript.is(); }

    // Rows 1..rows and columns 1..columns; every other cell reads empty.
    CsvGrid read(const css::uno::Reference<css::sheet::XSpreadsheet>& sheet, long rows, long columns) const;
    // The texts of the cells (rows[i], columns[i]), counted from 0, in that order.
    std::vector<std::string> readCells(const css::uno::Reference<css::sheet::XSpreadsheet>& sheet,
                                       const std::vector<sal_Int32>& rows, const std::vector<sal_Int32>& columns) const;

private:
    css::uno::Reference<css::script::provider::XScript> m_script;
    css::uno::Reference<css::script::provider::XScript> m_listScript;
};

} // namespace rm::lo
