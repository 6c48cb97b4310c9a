#include "engine/libreoffice/bulk/BatchCellReader.h"

#include "engine/libreoffice/bulk/OfficeBasic.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/uno/RuntimeException.hpp>

#include <vector>

using namespace css;

namespace rm::lo {

namespace {

const char* const Module = "Reader";
// Only cells with a value, a date, a text or a formula show anything; their
// ranges are counted first so that the result arrays are made once.
const char* const Code =
    "Function ReadTexts(oSheet As Object, nRows As Long, nColumns As Long) As Variant\n"
    "    Dim aRanges As Variant, n As Long, i As Long, k As Long, r As Long, c As Long\n"
    "    aRanges = oSheet.getCellRangeByPosition(0, 0, nColumns - 1, nRows - 1).queryContentCells(23).getRangeAddresses()\n"
    "    n = 0\n"
    "    For i = LBound(aRanges) To UBound(aRanges)\n"
    "        n = n + (aRanges(i).EndRow - aRanges(i).StartRow + 1) * (aRanges(i).EndColumn - aRanges(i).StartColumn + 1)\n"
    "    Next i\n"
    "    If n = 0 Then\n"
    "        ReadTexts = Array(Array(), Array(), Array())\n"
    "        Exit Function\n"
    "    End If\n"
    "    Dim aRows(n - 1), aColumns(n - 1), aTexts(n - 1)\n"
    "    k = 0\n"
    "    For i = LBound(aRanges) To UBound(aRanges)\n"
    "        For r = aRanges(i).StartRow To aRanges(i).EndRow\n"
    "            For c = aRanges(i).StartColumn To aRanges(i).EndColumn\n"
    "                aRows(k) = r\n"
    "                aColumns(k) = c\n"
    "                aTexts(k) = oSheet.getCellByPosition(c, r).getString()\n"
    "                k = k + 1\n"
    "            Next c\n"
    "        Next r\n"
    "    Next i\n"
    "    ReadTexts = Array(aRows, aColumns, aTexts)\n"
    "End Function\n";

const char* const ListModule = "ListReader";
const char* const ListCode =
    "Function ReadCells(oSheet As Object, aRows As Variant, aColumns As Variant) As Variant\n"
    "    Dim n As Long, i As Long\n"
    "    n = UBound(aRows) - LBound(aRows) + 1\n"
    "    If n <= 0 Then\n"
    "        ReadCells = Array()\n"
    "        Exit Function\n"
    "    End If\n"
    "    Dim aTexts(n - 1) As String\n"
    "    For i = 0 To n - 1\n"
    "        aTexts(i) = oSheet.getCellByPosition(aColumns(LBound(aColumns) + i), aRows(LBound(aRows) + i)).getString()\n"
    "    Next i\n"
    "    ReadCells = aTexts\n"
    "End Function\n";

// Basic hands an array over typed by its elements ([]long, []string) or as []any.
template <class T>
std::vector<T> arrayOf(const uno::Any& value)
{
    uno::Sequence<T> typed;
    if (value >>= typed)
        return std::vector<T>(typed.begin(), typed.end());
    uno::Sequence<uno::Any> items;
    uno::Sequence<uno::Sequence<uno::Any>> nested;   // an array of []any arrays
    if (value >>= nested) {
        items.realloc(nested.getLength());
        for (sal_Int32 i = 0; i < nested.getLength(); ++i)
            items[i] <<= nested[i];
    } else if (!(value >>= items)) {
        throw uno::RuntimeException("the office's cell reader returned " + value.getValueTypeName());
    }
    std::vector<T> result(static_cast<size_t>(items.getLength()));
    for (sal_Int32 i = 0; i < items.getLength(); ++i)
        if (!(items[i] >>= result[static_cast<size_t>(i)]))
            throw uno::RuntimeException("the office's cell reader returned " + items[i].getValueTypeName());
    return result;
}

} // namespace

BatchCellReader::BatchCellReader(const OfficeConnection& office)
    : m_script(officeBasicRoutine(office, Module, Code, "ReadTexts")),
      m_listScript(officeBasicRoutine(office, ListModule, ListCode, "ReadCells"))
{
}

std::vector<std::string> BatchCellReader::readCells(const uno::Reference<sheet::XSpreadsheet>& sheet,
                                                    const std::vector<sal_Int32>& rows,
                                                    const std::vector<sal_Int32>& columns) const
{
    if (rows.empty())
        return {};
    uno::Sequence<uno::Any> arguments(3);
    arguments[0] <<= sheet;
    arguments[1] <<= uno::Sequence<sal_Int32>(rows.data(), static_cast<sal_Int32>(rows.size()));
    arguments[2] <<= uno::Sequence<sal_Int32>(columns.data(), static_cast<sal_Int32>(columns.size()));
    uno::Sequence<sal_Int16> outIndices;
    uno::Sequence<uno::Any> outValues;
    const auto texts = arrayOf<OUString>(m_listScript->invoke(arguments, outIndices, outValues));
    if (texts.size() != rows.size())
        throw uno::RuntimeException("the office's cell reader returned a different number of texts");
    std::vector<std::string> result;
    result.reserve(texts.size());
    for (const auto& text : texts)
        result.push_back(toUtf8(text));
    return result;
}

CsvGrid BatchCellReader::read(const uno::Reference<sheet::XSpreadsheet>& sheet, long rows, long columns) const
{
    if (rows < 1 || columns < 1)
        return CsvGrid();
    uno::Sequence<uno::Any> arguments(3);
    arguments[0] <<= sheet;
    arguments[1] <<= static_cast<sal_Int32>(rows);
    arguments[2] <<= static_cast<sal_Int32>(columns);
    uno::Sequence<sal_Int16> outIndices;
    uno::Sequence<uno::Any> outValues;
    const auto parts = arrayOf<uno::Any>(m_script->invoke(arguments, outIndices, outValues));
    if (parts.size() != 3)
        throw uno::RuntimeException("the office's cell reader returned an unexpected result");
    const auto cellRows = arrayOf<sal_Int32>(parts[0]);
    const auto cellColumns = arrayOf<sal_Int32>(parts[1]);
    const auto texts = arrayOf<OUString>(parts[2]);
    if (cellColumns.size() != cellRows.size() || texts.size() != cellRows.size())
        throw uno::RuntimeException("the office's cell reader returned arrays of different lengths");

    std::vector<std::vector<std::string>> grid;
    for (size_t i = 0; i < cellRows.size(); ++i) {
        const sal_Int32 row = cellRows[i];
        const sal_Int32 column = cellColumns[i];
        if (row < 0 || column < 0 || row >= rows || column >= columns)
            throw uno::RuntimeException("the office's cell reader returned a cell outside the rectangle");
        const auto r = static_cast<size_t>(row);
        const auto c = static_cast<size_t>(column);
        if (grid.size() <= r)
            grid.resize(r + 1);
        if (grid[r].size() <= c)
            grid[r].resize(c + 1);
        grid[r][c] = toUtf8(texts[i]);
    }
    return CsvGrid(std::move(grid));
}

} // namespace rm::lo
