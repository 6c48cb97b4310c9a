#include "engine/NumericText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using rm::NumericLocale;
using rm::parseNumericText;

namespace {

// Some of the symbols the office's locale data lists for other locales.
const std::vector<std::string> kOtherCurrencies = {"$", "USD", "€", "EUR", "¥", "￥", "CNY", "CHF", "R$", "BRL",
                                                   "₹", "INR", "₽", "руб.", "RUB", "K", "R", "L"};

NumericLocale locale(const std::string& decimal, const std::string& grouping, std::vector<std::string> own)
{
    NumericLocale result{decimal, grouping, std::move(own), {}};
    for (const auto& symbol : kOtherCurrencies)
        result.otherCurrencySymbols.push_back(symbol);
    return result;
}

const NumericLocale enUS;   // the defaults: en_US, its own currency only
const NumericLocale enUSOffice = locale(".", ",", {"$", "USD"});
const NumericLocale zhCN = locale(".", ",", {"￥", "CNY"});
const NumericLocale deDE = locale(",", ".", {"€", "EUR", "DM"});
const NumericLocale frFR = locale(",", "\xC2\xA0", {"€", "EUR"});
const NumericLocale ruRU = locale(",", "\xC2\xA0", {"₽", "RUB", "руб."});
const NumericLocale deCH = locale(".", "'", {"CHF", "SFr."});
const NumericLocale hiIN = locale(".", ",", {"₹", "INR"});
const NumericLocale enZA = locale(",", "\xC2\xA0", {"R", "ZAR"});

void expectNumber(const std::string& text, const NumericLocale& locale, double expected)
{
    const auto parsed = parseNumericText(text, locale);
    ASSERT_TRUE(parsed.has_value()) << "\"" << text << "\" should be numeric";
    EXPECT_EQ(*parsed, expected) << "\"" << text << "\"";
}

void expectNotNumber(const std::string& text, const NumericLocale& locale)
{
    const auto parsed = parseNumericText(text, locale);
    EXPECT_FALSE(parsed.has_value()) << "\"" << text << "\" should not be numeric, read as " << parsed.value_or(0);
}

} // namespace

TEST(NumericText, PlainNumbersInEnUs)
{
    expectNumber("0", enUS, 0);
    expectNumber("42", enUS, 42);
    expectNumber("1.5", enUS, 1.5);
    expectNumber(".5", enUS, 0.5);
    expectNumber("5.", enUS, 5);
    expectNumber("1,234.50", enUS, 1234.5);
    expectNumber("1,234,567", enUS, 1234567);
    expectNumber("1.24", enUS, 1.24);
    expectNumber("0.1", enUS, 0.1);      // the exact double nearest 0.1
    // Groups are of three digits, or Indian: the office never shows other groupings.
    expectNotNumber("1,2,3,4", enUS);
    expectNotNumber("1,23,4567", enUS);
}

TEST(NumericText, SignsBlanksAndParentheses)
{
    expectNumber("-3", enUS, -3);
    expectNumber("+3", enUS, 3);
    expectNumber("3-", enUS, -3);
    expectNumber("3+", enUS, 3);
    expectNumber("\xE2\x88\x92" "3", enUS, -3);            // U+2212 minus sign
    expectNumber("  7  ", enUS, 7);
    expectNumber("\xC2\xA0" "7\xC2\xA0", enUS, 7);         // U+00A0
    expectNumber("\xE2\x80\xAF" "7\xE2\x80\xAF", enUS, 7); // U+202F
    expectNumber(" (1,234.50)", enUS, -1234.5);
    expectNumber("( 8 )", enUS, -8);
    expectNotNumber("(8", enUS);
    expectNotNumber("8)", enUS);
    expectNotNumber("(-8)", enUS);
    expectNotNumber("--8", enUS);
    expectNotNumber("-8-", enUS);
    expectNotNumber("1 2", enUS);
}

TEST(NumericText, CurrencyBeforeOrAfter)
{
    expectNumber("$1,234.50", enUS, 1234.5);
    expectNumber("$ 5", enUS, 5);
    expectNumber("5$", enUS, 5);
    expectNumber("-$5", enUS, -5);
    expectNumber("$-5", enUS, -5);
    expectNumber("($1,234.50)", enUS, -1234.5);
    expectNumber("$(1,234.50)", enUS, -1234.5);
    expectNumber(" $1,234.50 ", enUS, 1234.5); // accounting layout
    expectNumber("USD 1,234.50", enUS, 1234.5);
    expectNotNumber("$", enUS);
    expectNotNumber("$$5", enUS);
    expectNotNumber("$5 USD", enUS);
    expectNotNumber("€5", enUS);               // no other currencies given
}

TEST(NumericText, EveryCurrencyTheOfficeKnowsCounts)
{
    // Cells whose format names another currency ("[$€-407] #,##0.00") show it in the user's separators.
    expectNumber("€ 1,234.50", enUSOffice, 1234.5);
    expectNumber("-¥1,234.50", enUSOffice, -1234.5);
    expectNumber("1,234.50 EUR", enUSOffice, 1234.5);
    expectNumber("CHF 1,234.50", enUSOffice, 1234.5);
    expectNumber("R$ 1.234,50", deDE, 1234.5);   // longest symbol first, not "R"
    expectNumber("1.234,50 руб.", deDE, 1234.5);
    // A single letter of another locale is more often a unit ("5K", "3 L") than a currency.
    expectNotNumber("5K", enUSOffice);
    expectNotNumber("3 L", enUSOffice);
    expectNumber("R 1\xC2\xA0" "234,50", enZA, 1234.5); // but the user's own one counts
}

TEST(NumericText, Exponents)
{
    expectNumber("1.23E+04", enUS, 12300);
    expectNumber("1.23e-2", enUS, 0.0123);
    expectNumber("5E3", enUS, 5000);
    expectNotNumber("1E", enUS);
    expectNotNumber("1E+", enUS);
    expectNotNumber("E5", enUS);
}

TEST(NumericText, ValuesBeyondDoubleRangeConvertToInfinity)
{
    const auto huge = parseNumericText("1E+400", enUS);
    ASSERT_TRUE(huge.has_value());
    EXPECT_TRUE(std::isinf(*huge));
}

TEST(NumericText, TextsThatAreNotNumbers)
{
    for (const NumericLocale* in : {&enUSOffice, &deDE, &zhCN}) {
        for (const char* text : {"", " ", "\xC2\xA0", "abc", "12abc", "?", "#DIV/0!", "#VALUE!", "#NAME?", "###",
                                 "Err:502", "#NV", "12%", "12 %", "12,34 %", "2024-01-05", "1/2/2024", "01.02.2024",
                                 "05.01.24", "12:30", "12:30:15", "1 1/2", "3/4", "TRUE", "FALSE", "WAHR", "inf",
                                 "nan", "-", "+", ".", ",", "0x10", "1.2.3", "1,2,3"})
            expectNotNumber(text, *in);
    }
    // Read in other roles, a decimal separator needs digits on both sides.
    expectNotNumber(",5", enUS);
    expectNotNumber("1,", enUS);
}

TEST(NumericText, ChineseAmounts)
{
    expectNumber("￥1,234.50", zhCN, 1234.5);
    expectNumber("¥1,234.50", zhCN, 1234.5);
    expectNumber("-￥8.00", zhCN, -8);
    expectNumber("1.5", zhCN, 1.5);
    // 元 (and 圆, 円) is the currency unit that formats such as 0"元" append.
    expectNumber("1,234元", zhCN, 1234);
    expectNumber("-1234.50元", zhCN, -1234.5);
    expectNumber("12円", zhCN, 12);
    // 万 and 亿 multiply: "12万" names 120,000 while the cell holds 12, so it adds nothing.
    expectNotNumber("12万", zhCN);
    expectNotNumber("1.5亿", zhCN);
    expectNotNumber("12万元", zhCN);
    // Chinese numerals are words; full-width digits (the office's [DBNum3]) are digits.
    expectNotNumber("五", zhCN);
    expectNotNumber("一千二百三十五", zhCN);
    expectNumber("１２３", zhCN, 123);
    expectNumber("－１，２３４．５", zhCN, -1234.5);
    expectNumber("（１２３）", zhCN, -123);
    expectNotNumber("１２％", zhCN);
}

TEST(NumericText, DigitsOfOtherScripts)
{
    expectNumber("\xE0\xA5\xA7\xE0\xA5\xA8\xE0\xA5\xA9", hiIN, 123); // Devanagari १२३
    expectNumber("\xD9\xA1\xD9\xA2", enUS, 12);                       // Arabic-Indic ١٢
}

TEST(NumericText, CommaDecimalLocalesKeepTheirRoles)
{
    expectNumber("1.234,50", deDE, 1234.5);
    expectNumber("1,5", deDE, 1.5);
    expectNumber("1,234", deDE, 1.234);
    expectNumber("1.234", deDE, 1234);
    expectNumber("1.234,50 €", deDE, 1234.5);
    expectNumber("-1.234,50 €", deDE, -1234.5);
    expectNumber("€ 5", deDE, 5);
    expectNumber("1,23E+04", deDE, 12300);
    expectNumber("(1.234,50)", deDE, -1234.5);
    expectNumber("1,5", ruRU, 1.5);
    expectNumber("1\xC2\xA0" "234,5 ₽", ruRU, 1234.5);
    expectNumber("-1\xC2\xA0" "234\xC2\xA0" "567,89", ruRU, -1234567.89);
}

TEST(NumericText, SpacesAndApostrophesGroup)
{
    expectNumber("1\xE2\x80\xAF" "234,5", frFR, 1234.5);
    expectNumber("1\xC2\xA0" "234,5 €", frFR, 1234.5);
    expectNumber("1 234,5", frFR, 1234.5);
    expectNumber("1'234.50", deCH, 1234.5);
    expectNumber("-1'234'567.89", deCH, -1234567.89);
    expectNumber("CHF 1'234.50", deCH, 1234.5);
    expectNumber("1\xE2\x80\x99" "234.50", deCH, 1234.5); // U+2019
    // Neither ever separates decimals, so they group in every locale.
    expectNumber("1'234.50", enUS, 1234.5);
    expectNumber("1'234,50", deDE, 1234.5);
    expectNotNumber("1'5", deCH);
}

TEST(NumericText, IndianGrouping)
{
    expectNumber("1,23,456.78", hiIN, 123456.78);
    expectNumber("12,34,567.89", hiIN, 1234567.89);
    expectNumber("₹ 1,23,456.78", hiIN, 123456.78);
    expectNumber("-12,34,567.89", enUS, -1234567.89);
    expectNotNumber("1,23,45.6", hiIN);
    expectNotNumber("1,2,345", hiIN);
}

TEST(NumericText, OtherRolesOnlyWhenTheTextLeavesNoDoubt)
{
    // A cell whose format names another locale ("[$-407]#,##0.00") shows that locale's separators.
    expectNumber("1.234,50", enUS, 1234.5);
    expectNumber("1,50", enUS, 1.5);
    expectNumber("1234,567", enUS, 1234.567);
    expectNumber("1\xC2\xA0" "234,50", enUS, 1234.5);
    expectNumber("1,234.50", deDE, 1234.5);
    expectNumber("1.5", deDE, 1.5);
    expectNumber("12,34,567.89", deDE, 1234567.89);
    expectNumber("1,234.50", frFR, 1234.5);
    // The user's roles come first where they can read the text at all.
    expectNumber("1,234", enUS, 1234);
    expectNumber("1.234", enUS, 1.234);
    // Two readings, neither the user's: nothing.
    expectNotNumber("1,234", deCH);
    expectNotNumber("1.234", frFR);
}

TEST(NumericText, ReadsInTheLocaleItIsGiven)
{
    // The same text in the office's data for different locales; an unknown one gets the office's en-US data.
    expectNumber("1,5", ruRU, 1.5);
    expectNumber("1,5", enUS, 1.5);   // only one reading
    expectNotNumber("1.500", ruRU);   // 1.5 or 1500: a text of another locale that leaves the roles open
    expectNumber("1.500", enUS, 1.5);
    expectNumber("1 234,5", ruRU, 1234.5);
    expectNumber("1 234,5", enUS, 1234.5);
}

TEST(NumericText, ConversionIgnoresTheProcessLocale)
{
    // A program that switched its C locale to German must still read "1.5" as 1.5 in en_US.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        << "de_DE.UTF-8 is neither in LOCPATH nor installed; CTest generates it into the LOCPATH it gives this program";
    expectNumber("1.5", enUS, 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}
