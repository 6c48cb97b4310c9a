#include "bench/TimedBinding.h"

#include <algorithm>

namespace rm::bench {

namespace {

class TimedSheet : public Worksheet {
public:
    TimedSheet(std::shared_ptr<Worksheet> inner, StageTimes& times) : m_inner(std::move(inner)), m_times(times) {}
    long usedRangeRowCount() override { return m_inner->usedRangeRowCount(); }
    long usedRangeColumnCount() override { return m_inner->usedRangeColumnCount(); }
    std::string cellText(int row, int column) override { return m_inner->cellText(row, column); }
    bool cellHasFormula(int row, int column) override { return m_inner->cellHasFormula(row, column); }
    void setCellValue2(int row, int column, double value) override { m_inner->setCellValue2(row, column, value); }
    void limitReadsTo(long rows, long columns) override { m_inner->limitReadsTo(rows, columns); }
    void activate() override { m_inner->activate(); }
    void saveAs(const std::string& path) override
    {
        m_inner->saveAs(path);
        m_times.saved = Clock::now();
    }

private:
    std::shared_ptr<Worksheet> m_inner;
    StageTimes& m_times;
};

class TimedWorkbook : public Workbook {
public:
    TimedWorkbook(std::shared_ptr<Workbook> inner, StageTimes& times) : m_inner(std::move(inner)), m_times(times) {}
    std::shared_ptr<Worksheet> activeSheet() override
    {
        auto sheet = std::make_shared<TimedSheet>(m_inner->activeSheet(), m_times);
        m_times.lastSheetOpened = Clock::now();
        return sheet;
    }
    void close() override { m_inner->close(); }

private:
    std::shared_ptr<Workbook> m_inner;
    StageTimes& m_times;
};

class TimedApp : public SpreadsheetApp {
public:
    TimedApp(std::shared_ptr<SpreadsheetApp> inner, StageTimes& times) : m_inner(std::move(inner)), m_times(times) {}
    void setVisible(bool visible) override { m_inner->setVisible(visible); }
    bool visible() const override { return m_inner->visible(); }
    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        return std::make_shared<TimedWorkbook>(m_inner->openWorkbook(path), m_times);
    }
    void setDisplayAlerts(bool on) override
    {
        m_times.alertsOff = Clock::now();
        m_inner->setDisplayAlerts(on);
    }
    void setActiveWindowDisplayZeros(bool on) override { m_inner->setActiveWindowDisplayZeros(on); }

private:
    std::shared_ptr<SpreadsheetApp> m_inner;
    StageTimes& m_times;
};

class TimedGlobal : public GlobalEntryPoint {
public:
    TimedGlobal(GlobalEntryPoint& inner, StageTimes& times, std::mutex& mutex)
        : m_inner(inner), m_times(times), m_mutex(mutex) {}
    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        return std::make_shared<TimedWorkbook>(m_inner.openWorkbook(path), m_times);
    }
    SheetTexts readSource(const std::string& path, int rows, int columns) override
    {
        SheetTexts texts = m_inner.readSource(path, rows, columns);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_times.lastSheetOpened = std::max(m_times.lastSheetOpened, Clock::now());
        return texts;
    }
    ReaderState readerState() override { return m_inner.readerState(); }

private:
    GlobalEntryPoint& m_inner;
    StageTimes& m_times;
    std::mutex& m_mutex;
};

} // namespace

std::shared_ptr<SpreadsheetApp> TimedBinding::createInstance()
{
    m_times.instanceAsked = Clock::now();
    auto app = std::make_shared<TimedApp>(m_inner.createInstance(), m_times);
    m_times.instanceReady = Clock::now();
    return app;
}

GlobalEntryPoint& TimedBinding::global()
{
    if (!m_global)
        m_global = std::make_unique<TimedGlobal>(m_inner.global(), m_times, m_timesMutex);
    return *m_global;
}

std::vector<GlobalEntryPoint*> TimedBinding::sourceReaders(std::size_t sourceCount)
{
    m_readers.clear();
    std::vector<GlobalEntryPoint*> readers;
    for (GlobalEntryPoint* inner : m_inner.sourceReaders(sourceCount)) {
        m_readers.push_back(std::make_unique<TimedGlobal>(*inner, m_times, m_timesMutex));
        readers.push_back(m_readers.back().get());
    }
    return readers;
}

double seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

} // namespace rm::bench
