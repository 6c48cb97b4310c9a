#pragma once

// A worksheet on its own, over a SheetContent, for tests of the summation:
// no workbook, no file. Counts how often cells are read and written.

#include "engine/Spreadsheet.h"
#include "engine/memory/MemoryContent.h"

namespace rm::mem {

class MemorySheet : public Worksheet {
public:
    explicit MemorySheet(SheetContent content = SheetContent()) : m_content(std::move(content)) {}

    SheetContent& content() { return m_content; }
    const SheetContent& content() const { return m_content; }
    long textReads() const { return m_textReads; }
    long valueWrites() const { return m_valueWrites; }

    long usedRangeRowCount() override { return m_content.usedRowCount(); }
    long usedRangeColumnCount() override { return m_content.usedColumnCount(); }
    std::string cellText(int row, int column) override;
    bool cellHasFormula(int row, int column) override { return m_content.hasFormula(row, column); }
    void setCellValue2(int row, int column, double value) override;
    void activate() override {}
    // A sheet without a workbook cannot be saved: OfficeCallFailed.
    void saveAs(const std::string& path) override;

private:
    SheetContent m_content;
    long m_textReads = 0;
    long m_valueWrites = 0;
};

} // namespace rm::mem
