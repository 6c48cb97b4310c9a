#pragma once

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include "engine/Error.h"

#include <functional>
#include <string>

namespace rm::lo {

// Sets URE_BOOTSTRAP (when absent) and bootstraps the local UNO runtime, once per process.
css::uno::Reference<css::uno::XComponentContext> localUnoContext();

// The office process ended before it accepted a connection (OfficeStartFailed).
class OfficeExitedDuringStart : public Error {
public:
    OfficeExitedDuringStart();
};

// The URP connection to one office over a named pipe, and its desktop.
class OfficeConnection {
public:
    // Retries until the office accepts or `timeoutMs` has passed. Between
    // attempts `stillStarting()` is asked; false ends the wait at once.
    // Throws rm::Error OfficeStartFailed on a dead office (OfficeExitedDuringStart) or the deadline.
    OfficeConnection(const std::string& pipeName, int timeoutMs, const std::function<bool()>& stillStarting);

    const css::uno::Reference<css::uno::XComponentContext>& context() const { return m_context; }
    const css::uno::Reference<css::frame::XDesktop2>& desktop() const { return m_desktop; }
    // A service of the office, created in its context.
    css::uno::Reference<css::uno::XInterface> createService(const char* name) const;

private:
    css::uno::Reference<css::uno::XComponentContext> m_context;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
};

} // namespace rm::lo
