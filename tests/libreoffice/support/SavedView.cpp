#include "SavedView.h"

#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/uno/UnoProperties.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/util/XCloseable.hpp>

using namespace css;

namespace rm::lo::test {

SavedView readSavedView(OfficeSession& session, const std::string& path)
{
    uno::Reference<frame::XComponentLoader> loader(session.connection().desktop(), uno::UNO_QUERY_THROW);
    uno::Reference<frame::XModel> model(
        loader->loadComponentFromURL(fileUrlOf(path), "_blank", 0,
                                     sequence<beans::PropertyValue>({property("ReadOnly", true)})),
        uno::UNO_QUERY_THROW);
    SavedView saved;
    try {
        uno::Reference<beans::XPropertySet> view(model->getCurrentController(), uno::UNO_QUERY_THROW);
        view->getPropertyValue("ShowZeroValues") >>= saved.showsZeroValues;
        uno::Reference<sheet::XSpreadsheetView> sheets(view, uno::UNO_QUERY_THROW);
        uno::Reference<container::XNamed> named(sheets->getActiveSheet(), uno::UNO_QUERY_THROW);
        saved.activeSheetName = toUtf8(named->getName());
    } catch (...) {
        uno::Reference<util::XCloseable>(model, uno::UNO_QUERY_THROW)->close(true);
        throw;
    }
    uno::Reference<util::XCloseable>(model, uno::UNO_QUERY_THROW)->close(true);
    return saved;
}

} // namespace rm::lo::test
