#include "engine/libreoffice/bulk/OfficeBasic.h"

#include "engine/libreoffice/process/OfficeConnection.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/script/XLibraryContainer.hpp>
#include <com/sun/star/script/provider/XScriptProviderFactory.hpp>

#include <string>

using namespace css;

namespace rm::lo {

namespace {

const char* const Library = "ReportMergeCells";

} // namespace

uno::Reference<script::provider::XScript> officeBasicRoutine(const OfficeConnection& office, const char* module,
                                                             const char* code, const char* routine)
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
            return {};
        const OUString moduleName = OUString::createFromAscii(module);
        if (!modules->hasByName(moduleName))
            modules->insertByName(moduleName, uno::Any(OUString::createFromAscii(code)));

        uno::Reference<script::provider::XScriptProviderFactory> factory(
            office.context()->getValueByName("/singletons/com.sun.star.script.provider.theMasterScriptProviderFactory"),
            uno::UNO_QUERY_THROW);
        const auto provider = factory->createScriptProvider(uno::Any(OUString("user")));
        return provider->getScript(toOUString(std::string("vnd.sun.star.script:") + Library + "." + module + "." +
                                              routine + "?language=Basic&location=application"));
    } catch (const uno::Exception&) {
        return {};
    }
}

} // namespace rm::lo
