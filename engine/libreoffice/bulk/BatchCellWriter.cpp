#include "engine/libreoffice/bulk/BatchCellWriter.h"

#include "engine/libreoffice/bulk/OfficeBasic.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/uno/RuntimeException.hpp>

using namespace css;

namespace rm::lo {

namespace {

const char* const Module = "Writer";
const char* const Code =
    "Sub WriteValues(oSheet As Object, aRows As Variant, aColumns As Variant, aValues As Variant)\n"
    "    Dim i As Long\n"
    "    For i = LBound(aRows) To UBound(aRows)\n"
    "        oSheet.getCellByPosition(aColumns(i), aRows(i)).setValue(aValues(i))\n"
    "    Next i\n"
    "End Sub\n";

const char* const SwapModule = "Swapper";
const char* const SwapCode =
    "Function SwapValues(oSheet As Object, aRows As Variant, aColumns As Variant, aValues As Variant) As Variant\n"
    "    Dim n As Long, i As Long, oCell As Object\n"
    "    n = UBound(aRows) - LBound(aRows) + 1\n"
    "    If n <= 0 Then\n"
    "        SwapValues = Array()\n"
    "        Exit Function\n"
    "    End If\n"
    "    Dim aOld(n - 1) As String\n"
    "    For i = 0 To n - 1\n"
    "        oCell = oSheet.getCellByPosition(aColumns(LBound(aColumns) + i), aRows(LBound(aRows) + i))\n"
    "        aOld(i) = oCell.getFormula()\n"
    "        oCell.setValue(aValues(LBound(aValues) + i))\n"
    "    Next i\n"
    "    SwapValues = aOld\n"
    "End Function\n";

template <class T>
uno::Sequence<T> toSequence(const std::vector<T>& items)
{
    return uno::Sequence<T>(items.data(), static_cast<sal_Int32>(items.size()));
}

uno::Any invokeOn(const uno::Reference<script::provider::XScript>& script, const uno::Reference<sheet::XSpreadsheet>& sheet,
                  const std::vector<sal_Int32>& rows, const std::vector<sal_Int32>& columns, const std::vector<double>& values)
{
    uno::Sequence<uno::Any> arguments(4);
    arguments[0] <<= sheet;
    arguments[1] <<= toSequence(rows);
    arguments[2] <<= toSequence(columns);
    arguments[3] <<= toSequence(values);
    uno::Sequence<sal_Int16> outIndices;
    uno::Sequence<uno::Any> outValues;
    return script->invoke(arguments, outIndices, outValues);
}

} // namespace

BatchCellWriter::BatchCellWriter(const OfficeConnection& office)
    : m_script(officeBasicRoutine(office, Module, Code, "WriteValues")),
      m_swapScript(officeBasicRoutine(office, SwapModule, SwapCode, "SwapValues"))
{
}

void BatchCellWriter::write(const uno::Reference<sheet::XSpreadsheet>& sheet, const std::vector<sal_Int32>& rows,
                            const std::vector<sal_Int32>& columns, const std::vector<double>& values) const
{
    invokeOn(m_script, sheet, rows, columns, values);
}

std::vector<std::string> BatchCellWriter::swap(const uno::Reference<sheet::XSpreadsheet>& sheet,
                                               const std::vector<sal_Int32>& rows, const std::vector<sal_Int32>& columns,
                                               const std::vector<double>& values) const
{
    if (rows.empty())
        return {};
    const uno::Any result = invokeOn(m_swapScript, sheet, rows, columns, values);
    uno::Sequence<OUString> typed;
    uno::Sequence<uno::Any> items;
    std::vector<std::string> previous;
    if (result >>= typed) {
        for (const auto& text : typed)
            previous.push_back(toUtf8(text));
    } else if (result >>= items) {
        for (const auto& item : items) {
            OUString text;
            if (!(item >>= text))
                throw uno::RuntimeException("the office's cell writer returned " + item.getValueTypeName());
            previous.push_back(toUtf8(text));
        }
    }
    if (previous.size() != rows.size())
        throw uno::RuntimeException("the office's cell writer returned a different number of contents");
    return previous;
}

} // namespace rm::lo
