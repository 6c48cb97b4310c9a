#pragma once

// A BIFF5 (Excel 5/95) workbook written by hand, as no tool here writes that
// format any more: a compound file whose "Book" stream holds the globals
// (CODEPAGE, WINDOW1, BOUNDSHEETs) and, on every sheet, the number of the
// sheet (1, 2, ...) in A1.

#include <cstdint>
#include <string>
#include <vector>

namespace rm::lo::test {

struct Biff5Sheets {
    std::vector<std::string> names;   // bytes in `codePage`
    std::uint16_t codePage = 1252;
    int activeSheet = 0;
};

// The "Book" stream.
std::string biff5BookStream(const Biff5Sheets& sheets);

// A compound file (version 3, 512-byte sectors) with this one stream in its
// root storage; the stream is stored in ordinary sectors, however short.
std::string compoundFileWith(const std::string& streamName, const std::string& stream);

} // namespace rm::lo::test
