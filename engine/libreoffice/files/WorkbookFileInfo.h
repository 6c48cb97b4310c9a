#pragma once

// What a workbook file itself records about its sheets: which tab was active
// when it was saved, and which sheets are chart sheets. Read straight from
// the file because the office does not tell (a hidden-loaded .xls reports its
// first sheet as active, and chart sheets load as ordinary sheets).

#include "engine/libreoffice/files/LibraryInput.h"

#include <cstddef>
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

// From a binary .xls file, read on demand: the compound file's directory and
// the workbook stream's globals, record by record, up to their end (EOF or
// FILEPASS), nothing more. nullopt when it is none, or its globals run past
// every sane size (the file then tells nothing).
std::optional<WorkbookFileInfo> readBinaryWorkbookInfo(GsfInput* file);
// The same from a file's bytes.
std::optional<WorkbookFileInfo> readBinaryWorkbookInfo(const std::string& fileBytes);

// The parts of a package we parse ourselves are refused, rather than read,
// when they inflate past this many bytes or declare a document type (whose
// entities we never expand). Real workbook parts are far smaller.
constexpr std::size_t kLargestPartBytes = 32u << 20;

struct PartRefused {
    enum class Reason { TooLarge, DocumentType };
    std::string part;   // "xl/workbook.xml"
    Reason reason;
};

// From an Office Open XML workbook part and its relationships part. Throws
// PartRefused. nullopt when the workbook part does not parse or names no sheet.
std::optional<WorkbookFileInfo> parseOpenXmlWorkbook(const std::string& workbookXml, const std::string& relationshipsXml);

// The same from a zip package (an .xlsx file), its parts inflated as they are
// parsed, never held whole. nullopt when it is no zip or has no workbook part.
std::optional<WorkbookFileInfo> readOpenXmlWorkbookInfo(GsfInput* file);

} // namespace rm::lo
