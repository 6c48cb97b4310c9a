#include "bench/TimedBinding.h"

#include <algorithm>

namespace rm::bench {

namespace {

class TimedSheet : public ForwardingWorksheet {
public:
    TimedSheet(std::shared_ptr<Worksheet> inner, StageTimes& times) : ForwardingWorksheet(std::move(inner)), m_times(times) {}
    void saveAs(const std::string& path) override
    {
        ForwardingWorksheet::saveAs(path);
        m_times.saved = Clock::now();
    }

private:
    StageTimes& m_times;
};

class TimedWorkbook : public ForwardingWorkbook {
public:
    TimedWorkbook(std::shared_ptr<Workbook> inner, StageTimes& times) : ForwardingWorkbook(std::move(inner)), m_times(times) {}
    std::shared_ptr<Worksheet> activeSheet() override
    {
        auto sheet = std::make_shared<TimedSheet>(ForwardingWorkbook::activeSheet(), m_times);
        m_times.lastSheetOpened = Clock::now();
        return sheet;
    }

private:
    StageTimes& m_times;
};

class TimedApp : public ForwardingApp {
public:
    TimedApp(std::shared_ptr<SpreadsheetApp> inner, StageTimes& times) : ForwardingApp(std::move(inner)), m_times(times) {}
    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        return std::make_shared<TimedWorkbook>(ForwardingApp::openWorkbook(path), m_times);
    }
    void setDisplayAlerts(bool on) override
    {
        m_times.alertsOff = Clock::now();
        ForwardingApp::setDisplayAlerts(on);
    }

private:
    StageTimes& m_times;
};

class TimedGlobal : public ForwardingGlobal {
public:
    TimedGlobal(GlobalEntryPoint& inner, StageTimes& times, std::mutex& mutex)
        : ForwardingGlobal(inner), m_times(times), m_mutex(mutex) {}
    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        return std::make_shared<TimedWorkbook>(ForwardingGlobal::openWorkbook(path), m_times);
    }
    SourceSheets readSheets(const std::string& path, const SourceRequest& request) override
    {
        SourceSheets texts = ForwardingGlobal::readSheets(path, request);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_times.lastSheetOpened = std::max(m_times.lastSheetOpened, Clock::now());
        return texts;
    }

private:
    StageTimes& m_times;
    std::mutex& m_mutex;
};

} // namespace

std::shared_ptr<SpreadsheetApp> TimedBinding::createInstance()
{
    m_times.instanceAsked = Clock::now();
    auto app = std::make_shared<TimedApp>(inner().createInstance(), m_times);
    m_times.instanceReady = Clock::now();
    return app;
}

GlobalEntryPoint& TimedBinding::global()
{
    if (!m_global)
        m_global = std::make_unique<TimedGlobal>(inner().global(), m_times, m_timesMutex);
    return *m_global;
}

std::vector<GlobalEntryPoint*> TimedBinding::sourceReaders(std::size_t sourceCount)
{
    m_readers.clear();
    std::vector<GlobalEntryPoint*> readers;
    for (GlobalEntryPoint* inner : inner().sourceReaders(sourceCount)) {
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
