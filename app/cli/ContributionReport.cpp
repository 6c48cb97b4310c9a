#include "app/cli/ContributionReport.h"

#include "app/cli/CliTexts.h"
#include "engine/ErrorTexts.h"
#include "engine/check/LayoutFindings.h"

#include <charconv>
#include <cmath>
#include <fstream>

namespace rm::cli {

namespace {

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The shortest text that reads back as the same double; empty for NaN (nothing added).
// Amounts are written out in full ("1500000", not "1.5e+06", which a
// spreadsheet opening the report would show in scientific notation); only
// the very large and the very small keep an exponent.
std::string numberField(double value)
{
    if (std::isnan(value))
        return {};
    const double size = std::fabs(value);
    const bool plain = size == 0.0 || (size >= 1e-4 && size < 1e15);
    char buffer[64];
    const auto result = plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                              : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

std::string contributionCsv(const std::vector<std::string>& sourcePaths, const std::vector<bool>& aligned,
                            const ContributionTable& table)
{
    const auto isAligned = [&](std::size_t source) { return source < aligned.size() && aligned[source]; };
    // The sheet's column only when cells of several sheets were merged.
    bool bySheet = false;
    for (const auto& cell : table)
        bySheet = bySheet || !cell.sheet.empty();
    std::string csv = "\xEF\xBB\xBF" + (bySheet ? csvField(CliText::sheetHeading()) + "," : std::string()) +
                      csvField(CliText::cellHeading());
    for (std::size_t source = 0; source < sourcePaths.size(); ++source) {
        csv += "," + csvField(CliText::sourceHeading(sourcePaths[source], isAligned(source)));
        if (isAligned(source))
            csv += "," + csvField(CliText::cellReadHeading());
    }
    csv += "," + csvField(CliText::sumHeading()) + "\r\n";
    for (const auto& cell : table) {
        if (bySheet)
            csv += csvField(cell.sheet) + ",";
        csv += cellAddress(cell.row, cell.column);
        for (std::size_t source = 0; source < cell.bySource.size(); ++source) {
            csv += "," + numberField(cell.bySource[source]);
            if (!isAligned(source))
                continue;
            const bool elsewhere = source < cell.readAt.size() &&
                                   cell.readAt[source] != CellPosition{cell.row, cell.column};
            csv += "," + (elsewhere ? cellAddress(cell.readAt[source].row, cell.readAt[source].column) : std::string());
        }
        csv += "," + numberField(cell.sum) + "\r\n";
    }
    return csv;
}

void writeContributionReport(const std::string& path, const std::vector<std::string>& sourcePaths,
                             const std::vector<bool>& aligned, const ContributionTable& table)
{
    const std::string csv = contributionCsv(sourcePaths, aligned, table);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(csv.data(), static_cast<std::streamsize>(csv.size()));
    file.close();
    if (!file)
        throw ErrorText::reportNotWritten(path);
}

} // namespace rm::cli
