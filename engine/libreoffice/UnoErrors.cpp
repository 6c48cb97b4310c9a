#include "engine/libreoffice/UnoErrors.h"

#include "engine/ErrorNumbers.h"
#include "engine/libreoffice/UnoText.h"

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>

#include <exception>

namespace rm::lo {

Error connectionLostError()
{
    return Error(ErrorNumber::OfficeConnectionLost, "与 LibreOffice 的连接已断开（办公软件进程已退出）。");
}

void rethrowAsError(const std::string& what)
{
    try {
        throw;
    } catch (const Error&) {
        throw;
    } catch (const css::lang::DisposedException&) {
        throw connectionLostError();
    } catch (const css::uno::Exception& e) {
        const std::string message = toUtf8(e.Message);
        throw Error(ErrorNumber::OfficeCallFailed,
                    "LibreOffice 调用失败（" + what + "）。" + (message.empty() ? "" : "\n" + message));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw Error(ErrorNumber::OfficeCallFailed, "LibreOffice 调用失败（" + what + "）。\n" + e.what());
    }
}

} // namespace rm::lo
