#include "engine/libreoffice/LibreOfficeBinding.h"

#include "engine/UserLocale.h"
#include "engine/libreoffice/CalcApp.h"
#include "engine/libreoffice/HandOver.h"
#include "engine/libreoffice/OfficeSession.h"

namespace rm::lo {

std::string defaultSofficePath()
{
    return RM_LO_PROGRAM_DIR "/soffice";
}

struct LibreOfficeBinding::Impl {
    explicit Impl(OfficeOptions o) : options(std::move(o))
    {
        if (options.localeName.empty())
            options.localeName = userLocaleName();
        if (!options.opener) {
            const std::string soffice = options.sofficePath;
            options.opener = [soffice](const std::string& path) { openWithDesktop(path, soffice); };
        }
    }

    // The running office, started on first use (and again after a hand-over ended it).
    std::shared_ptr<OfficeSession> currentSession()
    {
        if (!session || session->ended()) {
            session.reset();
            session = std::make_shared<OfficeSession>(
                OfficeSession::Settings{options.sofficePath, options.startTimeoutMs, options.localeName,
                                        options.callTimeoutMs});
        }
        return session;
    }

    OfficeOptions options;
    std::shared_ptr<OfficeSession> session;
    std::unique_ptr<CalcGlobal> global;
};

LibreOfficeBinding::LibreOfficeBinding(OfficeOptions options) : m_impl(std::make_unique<Impl>(std::move(options)))
{
}

LibreOfficeBinding::~LibreOfficeBinding()
{
    shutdown();
}

std::shared_ptr<SpreadsheetApp> LibreOfficeBinding::createInstance()
{
    return std::make_shared<CalcApp>(m_impl->currentSession(), m_impl->options.perCellReads, m_impl->options.opener);
}

GlobalEntryPoint& LibreOfficeBinding::global()
{
    if (!m_impl->global) {
        Impl* impl = m_impl.get();
        m_impl->global = std::make_unique<CalcGlobal>([impl] { return impl->currentSession(); },
                                                      m_impl->options.perCellReads);
    }
    return *m_impl->global;
}

NumericLocale LibreOfficeBinding::numericLocale()
{
    return m_impl->currentSession()->numericLocale();
}

void LibreOfficeBinding::shutdown()
{
    if (m_impl->session)
        m_impl->session->shutdown();
    m_impl->session.reset();
}

std::shared_ptr<OfficeSession> LibreOfficeBinding::session()
{
    return m_impl->currentSession();
}

long LibreOfficeBinding::officeProcessId() const
{
    return m_impl->session && !m_impl->session->ended() ? m_impl->session->processGroup() : 0;
}

} // namespace rm::lo
