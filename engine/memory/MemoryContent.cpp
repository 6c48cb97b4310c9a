#include "engine/memory/MemoryContent.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace rm::mem {

namespace {

const int kMaxFormulaDepth = 64;

std::string fixedDigits(double magnitude, int decimals)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, magnitude);
    return buffer;
}

std::string groupThousands(const std::string& digits)
{
    const auto point = digits.find('.');
    std::string integer = digits.substr(0, point);
    const std::string rest = point == std::string::npos ? "" : digits.substr(point);
    for (long at = static_cast<long>(integer.size()) - 3; at > 0; at -= 3)
        integer.insert(static_cast<size_t>(at), ",");
    return integer + rest;
}

std::string generalText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;
    const auto e = text.find('e');
    if (e != std::string::npos)
        text[e] = 'E';
    return text;
}

} // namespace

std::string NumberFormat::format(double value) const
{
    const bool negative = value < 0;
    switch (kind) {
    case Kind::General:
        return generalText(value);
    case Kind::Fixed: {
        std::string digits = fixedDigits(std::fabs(value), decimals);
        if (grouping)
            digits = groupThousands(digits);
        return (negative && digits.find_first_not_of("0.,") != std::string::npos ? "-" : "") + digits;
    }
    case Kind::Percent:
        return (negative ? "-" : "") + fixedDigits(std::fabs(value) * 100, decimals) + "%";
    case Kind::Accounting: {
        if (value == 0)
            return " " + currency + "- ";
        const std::string digits = groupThousands(fixedDigits(std::fabs(value), decimals));
        return negative ? "(" + currency + digits + ")" : " " + currency + digits + " ";
    }
    case Kind::TooNarrow:
        return "###";
    }
    return generalText(value);
}

SheetContent& SheetContent::number(int row, int column, double value, NumberFormat format)
{
    Cell& cell = at(row, column);
    cell.value = value;
    cell.formula.reset();
    cell.format = std::move(format);
    return *this;
}

SheetContent& SheetContent::text(int row, int column, std::string text)
{
    Cell& cell = at(row, column);
    cell.value = std::move(text);
    cell.formula.reset();
    return *this;
}

SheetContent& SheetContent::formula(int row, int column, Formula formula, NumberFormat format)
{
    Cell& cell = at(row, column);
    cell.value = std::monostate{};
    cell.formula = std::move(formula);
    cell.format = std::move(format);
    return *this;
}

SheetContent& SheetContent::clear(int row, int column)
{
    Cell& cell = at(row, column);
    cell.value = std::monostate{};
    cell.formula.reset();
    return *this;
}

SheetContent& SheetContent::refuseWrites(int row, int column)
{
    at(row, column).refuseWrites = true;
    return *this;
}

SheetContent& SheetContent::refuseReads(int row, int column)
{
    at(row, column).refuseReads = true;
    return *this;
}

const SheetContent::Cell* SheetContent::find(int row, int column) const
{
    const auto found = m_cells.find({row, column});
    return found == m_cells.end() ? nullptr : &found->second;
}

SheetContent::Result SheetContent::evaluate(int row, int column, int depth) const
{
    const Cell* cell = find(row, column);
    if (!cell)
        return {};
    if (!cell->formula)
        return {cell->value, false};
    if (depth > kMaxFormulaDepth)
        return {std::string("Err:522"), true};

    const Formula& formula = *cell->formula;
    switch (formula.kind) {
    case Formula::Kind::Error:
        return {formula.errorText, true};
    case Formula::Kind::Reference: {
        Result referenced = evaluate(formula.firstRow, formula.firstColumn, depth + 1);
        if (std::holds_alternative<std::monostate>(referenced.value))
            referenced.value = 0.0;
        return referenced;
    }
    case Formula::Kind::Sum: {
        double sum = 0;
        for (int r = formula.firstRow; r <= formula.lastRow; ++r)
            for (int c = formula.firstColumn; c <= formula.lastColumn; ++c) {
                const Result part = evaluate(r, c, depth + 1);
                if (part.isError)
                    return part;
                if (const double* number = std::get_if<double>(&part.value))
                    sum += *number;
            }
        return {sum, false};
    }
    }
    return {};
}

std::string SheetContent::displayedText(int row, int column) const
{
    const Cell* cell = find(row, column);
    if (!cell)
        return {};
    const Result result = evaluate(row, column, 0);
    if (const double* number = std::get_if<double>(&result.value))
        return cell->format.format(*number);
    if (const std::string* text = std::get_if<std::string>(&result.value))
        return *text;
    return {};
}

std::optional<double> SheetContent::numberAt(int row, int column) const
{
    const Result result = evaluate(row, column, 0);
    if (const double* number = std::get_if<double>(&result.value); number && !result.isError)
        return *number;
    return std::nullopt;
}

bool SheetContent::hasFormula(int row, int column) const
{
    const Cell* cell = find(row, column);
    return cell && cell->formula;
}

bool SheetContent::isEmpty(int row, int column) const
{
    const Cell* cell = find(row, column);
    return !cell || !cell->hasContent();
}

bool SheetContent::refusesWrites(int row, int column) const
{
    const Cell* cell = find(row, column);
    return cell && cell->refuseWrites;
}

bool SheetContent::refusesReads(int row, int column) const
{
    const Cell* cell = find(row, column);
    return cell && cell->refuseReads;
}

long SheetContent::usedExtent(bool rows) const
{
    long first = std::numeric_limits<long>::max();
    long last = 0;
    for (const auto& [position, cell] : m_cells) {
        if (!cell.hasContent())
            continue;
        const long index = rows ? position.first : position.second;
        first = std::min(first, index);
        last = std::max(last, index);
    }
    return last == 0 ? 1 : last - first + 1;
}

long SheetContent::usedRowCount() const
{
    return usedExtent(true);
}

long SheetContent::usedColumnCount() const
{
    return usedExtent(false);
}

void SheetContent::writeValue(int row, int column, double value)
{
    if (refusesWrites(row, column))
        throw Error(ErrorNumber::CellAccessFailed, "单元格拒绝写入");
    Cell& cell = at(row, column);
    cell.value = value;
    cell.formula.reset();
}

} // namespace rm::mem
