#include "engine/NumericText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>

using rm::builtInNumericLocale;
using rm::NumericLocale;
using rm::parseNumericText;

namespace {

const NumericLocale enUS = builtInNumericLocale("en_US");
const NumericLocale zhCN = builtInNumericLocale("zh_CN");
const NumericLocale deDE = builtInNumericLocale("de_DE");

void expectNumber(const std::string& text, const NumericLocale& locale, double expected)
{
    const auto parsed = parseNumericText(text, locale);
    ASSERT_TRUE(parsed.has_value()) << "\"" << text << "\" should be numeric";
    EXPECT_EQ(*parsed, expected) << "\"" << text << "\"";
}

void expectNotNumber(const std::string& text, const NumericLocale& locale)
{
    EXPECT_FALSE(parseNumericText(text, locale).has_value()) << "\"" << text << "\" should not be numeric";
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
    expectNumber("1,2,3,4", enUS, 1234); // grouping anywhere in the integer part
    expectNumber("1.24", enUS, 1.24);
    expectNumber("0.1", enUS, 0.1);      // the exact double nearest 0.1
}

TEST(NumericText, SignsBlanksAndParentheses)
{
    expectNumber("-3", enUS, -3);
    expectNumber("+3", enUS, 3);
    expectNumber("3-", enUS, -3);
    expectNumber("3+", enUS, 3);
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
    expectNumber(" $1,234.50 ", enUS, 1234.5); // accounting layout
    expectNotNumber("$", enUS);
    expectNotNumber("$$5", enUS);
    expectNotNumber("€5", enUS);
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
    for (const char* text : {"", " ", "\xC2\xA0", "abc", "12abc", "?", "#DIV/0!", "#VALUE!", "#NAME?", "###",
                             "Err:502", "12%", "12 %", "2024-01-05", "1/2/2024", "12:30", "TRUE", "inf", "nan",
                             "-", "+", ".", ",", ",5", "1,", "0x10", "1.2.3"})
        expectNotNumber(text, enUS);
}

TEST(NumericText, ChineseLocaleWithYuan)
{
    expectNumber("¥1,234.50", zhCN, 1234.5);
    expectNumber("￥1,234.50", zhCN, 1234.5);
    expectNumber("-¥8.00", zhCN, -8);
    expectNumber("1.5", zhCN, 1.5);
    expectNotNumber("五", zhCN);
    expectNotNumber("12元", zhCN);
}

TEST(NumericText, GermanLocaleSwapsSeparators)
{
    expectNumber("1.234,50", deDE, 1234.5);
    expectNumber("1,5", deDE, 1.5);
    expectNumber("1.234,50 €", deDE, 1234.5);
    expectNumber("-1.234,50 €", deDE, -1234.5);
    expectNumber("€ 5", deDE, 5);
    expectNumber("1,23E+04", deDE, 12300);
    expectNumber("1.5", deDE, 15); // "." groups digits in German
    expectNotNumber("1,2,3", deDE);
    expectNotNumber("$5", deDE);
}

TEST(NumericText, FrenchLocaleGroupsWithAnySpace)
{
    const NumericLocale frFR = builtInNumericLocale("fr_FR");
    expectNumber("1\xE2\x80\xAF" "234,5", frFR, 1234.5);
    expectNumber("1\xC2\xA0" "234,5 €", frFR, 1234.5);
    expectNumber("1 234,5", frFR, 1234.5);
}

TEST(NumericText, UnknownLocalesFallBackToEnUs)
{
    const NumericLocale unknown = builtInNumericLocale("xx_YY");
    EXPECT_EQ(unknown.decimalSeparator, ".");
    EXPECT_EQ(unknown.groupingSeparator, ",");
    const NumericLocale fromSystemOrTable = rm::numericLocaleFor("de_DE");
    EXPECT_EQ(fromSystemOrTable.decimalSeparator, ",");
    EXPECT_NE(std::find(fromSystemOrTable.currencySymbols.begin(), fromSystemOrTable.currencySymbols.end(), "€"),
              fromSystemOrTable.currencySymbols.end());
}

TEST(NumericText, ConversionIgnoresTheProcessLocale)
{
    // A program that switched its C locale to German must still read "1.5" as 1.5 in en_US.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    expectNumber("1.5", enUS, 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}
