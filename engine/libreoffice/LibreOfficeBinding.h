#pragma once

// The spreadsheet layer on LibreOffice Calc over UNO. A private, headless
// office is started on first use, or ahead of time by prepare() (its own
// pipe, its own user profile, the user's locale); for many sources a few more
// start beside it and read sources side by side. No office outlives this
// object: destroying it closes our documents without saving and shuts every
// office down.
//
// Each office is used from one thread at a time: the first by the merge's
// thread (and, while the sources are read, by one reader thread instead),
// each further one by its reader thread.

#include "engine/Spreadsheet.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rm::lo {

class OfficeSession;
struct BindingTestAccess;

// The installed office's `soffice` launcher script.
std::string defaultSofficePath();

struct OfficeOptions {
    // The office's `soffice` launcher script.
    std::string sofficePath = defaultSofficePath();
    // How long the office may take to accept connections before it counts as failed.
    int startTimeoutMs = 60000;
    // How long one call may wait for the office's answer; past it the office
    // counts as hung, is ended, and the call fails with OfficeConnectionLost.
    int callTimeoutMs = 60000;
    // Reads every cell text with its own remote call (the reference path) instead of in bulk.
    bool perCellReads = false;
    // Loads every source hidden with a view of its own, as the office's
    // loader does by default (the benchmark's floor). Otherwise a source whose
    // file names its active sheet is loaded as a bare model, without a view.
    bool sourcesWithView = false;
    // Locale the office formats in, e.g. "de_DE"; empty: the user's (from the environment).
    std::string localeName;
    // Offices that read sources side by side: 0 one per processor core, at
    // most 4; 1 only the first office (which also holds the output).
    int officeCount = 0;
    // A further office is started for every this many sources (a start costs
    // about as much processor time as reading a dozen small sources).
    int sourcesPerExtraOffice = 16;
    // Opens the handed-over output for the user (SpreadsheetApp::setVisible(true)).
    // Empty: the desktop's default application (xdg-open), else LibreOffice Calc
    // with the user's own profile; detached, it runs on after we end.
    std::function<void(const std::string& path)> opener;
};

class LibreOfficeBinding : public SpreadsheetBinding {
public:
    explicit LibreOfficeBinding(OfficeOptions options = {});
    ~LibreOfficeBinding() override;
    LibreOfficeBinding(const LibreOfficeBinding&) = delete;
    LibreOfficeBinding& operator=(const LibreOfficeBinding&) = delete;

    std::shared_ptr<SpreadsheetApp> createInstance() override;
    GlobalEntryPoint& global() override;
    std::vector<GlobalEntryPoint*> sourceReaders(std::size_t sourceCount) override;
    // Starts the first office in the background (the window does this when it opens).
    void prepare() override;

    // The number of offices the pool may use (officeCount resolved).
    int officeCount() const;
    // From the running office's locale data (the office is started when none runs).
    NumericLocale numericLocale() override;

    // Closes every document of ours without saving and ends the private office.
    // Safe to call more than once; the destructor calls it.
    void shutdown();

    // Process group of the first private office (its watchdog's pid; every
    // office process belongs to it), 0 while none runs (tests and benchmarks).
    long officeProcessId() const;
    // The process groups of every office that runs now, the first first.
    std::vector<long> officeProcessIds() const;

private:
    friend struct BindingTestAccess;
    // The running office, started when needed.
    std::shared_ptr<OfficeSession> session();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace rm::lo
