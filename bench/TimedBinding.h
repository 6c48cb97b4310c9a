#pragma once

// A spreadsheet binding that forwards to another one and notes when each
// stage of a merge starts, so a run's wall time can be split into office
// start, opening, summation, saving and closing.

#include "engine/ForwardingSpreadsheet.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

namespace rm::bench {

using Clock = std::chrono::steady_clock;

struct StageTimes {
    Clock::time_point start;          // set by the caller
    Clock::time_point instanceAsked;  // createInstance called (working copy made)
    Clock::time_point instanceReady;  // office started and answering
    Clock::time_point lastSheetOpened;   // the last source read (or opened)
    Clock::time_point alertsOff;      // summation over, saving begins
    Clock::time_point saved;
    Clock::time_point end;            // set by the caller (office shut down)
};

class TimedBinding : public ForwardingBinding {
public:
    TimedBinding(SpreadsheetBinding& inner, StageTimes& times) : ForwardingBinding(inner), m_times(times) {}
    std::shared_ptr<SpreadsheetApp> createInstance() override;
    GlobalEntryPoint& global() override;
    std::vector<GlobalEntryPoint*> sourceReaders(std::size_t sourceCount) override;

private:
    StageTimes& m_times;
    std::mutex m_timesMutex;   // readers note their times from threads of their own
    std::unique_ptr<GlobalEntryPoint> m_global;
    std::vector<std::unique_ptr<GlobalEntryPoint>> m_readers;
};

double seconds(Clock::time_point from, Clock::time_point to);

} // namespace rm::bench
