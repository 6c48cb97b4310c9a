#include "engine/libreoffice/bulk/BatchCellWriter.h"

#include "engine/libreoffice/bulk/OfficeBasic.h"

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

template <class T>
uno::Sequence<T> toSequence(const std::vector<T>& items)
{
    return uno::Sequence<T>(items.data(), static_cast<sal_Int32>(items.size()));
}

} // namespace

BatchCellWriter::BatchCellWriter(const OfficeConnection& office)
    : m_script(officeBasicRoutine(office, Module, Code, "WriteValues"))
{
}

void BatchCellWriter::write(const uno::Reference<sheet::XSpreadsheet>& sheet, const std::vector<sal_Int32>& rows,
                            const std::vector<sal_Int32>& columns, const std::vector<double>& values) const
{
    uno::Sequence<uno::Any> arguments(4);
    arguments[0] <<= sheet;
    arguments[1] <<= toSequence(rows);
    arguments[2] <<= toSequence(columns);
    arguments[3] <<= toSequence(values);
    uno::Sequence<sal_Int16> outIndices;
    uno::Sequence<uno::Any> outValues;
    m_script->invoke(arguments, outIndices, outValues);
}

} // namespace rm::lo
