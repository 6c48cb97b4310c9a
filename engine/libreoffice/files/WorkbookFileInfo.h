#pragma once

// What a workbook file itself records about its sheets: which tab was active
// when it was saved, and which sheets are chart sheets. Read straight from
// the file because the office does not tell (a hidden-loaded .xls reports its
// first sheet as active, and chart sheets load as ordinary sheets).

#include <optional>
#include <string>
#include <vector>

namespace rm::lo {

struct FileSheet {
    std::string name;    // UTF-8; empty when its code page is unknown (the sheet's index still holds)
    bool chart = false;  // a chart sheet, not a worksheet
};

struct WorkbookFileInfo {
    int activeIndex = 0;   // into `sheets`
    std::vector<FileSheet> sheets;
    const FileSheet* activeSheet() const
    {
        return activeIndex >= 0 && activeIndex < int(sheets.size()) ? &sheets[activeIndex] : nullptr;
    }
};

// The globals substream of a BIFF5/BIFF8 workbook stream (the "Workbook" or
// "Book" stream of a binary .xls): BOUNDSHEET records, WINDOW1's active tab
// and, for BIFF5's 8-bit sheet names, CODEPAGE. Nothing for an encrypted
// workbook (its records after FILEPASS cannot be read).
std::optional<WorkbookFileInfo> parseBiffWorkbookStream(const std::string& stream);

// From a binary .xls file's bytes; nullopt when it is none.
std::optional<WorkbookFileInfo> readBinaryWorkbookInfo(const std::string& fileBytes);

// From an Office Open XML workbook part and its relationships part.
std::optional<WorkbookFileInfo> parseOpenXmlWorkbook(const std::string& workbookXml, const std::string& relationshipsXml);

} // namespace rm::lo
