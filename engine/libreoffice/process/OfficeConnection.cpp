#include "engine/libreoffice/process/OfficeConnection.h"

#include "engine/ErrorTexts.h"
#include "engine/libreoffice/uno/UnoErrors.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace css;

namespace rm::lo {

uno::Reference<uno::XComponentContext> localUnoContext()
{
    static std::once_flag once;
    static uno::Reference<uno::XComponentContext> context;
    static std::string failure;
    std::call_once(once, [] {
        setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" RM_LO_PROGRAM_DIR "/fundamentalrc", 0);
        try {
            context = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const uno::Exception& e) {
            failure = toUtf8(e.Message);
        }
    });
    if (!context.is())
        throw ErrorText::unoRuntimeUnavailable(failure);
    return context;
}

OfficeExitedDuringStart::OfficeExitedDuringStart()
    : Error(ErrorText::officeExitedDuringStart())
{
}

OfficeConnection::OfficeConnection(const std::string& pipeName, int timeoutMs,
                                   const std::function<bool()>& stillStarting)
{
    const auto local = localUnoContext();
    const auto resolver = officeCall(ErrorText::OfficeStep::Connect, [&] { return bridge::UnoUrlResolver::create(local); });
    const OUString url = toOUString("uno:pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        try {
            m_context.set(resolver->resolve(url), uno::UNO_QUERY_THROW);
            break;
        } catch (const connection::NoConnectException&) {
        } catch (const uno::Exception& e) {
            throw ErrorText::officeNotConnected(toUtf8(e.Message));
        }
        if (!stillStarting())
            throw OfficeExitedDuringStart();
        if (std::chrono::steady_clock::now() >= deadline)
            throw ErrorText::officeStartTimedOut(timeoutMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    m_desktop = officeCall(ErrorText::OfficeStep::Connect, [&] { return frame::Desktop::create(m_context); });
}

uno::Reference<uno::XInterface> OfficeConnection::createService(const char* name) const
{
    return officeCall(ErrorText::OfficeStep::CreateServicePrefix + std::string(name), [&] {
        auto service = m_context->getServiceManager()->createInstanceWithContext(OUString::createFromAscii(name), m_context);
        if (!service.is())
            throw uno::RuntimeException("service unavailable: " + OUString::createFromAscii(name));
        return service;
    });
}

} // namespace rm::lo
