#include "engine/memory/MemorySheet.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"

namespace rm::mem {

std::string MemorySheet::cellText(int row, int column)
{
    ++m_textReads;
    if (m_content.refusesReads(row, column))
        throw Error(ErrorNumber::CellAccessFailed, "无法读取单元格");
    return m_content.displayedText(row, column);
}

void MemorySheet::setCellValue2(int row, int column, double value)
{
    ++m_valueWrites;
    m_content.writeValue(row, column, value);
}

void MemorySheet::saveAs(const std::string& path)
{
    throw Error(ErrorNumber::OfficeCallFailed, "工作表不属于任何工作簿，无法保存：" + path);
}

} // namespace rm::mem
