#pragma once

// The spreadsheet layer in memory, for tests of the merge and of the window.
//
// Workbooks are registered by path. Files on disk are real: registering a
// path whose file exists also makes every byte-identical file (such as the
// merge's working copy of it) open as that workbook, and createWorkbookFile()
// writes such a file for you. saveAs() writes a small file at the new path and
// records the saved content, which savedWorkbook() returns. Every call is
// logged in events(), and failures can be injected at each step.
//
//   rm::mem::MemoryBinding binding;
//   rm::mem::SheetContent sheet;
//   sheet.text(1, 1, "?").number(1, 2, 7);
//   binding.createWorkbookFile(dir + "/template.xls", rm::mem::WorkbookContent(sheet));
//   ... runMerge(binding, ...) ...
//   binding.savedWorkbook(dir + "/out.xls")->active().displayedText(1, 1);

#include "engine/Error.h"
#include "engine/Spreadsheet.h"
#include "engine/memory/MemoryContent.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rm::mem {

struct MemoryState;

class MemoryBinding : public SpreadsheetBinding {
public:
    // Displayed texts are read as numbers in `numericLocale` (en_US by default).
    explicit MemoryBinding(NumericLocale numericLocale = {});
    ~MemoryBinding() override;
    MemoryBinding(const MemoryBinding&) = delete;
    MemoryBinding& operator=(const MemoryBinding&) = delete;

    // --- Workbooks ---------------------------------------------------------
    // Opening `path` gives a fresh copy of `content`. If a file exists at
    // `path` now, any file with the same bytes opens as `content` too.
    void registerWorkbook(const std::string& path, WorkbookContent content);
    // Writes a small file identifying the workbook at `path` (replacing any) and registers it.
    void createWorkbookFile(const std::string& path, WorkbookContent content);
    // The content last saved under `path` by Worksheet::saveAs.
    std::optional<WorkbookContent> savedWorkbook(const std::string& path) const;

    // --- What happened -----------------------------------------------------
    // In call order: "start", "visible 0", "visible 1", "open P" (on an
    // instance, editable), "open-readonly P" (through the global entry
    // point), "alerts 0", "alerts 1", "activate P", "zeros 0", "zeros 1",
    // "saveAs P", "close P". P is the path as given.
    const std::vector<std::string>& events() const;
    // Paths (as given) of the documents open now, in opening order; a saved
    // document is listed under its new path.
    std::vector<std::string> openDocuments() const;
    int instancesStarted() const;
    // The last started instance's flags (false/true before any start).
    bool lastInstanceVisible() const;
    bool lastInstanceDisplayAlerts() const;

    // --- Failure injection -------------------------------------------------
    void failStart(Error error);                          // createInstance
    void failOpen(const std::string& path, Error error);  // opening that path, either way
    void failSave(Error error);                           // every saveAs
    void failClose(const std::string& path, Error error); // closing the workbook opened from that path
    void failSetVisible(Error error);                     // SpreadsheetApp::setVisible(true)

    // --- Several readers ---------------------------------------------------
    // sourceReaders() offers `count` readers (the first is global()), each
    // usable from its own thread, as several offices would be. Default 1.
    void setReaderCount(int count);
    // Reader `index` cannot serve (Unavailable), as an office that did not start.
    void failReaderStart(int index);
    // Opening that path takes `milliseconds` longer (either way).
    void delayOpen(const std::string& path, int milliseconds);
    // The paths opened by reader `index`, in its order.
    std::vector<std::string> sourcesReadBy(int index) const;
    // prepare() calls so far (the window's warm start).
    int prepareCalls() const;

    std::shared_ptr<SpreadsheetApp> createInstance() override;
    GlobalEntryPoint& global() override;
    std::vector<GlobalEntryPoint*> sourceReaders(std::size_t sourceCount) override;
    void prepare() override;
    NumericLocale numericLocale() override;

private:
    std::shared_ptr<MemoryState> m_state;
    std::vector<std::unique_ptr<GlobalEntryPoint>> m_readers;   // the first is global()
    NumericLocale m_numericLocale;
};

} // namespace rm::mem
