#include "engine/libreoffice/SheetTextExport.h"

#include "engine/libreoffice/UnoProperties.h"
#include "engine/libreoffice/UnoText.h"

#include <com/sun/star/frame/XStorable.hpp>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>
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

class TemporaryFile {
public:
    TemporaryFile()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string((tmp && *tmp) ? tmp : "/tmp") + "/reportmerge-sheet-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = mkstemp(buffer.data());
        if (fd < 0)
            throw uno::RuntimeException("cannot create a temporary file for the sheet's texts");
        ::close(fd);
        m_path = buffer.data();
    }
    ~TemporaryFile() { ::unlink(m_path.c_str()); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace

CsvGrid exportSheetTexts(const uno::Reference<frame::XModel>& model, int sheetIndex)
{
    TemporaryFile file;
    uno::Reference<frame::XStorable> storable(model, uno::UNO_QUERY_THROW);
    const auto arguments = sequence<beans::PropertyValue>({
        property("FilterName", OUString("Text - txt - csv (StarCalc)")),
        property("FilterOptions", exportOptions(sheetIndex)),
        property("Overwrite", true)});
    storable->storeToURL(fileUrlOf(file.path()), arguments);
    std::ifstream in(file.path(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return CsvGrid(content.str(), Separator);
}

} // namespace rm::lo
