#pragma once

#include <memory>
#include <string>

namespace rm::lo {

class CalcDocument;
class OfficeSession;

// Opens a workbook file in the session's office: hidden, macros never run,
// nothing that could wait for a person. Sources are opened read-only.
// Refuses, with an rm::Error naming the file, a missing file
// (DocumentNotFound), a file the office's type detection does not take for a
// spreadsheet (NotAWorkbook), and a load that yields nothing (password, lock,
// damage: DocumentLoadFailed).
struct OpenOptions {
    bool readOnly = false;
    bool perCellReads = false;   // the sheet's texts read cell by cell, not in bulk
    // A read-only workbook whose file names its active sheet is loaded
    // without a frame or view.
    bool bareModel = false;
};

std::shared_ptr<CalcDocument> openDocument(const std::shared_ptr<OfficeSession>& session, const std::string& path,
                                           const OpenOptions& options);

} // namespace rm::lo
