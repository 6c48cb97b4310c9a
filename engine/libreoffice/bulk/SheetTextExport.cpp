#include "engine/libreoffice/bulk/SheetTextExport.h"

#include "engine/files/FileSystem.h"
#include "engine/files/TemporaryFolder.h"

#include "engine/libreoffice/uno/UnoProperties.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/frame/XStorable.hpp>

#include <filesystem>

using namespace css;

namespace rm::lo {

namespace {

constexpr char Separator = '\t';

// Field separator tab, text delimiter ", UTF-8, from line 1, no cell formats,
// default language, quote every text cell, -, save as shown, no formulas,
// keep blanks, the sheet's 1-based number.
OUString exportOptions(int sheetIndex)
{
    return toOUString("9,34,76,1,,0,true,false,true,false,false," + std::to_string(sheetIndex + 1));
}

// The export's private folder holds one file, which the office names after
// the sheet ("name-Sheet1"): whatever its name, that one is read.
std::string onlyFileIn(const TemporaryFolder& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path(), error))
        return readWholeFile(entry.path()).value_or("");
    throw uno::RuntimeException("the sheet's texts were not exported");
}

} // namespace

CsvGrid exportSheetTexts(const uno::Reference<frame::XModel>& model, int sheetIndex, const std::string& temporaryFolder)
{
    const TemporaryFolder folder(temporaryFolder, "reportmerge-sheet-");
    if (!folder.made())
        throw uno::RuntimeException("cannot create a temporary folder for the sheet's texts");
    uno::Reference<frame::XStorable> storable(model, uno::UNO_QUERY_THROW);
    const auto arguments = sequence<beans::PropertyValue>({
        property("FilterName", OUString("Text - txt - csv (StarCalc)")),
        property("FilterOptions", exportOptions(sheetIndex)),
        property("Overwrite", true)});
    storable->storeToURL(fileUrlOf(folder.path() + "/sheet.csv"), arguments);
    return CsvGrid(onlyFileIn(folder), Separator);
}

} // namespace rm::lo
