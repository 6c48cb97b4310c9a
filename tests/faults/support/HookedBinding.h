#pragma once

// A spreadsheet binding that passes every call on to a real one, with hooks
// just before a source is opened and just before the output is saved: the
// place where a fault is injected (a file removed, the office killed).

#include "engine/ForwardingSpreadsheet.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rm::faults {

struct Hooks {
    std::function<void(const std::string& path)> beforeSourceOpen;
    std::function<void(const std::string& path)> beforeSave;
};

class HookedBinding : public ForwardingBinding {
public:
    HookedBinding(SpreadsheetBinding& inner, Hooks hooks);
    ~HookedBinding() override;

    std::shared_ptr<SpreadsheetApp> createInstance() override;
    GlobalEntryPoint& global() override;
    // The hooked global() alone reads, so that the hook sees every source.
    std::vector<GlobalEntryPoint*> sourceReaders(std::size_t) override { return {}; }

private:
    class Global;
    std::shared_ptr<Hooks> m_hooks;
    std::unique_ptr<Global> m_global;
};

} // namespace rm::faults
