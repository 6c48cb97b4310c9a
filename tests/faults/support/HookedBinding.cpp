#include "support/HookedBinding.h"

namespace rm::faults {

namespace {

class HookedSheet : public Worksheet {
public:
    HookedSheet(std::shared_ptr<Worksheet> inner, std::shared_ptr<Hooks> hooks)
        : m_inner(std::move(inner)), m_hooks(std::move(hooks)) {}

    long usedRangeRowCount() override { return m_inner->usedRangeRowCount(); }
    long usedRangeColumnCount() override { return m_inner->usedRangeColumnCount(); }
    std::string cellText(int row, int column) override { return m_inner->cellText(row, column); }
    bool cellHasFormula(int row, int column) override { return m_inner->cellHasFormula(row, column); }
    void setCellValue2(int row, int column, double value) override { m_inner->setCellValue2(row, column, value); }
    void limitReadsTo(long rows, long columns) override { m_inner->limitReadsTo(rows, columns); }
    void activate() override { m_inner->activate(); }
    void saveAs(const std::string& path) override
    {
        if (m_hooks->beforeSave)
            m_hooks->beforeSave(path);
        m_inner->saveAs(path);
    }

private:
    std::shared_ptr<Worksheet> m_inner;
    std::shared_ptr<Hooks> m_hooks;
};

class HookedWorkbook : public Workbook {
public:
    HookedWorkbook(std::shared_ptr<Workbook> inner, std::shared_ptr<Hooks> hooks)
        : m_inner(std::move(inner)), m_hooks(std::move(hooks)) {}

    std::shared_ptr<Worksheet> activeSheet() override
    {
        return std::make_shared<HookedSheet>(m_inner->activeSheet(), m_hooks);
    }
    void close() override { m_inner->close(); }

private:
    std::shared_ptr<Workbook> m_inner;
    std::shared_ptr<Hooks> m_hooks;
};

class HookedApp : public SpreadsheetApp {
public:
    HookedApp(std::shared_ptr<SpreadsheetApp> inner, std::shared_ptr<Hooks> hooks)
        : m_inner(std::move(inner)), m_hooks(std::move(hooks)) {}

    void setVisible(bool visible) override { m_inner->setVisible(visible); }
    bool visible() const override { return m_inner->visible(); }
    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        return std::make_shared<HookedWorkbook>(m_inner->openWorkbook(path), m_hooks);
    }
    void setDisplayAlerts(bool on) override { m_inner->setDisplayAlerts(on); }
    void setActiveWindowDisplayZeros(bool on) override { m_inner->setActiveWindowDisplayZeros(on); }

private:
    std::shared_ptr<SpreadsheetApp> m_inner;
    std::shared_ptr<Hooks> m_hooks;
};

} // namespace

class HookedBinding::Global : public GlobalEntryPoint {
public:
    Global(SpreadsheetBinding& inner, std::shared_ptr<Hooks> hooks) : m_inner(inner), m_hooks(std::move(hooks)) {}

    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        if (m_hooks->beforeSourceOpen)
            m_hooks->beforeSourceOpen(path);
        return std::make_shared<HookedWorkbook>(m_inner.global().openWorkbook(path), m_hooks);
    }

private:
    SpreadsheetBinding& m_inner;
    std::shared_ptr<Hooks> m_hooks;
};

HookedBinding::HookedBinding(SpreadsheetBinding& inner, Hooks hooks)
    : m_inner(inner), m_hooks(std::make_shared<Hooks>(std::move(hooks))), m_global(std::make_unique<Global>(inner, m_hooks))
{
}

HookedBinding::~HookedBinding() = default;

std::shared_ptr<SpreadsheetApp> HookedBinding::createInstance()
{
    return std::make_shared<HookedApp>(m_inner.createInstance(), m_hooks);
}

GlobalEntryPoint& HookedBinding::global()
{
    return *m_global;
}

} // namespace rm::faults
