#include "engine/SheetTexts.h"

#include "engine/ErrorNumbers.h"
#include "engine/Spreadsheet.h"

namespace rm {

SheetTexts::SheetTexts(int rows, int columns)
    : m_rows(rows > 0 ? rows : 0), m_columns(columns > 0 ? columns : 0), m_texts(static_cast<size_t>(cellCount()))
{
}

void SheetTexts::setUnreadable(long index, Error error)
{
    m_unreadable.insert_or_assign(index, std::move(error));
}

void SheetTexts::setUnreadableFrom(long index, Error error)
{
    m_failedFrom.emplace(index, std::move(error));
}

const Error* SheetTexts::readError(long index) const
{
    if (m_failedFrom && index >= m_failedFrom->first)
        return &m_failedFrom->second;
    const auto found = m_unreadable.find(index);
    return found == m_unreadable.end() ? nullptr : &found->second;
}

SheetTexts readSheetTexts(Worksheet& sheet, int rows, int columns)
{
    sheet.limitReadsTo(rows, columns);
    SheetTexts texts(rows, columns);
    long index = 0;
    for (int row = 1; row <= texts.rows(); ++row) {
        for (int column = 1; column <= texts.columns(); ++column, ++index) {
            try {
                texts.setText(index, sheet.cellText(row, column));
            } catch (const Error& error) {
                if (error.number() != ErrorNumber::CellAccessFailed) {
                    texts.setUnreadableFrom(index, error);
                    return texts;
                }
                texts.setUnreadable(index, error);
            }
        }
    }
    return texts;
}

} // namespace rm
