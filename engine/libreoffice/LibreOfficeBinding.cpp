#include "engine/libreoffice/LibreOfficeBinding.h"

#include "engine/UserLocale.h"
#include "engine/libreoffice/documents/CalcApp.h"
#include "engine/libreoffice/process/HandOver.h"
#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/process/OfficeSlot.h"

#include <algorithm>
#include <future>
#include <thread>

namespace rm::lo {

namespace {

constexpr int MaximumOffices = 4;

int resolvedOfficeCount(int asked)
{
    if (asked >= 1)
        return std::min(asked, MaximumOffices);
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(cores), 1, MaximumOffices);
}

} // namespace

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
        const OfficeSession::Settings settings{options.sofficePath, options.startTimeoutMs, options.localeName,
                                               options.callTimeoutMs};
        for (int i = 0; i < resolvedOfficeCount(options.officeCount); ++i)
            slots.push_back(std::make_unique<OfficeSlot>(settings));
    }

    OfficeSlot& main() { return *slots.front(); }

    CalcGlobal& reader(size_t index)
    {
        while (readers.size() <= index) {
            OfficeSlot* slot = slots[readers.size()].get();
            readers.push_back(std::make_unique<CalcGlobal>(slot, options.perCellReads, !options.sourcesWithView));
        }
        return *readers[index];
    }

    OfficeOptions options;
    std::vector<std::unique_ptr<OfficeSlot>> slots;    // the first holds the output
    std::vector<std::unique_ptr<CalcGlobal>> readers;  // one per slot, made when first asked for
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
    return std::make_shared<CalcApp>(m_impl->main().session(), m_impl->options.perCellReads, m_impl->options.opener);
}

GlobalEntryPoint& LibreOfficeBinding::global()
{
    return m_impl->reader(0);
}

std::vector<GlobalEntryPoint*> LibreOfficeBinding::sourceReaders(std::size_t sourceCount)
{
    const size_t perOffice = static_cast<size_t>(std::max(1, m_impl->options.sourcesPerExtraOffice));
    const size_t wanted = std::min(m_impl->slots.size(), 1 + sourceCount / perOffice);
    std::vector<GlobalEntryPoint*> readers;
    for (size_t i = 0; i < wanted; ++i) {
        if (i > 0)
            m_impl->slots[i]->startInBackground();
        readers.push_back(&m_impl->reader(i));
    }
    return readers;
}

NumericLocale LibreOfficeBinding::numericLocale()
{
    return m_impl->main().session()->numericLocale();
}

void LibreOfficeBinding::prepare()
{
    m_impl->main().startInBackground();
}

int LibreOfficeBinding::officeCount() const
{
    return static_cast<int>(m_impl->slots.size());
}

void LibreOfficeBinding::shutdown()
{
    // The offices end side by side: each may take seconds to close down.
    std::vector<std::future<void>> endings;
    for (size_t i = 1; i < m_impl->slots.size(); ++i)
        endings.push_back(std::async(std::launch::async, [slot = m_impl->slots[i].get()] { slot->shutdown(); }));
    m_impl->main().shutdown();
    for (auto& ending : endings)
        ending.wait();
}

std::shared_ptr<OfficeSession> LibreOfficeBinding::session()
{
    return m_impl->main().session();
}

long LibreOfficeBinding::officeProcessId() const
{
    const auto session = m_impl->main().runningSession();
    return session ? session->processGroup() : 0;
}

std::vector<long> LibreOfficeBinding::officeProcessIds() const
{
    std::vector<long> groups;
    for (const auto& slot : m_impl->slots)
        if (const auto session = slot->runningSession())
            groups.push_back(session->processGroup());
    return groups;
}

} // namespace rm::lo
