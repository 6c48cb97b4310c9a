#include "engine/libreoffice/BatchCellWriter.h"

#include "engine/libreoffice/OfficeConnection.h"
#include "engine/libreoffice/UnoText.h"

#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/script/XLibraryContainer.hpp>
#include <com/sun/star/script/provider/XScriptProviderFactory.hpp>

using namespace css;

namespace rm::lo {

namespace {

const char* const Library = "ReportMergeCells";
const char* const Module = "Writer";
const char* const Code =
    "Sub WriteValues(oSheet As Object, aRows As Variant, aColumns As Variant, aValues As Variant)\n"
    "    Dim i As Long\n"
    "    For i = LBound(aRows) To UBound(aRows)\n"
    "        oSheet.getCellByPosition(aColumns(i), aRows(i)).setValue(aValues(i))\n"
    "    Next i\n"
    "End Sub\n";

template <class T>
uno::Sequence<T> toSequence(const std::vector<T>& items)
{
    return uno::Sequence<T>(items.data(), static_cast<sal_Int32>(items.size()));
}

} // namespace

BatchCellWriter::BatchCellWriter(const OfficeConnection& office)
{
    try {
        uno::Reference<script::XLibraryContainer> libraries(
            office.createService("com.sun.star.script.ApplicationScriptLibraryContainer"), uno::UNO_QUERY_THROW);
        const OUString library = OUString::createFromAscii(Library);
        uno::Reference<container::XNameContainer> modules;
        if (libraries->hasByName(library))
            libraries->getByName(library) >>= modules;
        else
            modules = libraries->createLibrary(library);
        if (!modules.is())
            return;
        const OUString module = OUString::createFromAscii(Module);
        if (!modules->hasByName(module))
            modules->insertByName(module, uno::Any(OUString::createFromAscii(Code)));

        uno::Reference<script::provider::XScriptProviderFactory> factory(
            office.context()->getValueByName("/singletons/com.sun.star.script.provider.theMasterScriptProviderFactory"),
            uno::UNO_QUERY_THROW);
        const auto provider = factory->createScriptProvider(uno::Any(OUString("user")));
        m_script = provider->getScript(toOUString(std::string("vnd.sun.star.script:") + Library + "." + Module +
                                                  ".WriteValues?language=Basic&location=application"));
    } catch (const uno::Exception&) {
        m_script.clear();   // values are then written one call each
    }
}

void BatchCellWriter::write(const uno::Reference<sheet::XSpreadsheet>& sheet, const std::vector<sal_Int32>& rows,
                            const std::vector<sal_Int32>& columns, const std::vector<double>& values) const
{
    uno::Sequence<uno::Any> arguments(4);
    arguments[0] <<= sheet;
    arguments[1] <<= toSequence(rows);
    arguments[2] <<= toSequence(columns);
    arguments[3] <<= toSequence(values);
    uno::Sequence<sal_Int16> outIndices;
    uno::Sequence<uno::Any> outValues;
    m_script->invoke(arguments, outIndices, outValues);
}

} // namespace rm::lo
