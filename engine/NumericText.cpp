#include "engine/NumericText.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace rm {

namespace {

using Convention = NumericReader::Convention;

// Plain literals, not std::string: other files' static objects may use them before ours exist.
constexpr const char* kNoBreakSpace = "\xC2\xA0";           // U+00A0
constexpr const char* kNarrowNoBreakSpace = "\xE2\x80\xAF"; // U+202F
constexpr const char* kThinSpace = "\xE2\x80\x89";          // U+2009
constexpr const char* kFigureSpace = "\xE2\x80\x87";        // U+2007
constexpr const char* kRightSingleQuote = "\xE2\x80\x99";   // U+2019, an apostrophe some locales group with

const std::vector<std::string>& blanks()
{
    static const std::vector<std::string> all = {" ", "\t", kNoBreakSpace, kNarrowNoBreakSpace,
                                                 kThinSpace, kFigureSpace};
    return all;
}

// Group separators that are nowhere a decimal separator, so they never change a number's reading.
const std::vector<std::string>& unambiguousGroupings()
{
    static const std::vector<std::string> all = {"'", kRightSingleQuote, " ", kNoBreakSpace, kNarrowNoBreakSpace,
                                                 kThinSpace};
    return all;
}

// Units that Chinese and Japanese number formats append as literal text ("1,234元"): amounts in yuan or yen.
const std::vector<std::string>& currencyUnits()
{
    static const std::vector<std::string> all = {"\xE5\x85\x83", "\xE5\x9C\x86", "\xE5\x86\x86"}; // 元 圆 円
    return all;
}

// The code points whose ten digits read as 0-9 (Arabic-Indic, Devanagari, Bengali, ..., Thai, Lao, Tibetan,
// Myanmar, Khmer, Mongolian); full-width digits are folded with the other full-width forms.
constexpr char32_t kDigitZeros[] = {0x0660, 0x06F0, 0x07C0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0BE6,
                                    0x0C66, 0x0CE6, 0x0D66, 0x0DE6, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x1090,
                                    0x17E0, 0x1810};

// Decodes the UTF-8 sequence at `pos`; a malformed byte is taken as it is.
char32_t decodeAt(const std::string& text, size_t pos, size_t& length)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (pos + length > text.size())
        length = 1;
    if (length == 1)
        return lead;
    char32_t code = lead & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            length = 1;
            return lead;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return code;
}

// The ASCII character a code point reads as in a number, or 0 when it stays as it is.
char asciiFormOf(char32_t code)
{
    if (code >= 0xFF01 && code <= 0xFF5E) // full-width forms of ASCII
        return static_cast<char>(code - 0xFEE0);
    if (code == 0x3000) // ideographic space
        return ' ';
    if (code == 0x2212) // minus sign
        return '-';
    for (const char32_t zero : kDigitZeros)
        if (code >= zero && code < zero + 10)
            return static_cast<char>('0' + (code - zero));
    return 0;
}

// The text with full-width forms and the digits of other scripts in their ASCII forms.
std::string folded(const std::string& text)
{
    if (std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return text;
    std::string result;
    result.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        size_t length = 1;
        const char ascii = asciiFormOf(decodeAt(text, pos, length));
        if (ascii)
            result += ascii;
        else
            result.append(text, pos, length);
        pos += length;
    }
    return result;
}

bool isBlank(const std::string& text)
{
    const auto& all = blanks();
    return std::find(all.begin(), all.end(), text) != all.end();
}

// A symbol that holds a digit, a sign or a parenthesis would change how the number around it reads; a
// single letter of another locale ("K", "L", "R") is more often a unit or a multiplier than a currency.
bool usableCurrency(const std::string& symbol, bool ownLocale)
{
    if (symbol.empty() || isBlank(symbol) || symbol.find_first_of("0123456789+-()%") != std::string::npos)
        return false;
    const bool singleLetter = symbol.size() == 1 && std::isalpha(static_cast<unsigned char>(symbol[0]));
    return ownLocale || !singleLetter;
}

void addGrouping(Convention& convention, const std::string& separator)
{
    auto& grouping = convention.grouping;
    if (!separator.empty() && separator != convention.decimal &&
        std::find(grouping.begin(), grouping.end(), separator) == grouping.end())
        grouping.push_back(separator);
}

Convention conventionOf(const std::string& decimal, const std::string& grouping)
{
    Convention convention{decimal, {}};
    addGrouping(convention, grouping);
    for (const auto& separator : unambiguousGroupings())
        addGrouping(convention, separator);
    return convention;
}

// Digit groups as the office writes them: "1,234,567", or in the Indian way "12,34,567".
bool validGroups(const std::vector<size_t>& groups)
{
    if (groups.size() < 2)
        return true;
    const bool western = groups[0] <= 3 && std::all_of(groups.begin() + 1, groups.end(), [](size_t g) { return g == 3; });
    const bool indian = groups.size() >= 3 && groups[0] <= 2 && groups.back() == 3 &&
                        std::all_of(groups.begin() + 1, groups.end() - 1, [](size_t g) { return g == 2; });
    return western || indian;
}

// Scans one (folded) text in one convention; every helper consumes what it recognises at `pos`.
class NumericScanner {
public:
    // `otherRoles`: the convention is not the user's; its decimal separator then needs digits on both sides.
    NumericScanner(const std::string& text, const Convention& convention,
                   const std::array<std::vector<std::string>, 256>& currencies, bool otherRoles)
        : m_text(text), m_convention(convention), m_currencies(currencies), m_otherRoles(otherRoles)
    {
    }

    std::optional<double> scan()
    {
        scanAffixes(true);
        if (!scanMantissa() || !scanExponent())
            return std::nullopt;
        scanAffixes(false);
        if (m_pos != m_text.size() || m_openParen != m_closeParen)
            return std::nullopt;
        if (m_openParen && m_sign != 0)
            return std::nullopt;
        const bool negative = m_sign < 0 || m_openParen;
        const std::string plain = (negative ? "-" : "") + m_mantissa + m_exponent;
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
        return strtod_l(plain.c_str(), nullptr, cLocale);
    }

private:
    bool at(const std::string& token) const
    {
        return !token.empty() && m_text.compare(m_pos, token.size(), token) == 0;
    }

    bool consume(const std::string& token)
    {
        if (!at(token))
            return false;
        m_pos += token.size();
        return true;
    }

    bool atDigit(size_t where) const { return where < m_text.size() && m_text[where] >= '0' && m_text[where] <= '9'; }

    void skipBlanks()
    {
        for (bool found = true; found;) {
            found = false;
            for (const auto& blank : blanks())
                if (consume(blank))
                    found = true;
        }
    }

    bool consumeSign()
    {
        if (m_sign != 0)
            return false;
        if (consume("+"))
            m_sign = 1;
        else if (consume("-"))
            m_sign = -1;
        return m_sign != 0;
    }

    bool consumeCurrency()
    {
        if (m_currency || m_pos >= m_text.size())
            return false;
        for (const auto& symbol : m_currencies[static_cast<unsigned char>(m_text[m_pos])])
            if (consume(symbol))
                return m_currency = true;
        return false;
    }

    // Signs, currency and a parenthesis before (leading) or after the number, with blanks between.
    void scanAffixes(bool leading)
    {
        for (bool found = true; found;) {
            skipBlanks();
            found = consumeSign() || consumeCurrency();
            if (!found && leading && !m_openParen && consume("("))
                found = m_openParen = true;
            if (!found && !leading && !m_closeParen && consume(")"))
                found = m_closeParen = true;
        }
    }

    // A group separator counts only between two digits, and one number uses one separator throughout.
    bool consumeGrouping(std::string& used)
    {
        for (const auto& separator : m_convention.grouping) {
            if ((!used.empty() && separator != used) || !at(separator) || !atDigit(m_pos + separator.size()))
                continue;
            m_pos += separator.size();
            used = separator;
            return true;
        }
        return false;
    }

    bool scanMantissa()
    {
        std::vector<size_t> groups;
        size_t run = 0;
        std::string separator;
        while (true) {
            if (atDigit(m_pos)) {
                m_mantissa += m_text[m_pos++];
                ++run;
            } else if (run > 0 && consumeGrouping(separator)) {
                groups.push_back(run);
                run = 0;
            } else {
                break;
            }
        }
        bool anyDigit = !m_mantissa.empty();
        if (!groups.empty()) {
            groups.push_back(run);
            if (!validGroups(groups))
                return false;
        }
        if (consume(m_convention.decimal)) {
            if (m_otherRoles && (m_mantissa.empty() || !atDigit(m_pos)))
                return false;
            m_mantissa += '.';
            while (atDigit(m_pos)) {
                m_mantissa += m_text[m_pos++];
                anyDigit = true;
            }
        }
        return anyDigit;
    }

    bool scanExponent()
    {
        if (m_pos >= m_text.size() || (m_text[m_pos] != 'E' && m_text[m_pos] != 'e'))
            return true;
        size_t where = m_pos + 1;
        std::string exponent = "e";
        if (where < m_text.size() && (m_text[where] == '+' || m_text[where] == '-'))
            exponent += m_text[where++];
        if (!atDigit(where))
            return false;
        while (atDigit(where))
            exponent += m_text[where++];
        m_exponent = exponent;
        m_pos = where;
        return true;
    }

    const std::string& m_text;
    const Convention& m_convention;
    const std::array<std::vector<std::string>, 256>& m_currencies;
    const bool m_otherRoles;
    size_t m_pos = 0;
    int m_sign = 0;
    bool m_currency = false;
    bool m_openParen = false;
    bool m_closeParen = false;
    std::string m_mantissa;
    std::string m_exponent;
};

} // namespace

NumericReader::NumericReader(const NumericLocale& locale)
{
    const std::string decimal = locale.decimalSeparator.empty() ? "." : folded(locale.decimalSeparator);
    const std::string grouping = folded(locale.groupingSeparator);
    // A locale that groups with a space is shown with one space or another: every space groups everywhere.
    m_userConvention = conventionOf(decimal, grouping);
    for (const auto& [otherDecimal, otherGrouping] : {std::pair{".", ","}, std::pair{",", "."}})
        if (otherDecimal != decimal || otherGrouping != grouping)
            m_otherConventions.push_back(conventionOf(otherDecimal, otherGrouping));

    std::vector<std::string> symbols;
    const auto add = [&](const std::string& symbol, bool own) {
        const std::string form = folded(symbol);
        if (usableCurrency(form, own) && std::find(symbols.begin(), symbols.end(), form) == symbols.end())
            symbols.push_back(form);
    };
    for (const auto& symbol : locale.currencySymbols)
        add(symbol, true);
    for (const auto& symbol : currencyUnits())
        add(symbol, true);
    for (const auto& symbol : locale.otherCurrencySymbols)
        add(symbol, false);
    std::stable_sort(symbols.begin(), symbols.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const auto& symbol : symbols)
        m_currencies[static_cast<unsigned char>(symbol[0])].push_back(symbol);
}

std::optional<double> NumericReader::read(const std::string& utf8) const
{
    const std::string text = folded(utf8);
    if (const auto number = NumericScanner(text, m_userConvention, m_currencies, false).scan())
        return number;
    // Read the other way only when that leaves no doubt: "1,234" (1234 or 1.234) stays unread.
    std::optional<double> only;
    for (const auto& convention : m_otherConventions) {
        const auto number = NumericScanner(text, convention, m_currencies, true).scan();
        if (!number)
            continue;
        if (only && *only != *number)
            return std::nullopt;
        only = number;
    }
    return only;
}

std::optional<double> parseNumericText(const std::string& utf8, const NumericLocale& locale)
{
    return NumericReader(locale).read(utf8);
}

} // namespace rm
