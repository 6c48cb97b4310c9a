#pragma once

// Every failure the program reports carries one of these numbers. They are
// stable: the README and the help file list them, and users quote them.
// Their texts are in ErrorTexts.h, one section per number.
namespace rm::ErrorNumber {

// Arithmetic
constexpr int Overflow = 6;                  // a count, index or sum left its range

// Working copy and output path (file system)
constexpr int OutputPathInvalid = 1001;      // no file name in the output path
constexpr int WorkingCopyNamesExhausted = 1002;
constexpr int WorkingCopyFailed = 1003;      // the template could not be copied
constexpr int WorkingCopyRemoveFailed = 1004;
constexpr int OutputIsInput = 1005;          // the output would replace a source
constexpr int ReportWriteFailed = 1006;      // the command line's --report file could not be written

// Anything unforeseen (out of memory, a library failure that carries no number)
constexpr int UnexpectedFailure = 1099;

// The office and its documents
constexpr int OfficeNotInstalled = 2001;
constexpr int OfficeStartFailed = 2002;      // did not start or did not answer in time
constexpr int OfficeConnectionLost = 2003;   // the office died or the bridge was disposed
constexpr int DocumentNotFound = 2010;
constexpr int NotAWorkbook = 2011;           // type detection says it is no spreadsheet
constexpr int DocumentLoadFailed = 2012;     // password, lock, corrupt file
constexpr int NotAWorksheet = 2013;          // the active sheet is not a worksheet
constexpr int SourceChangedWhileRead = 2014; // a source was rewritten while it was read
constexpr int SaveFailed = 2020;
constexpr int SaveOntoOpenDocument = 2021;   // would overwrite a workbook that is open
constexpr int CloseFailed = 2022;
constexpr int CellAccessFailed = 2030;
constexpr int MarkInArrayFormula = 2031;     // a marked cell is part of a multi-cell array formula
constexpr int HandOverFailed = 2040;
constexpr int OfficeCallFailed = 2099;       // any other failure inside the office

} // namespace rm::ErrorNumber
