#include "engine/NumericText.h"

#include "engine/UserLocale.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <map>

namespace rm {

namespace {

// Plain literals, not std::string: other files' static objects may use them before ours exist.
constexpr const char* kNoBreakSpace = "\xC2\xA0";        // U+00A0
constexpr const char* kNarrowNoBreakSpace = "\xE2\x80\xAF"; // U+202F
constexpr const char* kThinSpace = "\xE2\x80\x89";        // U+2009
constexpr const char* kFigureSpace = "\xE2\x80\x87";      // U+2007
constexpr const char* kMinusSign = "\xE2\x88\x92";        // U+2212

const std::vector<std::string>& blanks()
{
    static const std::vector<std::string> all = {" ", "\t", kNoBreakSpace, kNarrowNoBreakSpace,
                                                 kThinSpace, kFigureSpace};
    return all;
}

bool isBlank(const std::string& text)
{
    const auto& all = blanks();
    return std::find(all.begin(), all.end(), text) != all.end();
}

const std::map<std::string, NumericLocale>& builtInTable()
{
    static const std::map<std::string, NumericLocale> table = {
        {"en_US", {".", ",", {"$"}}},
        {"en_GB", {".", ",", {"£"}}},
        {"zh_CN", {".", ",", {"¥", "￥"}}},
        {"zh_TW", {".", ",", {"NT$", "$"}}},
        {"zh_HK", {".", ",", {"HK$", "$"}}},
        {"ja_JP", {".", ",", {"￥", "¥"}}},
        {"de_DE", {",", ".", {"€"}}},
        {"fr_FR", {",", kNarrowNoBreakSpace, {"€"}}},
    };
    return table;
}

void addCurrency(NumericLocale& locale, const std::string& symbol)
{
    if (symbol.empty())
        return;
    auto& symbols = locale.currencySymbols;
    if (std::find(symbols.begin(), symbols.end(), symbol) == symbols.end())
        symbols.push_back(symbol);
}

std::optional<NumericLocale> systemNumericLocale(const std::string& localeName)
{
    for (const std::string& candidate : {localeName + ".UTF-8", localeName + ".utf8", localeName}) {
        locale_t handle = newlocale(LC_ALL_MASK, candidate.c_str(), nullptr);
        if (!handle)
            continue;
        NumericLocale result;
        result.decimalSeparator = nl_langinfo_l(RADIXCHAR, handle);
        result.groupingSeparator = nl_langinfo_l(THOUSEP, handle);
        result.currencySymbols.clear();
        const std::string currency = nl_langinfo_l(CRNCYSTR, handle);
        // CRNCYSTR starts with '-' (before), '+' (after) or '.' (replaces the radix).
        if (currency.size() > 1)
            addCurrency(result, currency.substr(1));
        freelocale(handle);
        if (result.decimalSeparator.empty())
            result.decimalSeparator = ".";
        return result;
    }
    return std::nullopt;
}

// Scans one displayed text; every helper consumes what it recognises at `pos`.
class NumericScanner {
public:
    NumericScanner(const std::string& text, const NumericLocale& locale) : m_text(text), m_locale(locale) {}

    std::optional<double> scan()
    {
        skipBlanks();
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
    bool consume(const std::string& token)
    {
        if (token.empty() || m_text.compare(m_pos, token.size(), token) != 0)
            return false;
        m_pos += token.size();
        return true;
    }

    bool atDigit(size_t at) const { return at < m_text.size() && m_text[at] >= '0' && m_text[at] <= '9'; }

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
        else if (consume("-") || consume(kMinusSign))
            m_sign = -1;
        return m_sign != 0;
    }

    bool consumeCurrency()
    {
        if (m_currency)
            return false;
        std::vector<std::string> symbols = m_locale.currencySymbols;
        std::sort(symbols.begin(), symbols.end(),
                  [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        for (const auto& symbol : symbols)
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

    // A grouping separator counts only between two digits of the integer part.
    bool consumeGrouping()
    {
        const std::string& grouping = m_locale.groupingSeparator;
        if (grouping.empty())
            return false;
        // A locale that groups with a space is shown with one space or another, depending on the office.
        const std::vector<std::string> forms =
            isBlank(grouping) ? std::vector<std::string>{" ", kNoBreakSpace, kNarrowNoBreakSpace, kThinSpace}
                              : std::vector<std::string>{grouping};
        for (const auto& form : forms)
            if (m_text.compare(m_pos, form.size(), form) == 0 && atDigit(m_pos + form.size())) {
                m_pos += form.size();
                return true;
            }
        return false;
    }

    bool scanMantissa()
    {
        bool anyDigit = false;
        while (true) {
            if (atDigit(m_pos)) {
                m_mantissa += m_text[m_pos++];
                anyDigit = true;
            } else if (!(anyDigit && consumeGrouping())) {
                break;
            }
        }
        if (consume(m_locale.decimalSeparator)) {
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
        size_t at = m_pos + 1;
        std::string exponent = "e";
        if (at < m_text.size() && (m_text[at] == '+' || m_text[at] == '-'))
            exponent += m_text[at++];
        if (!atDigit(at))
            return false;
        while (atDigit(at))
            exponent += m_text[at++];
        m_exponent = exponent;
        m_pos = at;
        return true;
    }

    const std::string& m_text;
    const NumericLocale& m_locale;
    size_t m_pos = 0;
    int m_sign = 0;
    bool m_currency = false;
    bool m_openParen = false;
    bool m_closeParen = false;
    std::string m_mantissa;
    std::string m_exponent;
};

} // namespace

NumericLocale builtInNumericLocale(const std::string& localeName)
{
    const auto& table = builtInTable();
    const auto found = table.find(localeName);
    return found != table.end() ? found->second : table.at("en_US");
}

NumericLocale numericLocaleFor(const std::string& localeName)
{
    const auto& table = builtInTable();
    const auto builtIn = table.find(localeName);
    std::optional<NumericLocale> system = systemNumericLocale(localeName);
    if (!system)
        return builtInNumericLocale(localeName);
    // The office shows its own currency symbol, which can differ from the system's.
    if (builtIn != table.end())
        for (const auto& symbol : builtIn->second.currencySymbols)
            addCurrency(*system, symbol);
    return *system;
}

NumericLocale userNumericLocale()
{
    return numericLocaleFor(userLocaleName());
}

std::optional<double> parseNumericText(const std::string& utf8, const NumericLocale& locale)
{
    return NumericScanner(utf8, locale).scan();
}

} // namespace rm
