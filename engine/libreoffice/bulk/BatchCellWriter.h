#pragma once

#include <com/sun/star/script/provider/XScript.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <string>
#include <vector>

namespace rm::lo {

class OfficeConnection;

// Writes many cell values in one remote call: a small Basic routine, kept in
// the private office's own application library (never in a document), sets
// them one by one inside the office.
class BatchCellWriter {
public:
    // Installs the routine; nothing (isReady() false) when the office refuses.
    explicit BatchCellWriter(const OfficeConnection& office);
    bool isReady() const { return m_script.is() && m_swapScript.is(); }

    // Rows and columns count from 0; the values are set in this order.
    void write(const css::uno::Reference<css::sheet::XSpreadsheet>& sheet, const std::vector<sal_Int32>& rows,
               const std::vector<sal_Int32>& columns, const std::vector<double>& values) const;
    // The same, returning what each cell held before, as the API writes it (setFormula puts it back).
    std::vector<std::string> swap(const css::uno::Reference<css::sheet::XSpreadsheet>& sheet,
                                  const std::vector<sal_Int32>& rows, const std::vector<sal_Int32>& columns,
                                  const std::vector<double>& values) const;

private:
    css::uno::Reference<css::script::provider::XScript> m_script;
    css::uno::Reference<css::script::provider::XScript> m_swapScript;
};

} // namespace rm::lo
