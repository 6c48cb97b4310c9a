#include "engine/libreoffice/uno/UnoErrors.h"

#include "engine/ErrorTexts.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>

#include <exception>

namespace rm::lo {

Error connectionLostError()
{
    return ErrorText::officeConnectionLost();
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
        throw ErrorText::officeCallFailed(what, toUtf8(e.Message));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw ErrorText::officeCallFailedInProgram(what, e.what());
    }
}

} // namespace rm::lo
