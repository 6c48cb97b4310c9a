#include "engine/libreoffice/SheetTextExport.h"

#include "engine/FileSystem.h"

#include "engine/libreoffice/UnoProperties.h"
#include "engine/libreoffice/UnoText.h"

#include <com/sun/star/frame/XStorable.hpp>

#include <filesystem>
#include <vector>

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

// A private folder for the export: the office names the file after the
// sheet ("name-Sheet1"), so the one file found in it is read.
class ExportFolder {
public:
    explicit ExportFolder(const std::string& base)
    {
        std::string pattern = base + "/reportmerge-sheet-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!mkdtemp(buffer.data()))
            throw uno::RuntimeException("cannot create a temporary folder for the sheet's texts");
        m_path = buffer.data();
    }
    ~ExportFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

    std::string content() const
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_path, error))
            return readWholeFile(entry.path()).value_or("");
        throw uno::RuntimeException("the sheet's texts were not exported");
    }

private:
    std::string m_path;
};

} // namespace

CsvGrid exportSheetTexts(const uno::Reference<frame::XModel>& model, int sheetIndex, const std::string& temporaryFolder)
{
    ExportFolder folder(temporaryFolder);
    uno::Reference<frame::XStorable> storable(model, uno::UNO_QUERY_THROW);
    const auto arguments = sequence<beans::PropertyValue>({
        property("FilterName", OUString("Text - txt - csv (StarCalc)")),
        property("FilterOptions", exportOptions(sheetIndex)),
        property("Overwrite", true)});
    storable->storeToURL(fileUrlOf(folder.path() + "/sheet.csv"), arguments);
    return CsvGrid(folder.content(), Separator);
}

} // namespace rm::lo
