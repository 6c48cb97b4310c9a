#include "engine/libreoffice/documents/FormulaReferences.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace rm::lo {

namespace {

constexpr long LastRow = 1048576;

// Functions whose result may depend on cells their arguments do not name, or
// on nothing in the sheet at all (time, chance, the office's state).
constexpr std::array<const char*, 13> UnfollowableFunctions = {
    "INDIRECT", "OFFSET", "NOW", "TODAY", "RAND", "RANDBETWEEN", "RAND.NV", "RANDBETWEEN.NV",
    "INFO", "CELL", "DDE", "WEBSERVICE", "GETPIVOTDATA"};

bool isWordByte(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c == '.' || c == '\\' || c >= 0x80;
}

std::string upper(std::string word)
{
    for (char& c : word)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word;
}

long columnNumber(const std::string& letters)
{
    long column = 0;
    for (const char c : letters)
        column = column * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
    return column;
}

struct Position {
    long row = 0;      // 0: a whole column
    long column = 0;
};

// "B5", "$B$5" or, for a whole column, "B" / "$B".
std::optional<Position> parsePosition(const std::string& word)
{
    size_t i = 0;
    if (i < word.size() && word[i] == '$')
        ++i;
    const size_t lettersStart = i;
    while (i < word.size() && std::isalpha(static_cast<unsigned char>(word[i])))
        ++i;
    const size_t letters = i - lettersStart;
    if (letters < 1 || letters > 3)
        return std::nullopt;
    Position position;
    position.column = columnNumber(word.substr(lettersStart, letters));
    if (i == word.size())
        return position;
    if (word[i] == '$')
        ++i;
    const size_t digitsStart = i;
    while (i < word.size() && std::isdigit(static_cast<unsigned char>(word[i])))
        ++i;
    if (i != word.size() || i == digitsStart || i - digitsStart > 7)
        return std::nullopt;
    position.row = std::stol(word.substr(digitsStart));
    if (position.row < 1 || position.row > LastRow)
        return std::nullopt;
    return position;
}

class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    std::optional<std::vector<CellBlock>> read()
    {
        while (m_at < m_text.size()) {
            const auto c = static_cast<unsigned char>(m_text[m_at]);
            if (c == '"') {
                if (!skipString())
                    return std::nullopt;
            } else if (c == '\'' || c == '[' || c == '#') {
                return std::nullopt;   // another sheet or file, a table, an error constant
            } else if (std::isdigit(c) || (c == '.' && m_at + 1 < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_at + 1])))) {
                skipNumber();
                if (nextSignificant() == ':')
                    return std::nullopt;   // whole rows
            } else if (isWordByte(c)) {
                if (!readWord())
                    return std::nullopt;
            } else {
                ++m_at;   // operators, separators, brackets, spaces
            }
        }
        return m_blocks;
    }

private:
    bool skipString()
    {
        for (++m_at; m_at < m_text.size(); ++m_at) {
            if (m_text[m_at] != '"')
                continue;
            if (m_at + 1 < m_text.size() && m_text[m_at + 1] == '"') {
                ++m_at;
                continue;
            }
            ++m_at;
            return true;
        }
        return false;
    }

    void skipNumber()
    {
        while (m_at < m_text.size() && (std::isdigit(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == '.'))
            ++m_at;
        if (m_at < m_text.size() && (m_text[m_at] == 'E' || m_text[m_at] == 'e')) {
            size_t at = m_at + 1;
            if (at < m_text.size() && (m_text[at] == '+' || m_text[at] == '-'))
                ++at;
            if (at < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[at]))) {
                m_at = at;
                while (m_at < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_at])))
                    ++m_at;
            }
        }
    }

    char nextSignificant()
    {
        size_t at = m_at;
        while (at < m_text.size() && m_text[at] == ' ')
            ++at;
        return at < m_text.size() ? m_text[at] : '\0';
    }

    std::string takeWord()
    {
        const size_t start = m_at;
        while (m_at < m_text.size() && isWordByte(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
        return m_text.substr(start, m_at - start);
    }

    bool readWord()
    {
        const std::string word = takeWord();
        if (nextSignificant() == '(') {
            const std::string name = upper(word);
            return std::none_of(UnfollowableFunctions.begin(), UnfollowableFunctions.end(),
                                [&](const char* unfollowable) { return name == unfollowable; });
        }
        const std::string name = upper(word);
        if (name == "TRUE" || name == "FALSE")
            return true;
        const auto first = parsePosition(word);
        if (!first)
            return false;   // a name, or a cell of another sheet
        Position last = *first;
        if (nextSignificant() == ':') {
            while (m_text[m_at] == ' ')
                ++m_at;
            ++m_at;
            while (m_at < m_text.size() && m_text[m_at] == ' ')
                ++m_at;
            const auto end = parsePosition(takeWord());
            if (!end || (end->row == 0) != (first->row == 0))
                return false;
            last = *end;
        } else if (first->row == 0) {
            return false;   // letters alone: a name
        }
        CellBlock block;
        block.firstRow = first->row == 0 ? 1 : std::min(first->row, last.row);
        block.lastRow = first->row == 0 ? LastRow : std::max(first->row, last.row);
        block.firstColumn = std::min(first->column, last.column);
        block.lastColumn = std::max(first->column, last.column);
        m_blocks.push_back(block);
        return true;
    }

    const std::string& m_text;
    size_t m_at = 0;
    std::vector<CellBlock> m_blocks;
};

} // namespace

std::optional<std::vector<CellBlock>> sameSheetReferences(const std::string& formula)
{
    return Reader(formula).read();
}

} // namespace rm::lo
