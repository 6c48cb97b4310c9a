// The same sources merged by offices in seven locales, each with and without
// the system's own locale data generated for it, give the same sums: the
// numeric test reads the texts with the conventions of the office that
// formatted them.

#include "RecordingProgress.h"
#include "TempFolder.h"
#include "XlsFiles.h"
#include "support/WorkbookMaker.h"

#include "engine/MergeRun.h"
#include "engine/libreoffice/BindingTestAccess.h"
#include "engine/libreoffice/LibreOfficeBinding.h"
#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <locale.h>
#include <map>
#include <sstream>

using namespace css;
using rtl::OUString;

namespace {

const char* const kLocales[] = {"en_US", "zh_CN", "de_DE", "fr_FR", "ru_RU", "pt_BR", "hi_IN"};

// One row of the sheets: a number format, and what the two shared sources hold under it.
struct Row {
    const char* format;
    double a;
    double b;
    double sum;   // of the shown numbers; 0 when the texts are not numbers
};

// Formats as a workbook from another program stores them; the office shows each in its own locale's
// style, or in the locale the format names.
const Row kRows[] = {
    {"General", 1.5, -2.25, -0.75},
    {"0.00", -1234567.891, 1234.5, -1233333.39},
    {"#,##0.00", -1234567.891, 1234.5, -1233333.39},
    {"#,##0", 1234567.4, 999.6, 1235567},
    {"#,##0.00;(#,##0.00)", -1234.5, 10, -1224.5},
    {"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)", -1234.5, 2000, 765.5},
    {"[$€-407] #,##0.00", 1234.5, -1.25, 1233.25},
    {"#,##0.00 [$€-407]", -1234567.891, 0.5, -1234567.39},
    {"[$¥-804]#,##0.00", 1234.5, 1234.5, 2469},
    {"[$CHF-807] #,##0.00", 99.99, 0.01, 100},
    {"[$-807]#,##0.00", -1234567.891, 1234.5, -1233333.39},   // de-CH: 1'234.50
    {"[$-4009]#,##0.00", -1234567.891, 123456.78, -1111111.11}, // en-IN: 12,34,567.89
    {"[$-407]#,##0.00", -1234567.891, 1.5, -1234566.39},       // de-DE separators in every locale
    {"[$-40C]#,##0.00", 1234.5, -1.5, 1233},                   // fr-FR: 1 234,50
    {"0\"元\"", 1234.4, 10, 1244},
    {"#,##0\"元\"", 1234567.4, 10, 1234577},
    {"[$-804][DBNum3]0", -1234.4, 12, -1222},                  // full-width digits
    // Not numbers.
    {"0\"万\"", 12, 3, 0},
    {"[$-804][DBNum1]0", 12, 3, 0},                            // Chinese numerals
    {"0.00%", 0.5, 0.25, 0},
    {"yyyy-mm-dd", 45000, 45001, 0},
    {"[$-407]DD.MM.YYYY", 45000, 45001, 0},
    {"hh:mm", 0.5, 0.25, 0},
    {"# ?/?", 1.5, 2.5, 0},
};
constexpr int kRowCount = sizeof(kRows) / sizeof(kRows[0]);
constexpr int kFirstRow = 2;
// Rows after the formatted ones: a text, an error, an empty cell, and the locale's own currency.
const int kTextRow = kFirstRow + kRowCount;
const int kErrorRow = kTextRow + 1;
const int kEmptyRow = kTextRow + 2;
const int kOwnCurrencyRow = kTextRow + 3;
constexpr double kOwnCurrencyValue = -123456.78;

std::string jsonText(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return quoted + "\"";
}

std::string sourceJson(bool first)
{
    std::ostringstream cells;
    cells.precision(17);
    for (int i = 0; i < kRowCount; ++i)
        cells << "\"B" << kFirstRow + i << "\": {\"number\": " << (first ? kRows[i].a : kRows[i].b)
              << ", \"format\": " << jsonText(kRows[i].format) << "}, ";
    cells << "\"B" << kTextRow << "\": \"12 apples\", "
          << "\"B" << kErrorRow << "\": {\"formula\": \"1/0\"}";
    return R"({"sheets": [{"name": "Report", "cells": {)" + cells.str() + R"(}, "widths": {"B": 40}}]})";
}

std::string templateJson()
{
    // The scanned rectangle starts at A1 whatever the used range's first cell.
    std::ostringstream cells;
    cells << "\"A1\": \"Format\"";
    for (int row = kFirstRow; row <= kOwnCurrencyRow; ++row)
        cells << ", \"B" << row << "\": \"?\"";
    return R"({"sheets": [{"name": "Report", "cells": {)" + cells.str() + "}}]}";
}

// Generates the system's locale data for every tested locale into one folder, once.
const std::string& generatedLocales(const std::string& root)
{
    static const std::string folder = [&] {
        const std::string path = root + "/locales";
        std::filesystem::create_directories(path);
        std::string names;
        for (const char* locale : kLocales)
            names += std::string(locale) + " ";
        const CommandResult result = runCommand("printf '%s\\n' " + names + " | xargs -P 2 -I{} localedef -i {} -f UTF-8 " +
                                                shellQuote(path) + "/{}.UTF-8");
        for (const char* locale : kLocales)
            if (!std::filesystem::exists(path + "/" + locale + ".UTF-8"))
                throw std::runtime_error("localedef failed for " + std::string(locale) + ": " + result.err);
        return path;
    }();
    return folder;
}

// An empty folder for LOCPATH: what remains are the locales kept as folders in /usr/lib/locale (C.utf8).
const std::string& noLocales(const std::string& root)
{
    static const std::string folder = [&] {
        const std::string path = root + "/no-locales";
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

bool localeLoads(const std::string& name)
{
    locale_t probe = newlocale(LC_ALL_MASK, name.c_str(), nullptr);
    if (probe)
        freelocale(probe);
    return probe != nullptr;
}

// The locale the office took from the system (its process locale), as a tag like "ru-RU".
std::string officeSystemLocale(rm::lo::OfficeSession& session)
{
    const auto provider = configuration::theDefaultProvider::get(session.connection().context());
    beans::PropertyValue path;
    path.Name = "nodepath";
    path.Value <<= OUString("/org.openoffice.System/L10N");
    const uno::Any argument(path);
    const uno::Sequence<uno::Any> arguments(&argument, 1);
    const uno::Reference<container::XNameAccess> access(
        provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess", arguments),
        uno::UNO_QUERY_THROW);
    return rm::lo::toUtf8(access->getByName("Locale").get<OUString>());
}

// A source whose only number is shown in the office's standard currency format for its locale.
void makeOwnCurrencySource(rm::lo::OfficeSession& session, const std::string& path)
{
    rm::lo::test::WorkbookMaker maker(session, {"Report"});
    const uno::Reference<util::XNumberFormatsSupplier> supplier(maker.model(), uno::UNO_QUERY_THROW);
    const uno::Reference<util::XNumberFormatTypes> types(supplier->getNumberFormats(), uno::UNO_QUERY_THROW);
    const sal_Int32 key = types->getStandardFormat(util::NumberFormat::CURRENCY, lang::Locale());
    const uno::Reference<beans::XPropertySet> format(supplier->getNumberFormats()->getByKey(key), uno::UNO_SET_THROW);
    maker.number(0, kOwnCurrencyRow, 2, kOwnCurrencyValue,
                 rm::lo::toUtf8(format->getPropertyValue("FormatString").get<OUString>()));
    maker.save(path);
}

double numberOf(const XlsContent& content, int row)
{
    const std::string cell = content.cell("Report!B" + std::to_string(row));
    if (cell.rfind("n:", 0) != 0)
        throw std::runtime_error("B" + std::to_string(row) + " holds no number: " + cell);
    return std::stod(cell.substr(2));
}

struct Case {
    std::string locale;
    bool generated;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.locale << (c.generated ? ", system locale generated" : ", no system locale");
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.locale + (info.param.generated ? "_generated" : "_notGenerated");
}

std::vector<Case> allCases()
{
    std::vector<Case> cases;
    for (const char* locale : kLocales)
        for (const bool generated : {false, true})
            cases.push_back({locale, generated});
    return cases;
}

class LocaleSums : public ::testing::TestWithParam<Case> {
protected:
    static void SetUpTestSuite()
    {
        s_folder = std::make_unique<TempFolder>();
        makeXls(*s_folder / "template.xls", templateJson());
        makeXls(*s_folder / "a.xls", sourceJson(true));
        makeXls(*s_folder / "b.xls", sourceJson(false));
    }
    static void TearDownTestSuite() { s_folder.reset(); }

    void SetUp() override
    {
        // The office's system locale comes from the environment its process starts with. With LOCPATH
        // set, glibc no longer reads the machine's locale archive (where locale-gen puts the locales), so
        // either case sees only the locales it generated itself, whatever the machine has.
        if (GetParam().generated) {
            setenv("LOCPATH", generatedLocales(s_folder->path()).c_str(), 1);
        } else {
            setenv("LOCPATH", noLocales(s_folder->path()).c_str(), 1);
            // glibc still looks in /usr/lib/locale's folders after LOCPATH's; a locale kept there cannot be hidden.
            ASSERT_FALSE(localeLoads(GetParam().locale + ".UTF-8"))
                << GetParam().locale << ".UTF-8 is installed as a folder in /usr/lib/locale";
        }
        rm::lo::OfficeOptions options;
        options.localeName = GetParam().locale;
        m_binding = std::make_unique<rm::lo::LibreOfficeBinding>(options);
    }

    void TearDown() override
    {
        m_binding.reset();
        unsetenv("LOCPATH");
    }

    std::string path(const std::string& name) const { return *s_folder / (caseName(::testing::TestParamInfo<Case>(GetParam(), 0)) + "-" + name); }

    static std::unique_ptr<TempFolder> s_folder;
    std::unique_ptr<rm::lo::LibreOfficeBinding> m_binding;
};

std::unique_ptr<TempFolder> LocaleSums::s_folder;

TEST_P(LocaleSums, mergesToTheSameSums)
{
    const std::string& locale = GetParam().locale;
    std::string tag = locale;
    tag[2] = '-';
    const std::string systemLocale = officeSystemLocale(*rm::lo::BindingTestAccess::session(*m_binding));
    if (GetParam().generated)
        EXPECT_EQ(systemLocale, tag) << "the office did not take the generated system locale";
    else
        EXPECT_EQ(systemLocale, "en-US") << "without the system locale the office runs in C.UTF-8";

    makeOwnCurrencySource(*rm::lo::BindingTestAccess::session(*m_binding), path("own.xls"));
    const auto shownA = m_binding->global().openWorkbook(*s_folder / "a.xls")->activeSheet();
    const auto shownOwn = m_binding->global().openWorkbook(path("own.xls"))->activeSheet();
    const std::string grouped = shownA->cellText(kFirstRow + 2, 2);
    const std::string ownCurrency = shownOwn->cellText(kOwnCurrencyRow, 2);
    SCOPED_TRACE(locale + " shows " + grouped + " and " + ownCurrency);
    // The texts really are in the locale's own style.
    const std::map<std::string, std::string> groupedInLocale = {
        {"en_US", "-1,234,567.89"}, {"zh_CN", "-1,234,567.89"}, {"de_DE", "-1.234.567,89"},
        {"fr_FR", "-1\u00A0234\u00A0567,89"}, {"ru_RU", "-1\u00A0234\u00A0567,89"}, {"pt_BR", "-1.234.567,89"},
        {"hi_IN", "-12,34,567.89"}};
    EXPECT_EQ(grouped, groupedInLocale.at(locale));

    RecordingProgress progress;
    const std::string output = path("out.xls");
    rm::runMerge(*m_binding, *s_folder / "template.xls", {*s_folder / "a.xls", *s_folder / "b.xls", path("own.xls")},
                 output, progress);
    m_binding->shutdown();

    const XlsContent merged = readXls(output);
    for (int i = 0; i < kRowCount; ++i)
        EXPECT_NEAR(numberOf(merged, kFirstRow + i), kRows[i].sum, 1e-6) << kRows[i].format;
    for (const int row : {kTextRow, kErrorRow, kEmptyRow})
        EXPECT_EQ(numberOf(merged, row), 0) << "row " << row;
    EXPECT_EQ(numberOf(merged, kOwnCurrencyRow), kOwnCurrencyValue) << ownCurrency;
}

INSTANTIATE_TEST_SUITE_P(SevenLocales, LocaleSums, ::testing::ValuesIn(allCases()), caseName);

} // namespace
