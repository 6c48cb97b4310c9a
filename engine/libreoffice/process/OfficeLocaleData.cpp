#include "engine/libreoffice/process/OfficeLocaleData.h"

#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/i18n/LocaleData2.hpp>
#include <com/sun/star/i18n/XLocaleData5.hpp>

#include <algorithm>

using namespace css;

namespace rm::lo {

namespace {

lang::Locale officeLocale(const std::string& localeName)
{
    lang::Locale locale;
    const auto cut = localeName.find('_');
    locale.Language = toOUString(localeName.substr(0, cut));
    if (cut != std::string::npos)
        locale.Country = toOUString(localeName.substr(cut + 1));
    return locale;
}

void addSymbol(std::vector<std::string>& symbols, const OUString& symbol)
{
    const std::string text = toUtf8(symbol);
    if (!text.empty() && std::find(symbols.begin(), symbols.end(), text) == symbols.end())
        symbols.push_back(text);
}

void addCurrencies(std::vector<std::string>& symbols, const uno::Sequence<i18n::Currency2>& currencies)
{
    for (const auto& currency : currencies) {
        addSymbol(symbols, currency.Symbol);
        addSymbol(symbols, currency.BankSymbol);
    }
}

} // namespace

NumericLocale readNumericLocale(const OfficeConnection& connection, const std::string& localeName)
{
    const uno::Reference<i18n::XLocaleData5> data = i18n::LocaleData2::create(connection.context());
    const lang::Locale locale = officeLocale(localeName);
    const i18n::LocaleDataItem item = data->getLocaleItem(locale);

    NumericLocale result;
    result.decimalSeparator = toUtf8(item.decimalSeparator);
    result.groupingSeparator = toUtf8(item.thousandSeparator);
    result.currencySymbols.clear();
    addCurrencies(result.currencySymbols, data->getAllCurrencies2(locale));

    std::vector<std::string> others;
    for (const auto& installed : data->getAllInstalledLocaleNames())
        addCurrencies(others, data->getAllCurrencies2(installed));
    for (const auto& symbol : others)
        if (std::find(result.currencySymbols.begin(), result.currencySymbols.end(), symbol) ==
            result.currencySymbols.end())
            result.otherCurrencySymbols.push_back(symbol);
    return result;
}

} // namespace rm::lo
