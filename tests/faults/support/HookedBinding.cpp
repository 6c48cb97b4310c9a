#include "support/HookedBinding.h"

namespace rm::faults {

namespace {

class HookedSheet : public ForwardingWorksheet {
public:
    HookedSheet(std::shared_ptr<Worksheet> inner, std::shared_ptr<Hooks> hooks)
        : ForwardingWorksheet(std::move(inner)), m_hooks(std::move(hooks)) {}

    void saveAs(const std::string& path) override
    {
        if (m_hooks->beforeSave)
            m_hooks->beforeSave(path);
        ForwardingWorksheet::saveAs(path);
    }

private:
    std::shared_ptr<Hooks> m_hooks;
};

class HookedWorkbook : public ForwardingWorkbook {
public:
    HookedWorkbook(std::shared_ptr<Workbook> inner, std::shared_ptr<Hooks> hooks)
        : ForwardingWorkbook(std::move(inner)), m_hooks(std::move(hooks)) {}

    std::shared_ptr<Worksheet> activeSheet() override
    {
        return std::make_shared<HookedSheet>(ForwardingWorkbook::activeSheet(), m_hooks);
    }

private:
    std::shared_ptr<Hooks> m_hooks;
};

class HookedApp : public ForwardingApp {
public:
    HookedApp(std::shared_ptr<SpreadsheetApp> inner, std::shared_ptr<Hooks> hooks)
        : ForwardingApp(std::move(inner)), m_hooks(std::move(hooks)) {}

    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        return std::make_shared<HookedWorkbook>(ForwardingApp::openWorkbook(path), m_hooks);
    }

private:
    std::shared_ptr<Hooks> m_hooks;
};

} // namespace

class HookedBinding::Global : public ForwardingGlobal {
public:
    Global(GlobalEntryPoint& inner, std::shared_ptr<Hooks> hooks) : ForwardingGlobal(inner), m_hooks(std::move(hooks)) {}

    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        if (m_hooks->beforeSourceOpen)
            m_hooks->beforeSourceOpen(path);
        return std::make_shared<HookedWorkbook>(ForwardingGlobal::openWorkbook(path), m_hooks);
    }
    // Through openWorkbook() above, so that the hook runs before each source.
    SourceSheets readSheets(const std::string& path, const SourceRequest& request) override
    {
        return GlobalEntryPoint::readSheets(path, request);
    }

private:
    std::shared_ptr<Hooks> m_hooks;
};

HookedBinding::HookedBinding(SpreadsheetBinding& inner, Hooks hooks)
    : ForwardingBinding(inner), m_hooks(std::make_shared<Hooks>(std::move(hooks)))
{
}

HookedBinding::~HookedBinding() = default;

std::shared_ptr<SpreadsheetApp> HookedBinding::createInstance()
{
    return std::make_shared<HookedApp>(inner().createInstance(), m_hooks);
}

GlobalEntryPoint& HookedBinding::global()
{
    if (!m_global)
        m_global = std::make_unique<Global>(inner().global(), m_hooks);
    return *m_global;
}

} // namespace rm::faults
