#include "engine/memory/MemoryBinding.h"

#include "engine/ErrorNumbers.h"
#include "engine/files/FileSystem.h"
#include "engine/ErrorTexts.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace rm::mem {

namespace {

struct Document {
    std::string path;
    WorkbookContent content;
    bool readOnly = false;
    bool open = true;
};

struct Registration {
    std::string key;                  // normalized path
    std::optional<std::string> bytes; // the file's bytes when registered
    WorkbookContent content;
};

// The bytes of a regular file; nothing for a missing file; errors for others.
std::optional<std::string> readRegularFile(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    if (!S_ISREG(info.st_mode))
        throw Error(ErrorNumber::NotAWorkbook, "不是电子表格文件：" + path);
    std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes)
        throw Error(ErrorNumber::DocumentLoadFailed, "无法读取文件：" + path);
    return bytes;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw Error(ErrorNumber::SaveFailed, "无法保存到“" + path + "”：" + ErrorText::systemReason(errno));
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    const int reason = errno;
    ::close(fd);
    if (written != static_cast<ssize_t>(bytes.size()))
        throw Error(ErrorNumber::SaveFailed, "无法保存到“" + path + "”：" + ErrorText::systemReason(reason));
}

} // namespace

struct MemoryState {
    std::vector<Registration> registrations;
    std::map<std::string, WorkbookContent> saved;
    std::vector<std::shared_ptr<Document>> documents;
    std::vector<std::string> events;
    std::optional<Error> startFailure, saveFailure, visibleFailure;
    std::map<std::string, Error> openFailures, closeFailures;
    std::map<std::string, int> openDelays;
    std::set<int> readersThatFail;
    std::map<int, std::vector<std::string>> readByReader;
    int prepareCalls = 0;
    // Readers run on threads of their own: what they share is guarded.
    mutable std::mutex mutex;
    int instances = 0;
    int nextFileNumber = 1;
    bool lastVisible = false;
    bool lastAlerts = true;

    std::string fileTag() { return "reportmerge in-memory workbook #" + std::to_string(nextFileNumber++) + "\n"; }

    void registerContent(const std::string& path, std::optional<std::string> bytes, WorkbookContent content)
    {
        const std::string key = absolutePath(path);
        registrations.erase(std::remove_if(registrations.begin(), registrations.end(),
                                           [&](const Registration& r) { return r.key == key; }),
                            registrations.end());
        registrations.push_back({key, std::move(bytes), std::move(content)});
    }

    void log(std::string event)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        events.push_back(std::move(event));
    }

    std::shared_ptr<Document> open(const std::string& path, bool readOnly)
    {
        const std::string key = absolutePath(path);
        int delay = 0;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (const auto found = openDelays.find(key); found != openDelays.end())
                delay = found->second;
        }
        if (delay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        const std::lock_guard<std::mutex> lock(mutex);
        events.push_back((readOnly ? "open-readonly " : "open ") + path);
        if (const auto failure = openFailures.find(key); failure != openFailures.end())
            throw failure->second;

        const std::optional<std::string> bytes = readRegularFile(path);
        const Registration* match = nullptr;
        for (const auto& registration : registrations) {
            const bool samePath = registration.key == key && (bytes || !registration.bytes);
            const bool sameBytes = bytes && registration.bytes && *registration.bytes == *bytes;
            if (samePath || sameBytes)
                match = &registration;
        }
        if (!match && !bytes)
            throw Error(ErrorNumber::DocumentNotFound, "找不到文件：" + path);
        if (!match)
            throw Error(ErrorNumber::NotAWorkbook, "不是电子表格文件：" + path);
        auto document = std::make_shared<Document>(Document{path, match->content, readOnly, true});
        documents.push_back(document);
        return document;
    }
};

namespace {

using State = MemoryState;

void requireOpen(const Document& document)
{
    if (!document.open)
        throw Error(ErrorNumber::CellAccessFailed, "工作簿已关闭：" + document.path);
}

class MemoryWorksheet : public Worksheet {
public:
    // `activeWindow`: the instance's active window when opened on one, else null.
    MemoryWorksheet(std::shared_ptr<State> state, std::shared_ptr<Document> document, int index,
                    std::shared_ptr<std::shared_ptr<Document>> activeWindow)
        : m_state(std::move(state)), m_document(std::move(document)), m_index(index), m_activeWindow(activeWindow) {}

    std::string name() override { requireOpen(*m_document); return sheet().name(); }
    long usedRangeRowCount() override { requireOpen(*m_document); return sheet().usedRowCount(); }
    long usedRangeColumnCount() override { requireOpen(*m_document); return sheet().usedColumnCount(); }

    std::string cellText(int row, int column) override
    {
        requireOpen(*m_document);
        if (sheet().refusesReads(row, column))
            throw Error(ErrorNumber::CellAccessFailed, "无法读取单元格");
        return sheet().displayedText(row, column);
    }

    bool cellHasFormula(int row, int column) override
    {
        requireOpen(*m_document);
        return sheet().hasFormula(row, column);
    }

    void setCellValue2(int row, int column, double value) override
    {
        requireOpen(*m_document);
        if (m_document->readOnly)
            throw Error(ErrorNumber::CellAccessFailed, "工作簿只读：" + m_document->path);
        sheet().writeValue(row, column, value);
    }

    void activate() override
    {
        requireOpen(*m_document);
        m_state->log("activate " + m_document->path);
        m_document->content.activeSheet = m_index;
        if (m_activeWindow)
            *m_activeWindow = m_document;
    }

    void saveAs(const std::string& path) override
    {
        requireOpen(*m_document);
        m_state->log("saveAs " + path);
        if (m_state->saveFailure)
            throw *m_state->saveFailure;
        const std::string key = absolutePath(path);
        for (const auto& other : m_state->documents)
            if (other != m_document && other->open && absolutePath(other->path) == key)
                throw Error(ErrorNumber::SaveOntoOpenDocument, "不能覆盖已打开的工作簿：" + path);
        const std::string bytes = m_state->fileTag();
        writeFile(path, bytes);
        m_document->path = path;
        m_state->saved.insert_or_assign(key, m_document->content);
        m_state->registerContent(path, bytes, m_document->content);
    }

private:
    SheetContent& sheet() { return m_document->content.sheets.at(static_cast<size_t>(m_index)); }

    std::shared_ptr<State> m_state;
    std::shared_ptr<Document> m_document;
    int m_index;
    std::shared_ptr<std::shared_ptr<Document>> m_activeWindow;
};

class MemoryWorkbook : public Workbook {
public:
    MemoryWorkbook(std::shared_ptr<State> state, std::shared_ptr<Document> document,
                   std::shared_ptr<std::shared_ptr<Document>> activeWindow)
        : m_state(std::move(state)), m_document(std::move(document)), m_activeWindow(std::move(activeWindow)) {}

    std::shared_ptr<Worksheet> activeSheet() override
    {
        requireOpen(*m_document);
        const int index = m_document->content.activeSheet;
        if (m_document->content.sheets.at(static_cast<size_t>(index)).isChart())
            throw Error(ErrorNumber::NotAWorksheet, "活动工作表不是工作表：" + m_document->path);
        return std::make_shared<MemoryWorksheet>(m_state, m_document, index, m_activeWindow);
    }

    std::vector<SheetInfo> sheets() override
    {
        requireOpen(*m_document);
        std::vector<SheetInfo> infos;
        for (const auto& sheet : m_document->content.sheets)
            infos.push_back({sheet.name(), sheet.isChart(), sheet.isHidden()});
        return infos;
    }

    std::shared_ptr<Worksheet> worksheet(std::size_t index) override
    {
        requireOpen(*m_document);
        if (m_document->content.sheets.at(index).isChart())
            throw Error(ErrorNumber::NotAWorksheet, "不是工作表：" + m_document->path);
        return std::make_shared<MemoryWorksheet>(m_state, m_document, static_cast<int>(index), m_activeWindow);
    }

    void close() override
    {
        m_state->log("close " + m_document->path);
        const std::lock_guard<std::mutex> lock(m_state->mutex);
        if (const auto failure = m_state->closeFailures.find(absolutePath(m_document->path));
            failure != m_state->closeFailures.end())
            throw failure->second;
        m_document->open = false;
    }

private:
    std::shared_ptr<State> m_state;
    std::shared_ptr<Document> m_document;
    std::shared_ptr<std::shared_ptr<Document>> m_activeWindow;
};

class MemoryApp : public SpreadsheetApp {
public:
    explicit MemoryApp(std::shared_ptr<State> state)
        : m_state(std::move(state)), m_activeWindow(std::make_shared<std::shared_ptr<Document>>()) {}

    void setVisible(bool visible) override
    {
        m_state->log(std::string("visible ") + (visible ? "1" : "0"));
        if (visible && m_state->visibleFailure)
            throw *m_state->visibleFailure;
        m_visible = visible;
        m_state->lastVisible = visible;
    }

    bool visible() const override { return m_visible; }

    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        auto document = m_state->open(path, false);
        *m_activeWindow = document;
        return std::make_shared<MemoryWorkbook>(m_state, document, m_activeWindow);
    }

    void setDisplayAlerts(bool on) override
    {
        m_state->log(std::string("alerts ") + (on ? "1" : "0"));
        m_state->lastAlerts = on;
    }

    void setActiveWindowDisplayZeros(bool on) override
    {
        m_state->log(std::string("zeros ") + (on ? "1" : "0"));
        if (!*m_activeWindow || !(*m_activeWindow)->open)
            throw Error(ErrorNumber::OfficeCallFailed, "没有活动窗口");
        (*m_activeWindow)->content.displayZeros = on;
    }

private:
    std::shared_ptr<State> m_state;
    std::shared_ptr<std::shared_ptr<Document>> m_activeWindow;
    bool m_visible = false;
};

class MemoryGlobal : public GlobalEntryPoint {
public:
    MemoryGlobal(std::shared_ptr<State> state, int index) : m_state(std::move(state)), m_index(index) {}

    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override
    {
        {
            const std::lock_guard<std::mutex> lock(m_state->mutex);
            m_state->readByReader[m_index].push_back(path);
        }
        return std::make_shared<MemoryWorkbook>(m_state, m_state->open(path, true), nullptr);
    }

    ReaderState readerState() override
    {
        const std::lock_guard<std::mutex> lock(m_state->mutex);
        return m_state->readersThatFail.count(m_index) ? ReaderState::Unavailable : ReaderState::Ready;
    }

private:
    std::shared_ptr<State> m_state;
    int m_index;
};

} // namespace

MemoryBinding::MemoryBinding(NumericLocale numericLocale)
    : m_state(std::make_shared<State>()), m_numericLocale(std::move(numericLocale))
{
    m_readers.push_back(std::make_unique<MemoryGlobal>(m_state, 0));
}

MemoryBinding::~MemoryBinding() = default;

void MemoryBinding::registerWorkbook(const std::string& path, WorkbookContent content)
{
    m_state->registerContent(path, readRegularFile(path), std::move(content));
}

void MemoryBinding::createWorkbookFile(const std::string& path, WorkbookContent content)
{
    const std::string bytes = m_state->fileTag();
    writeFile(path, bytes);
    m_state->registerContent(path, bytes, std::move(content));
}

std::optional<WorkbookContent> MemoryBinding::savedWorkbook(const std::string& path) const
{
    const auto found = m_state->saved.find(absolutePath(path));
    if (found == m_state->saved.end())
        return std::nullopt;
    return found->second;
}

const std::vector<std::string>& MemoryBinding::events() const { return m_state->events; }

std::vector<std::string> MemoryBinding::openDocuments() const
{
    std::vector<std::string> paths;
    for (const auto& document : m_state->documents)
        if (document->open)
            paths.push_back(document->path);
    return paths;
}

int MemoryBinding::instancesStarted() const { return m_state->instances; }
bool MemoryBinding::lastInstanceVisible() const { return m_state->lastVisible; }
bool MemoryBinding::lastInstanceDisplayAlerts() const { return m_state->lastAlerts; }

void MemoryBinding::failStart(Error error) { m_state->startFailure = std::move(error); }
void MemoryBinding::failOpen(const std::string& path, Error error) { m_state->openFailures.insert_or_assign(absolutePath(path), std::move(error)); }
void MemoryBinding::failSave(Error error) { m_state->saveFailure = std::move(error); }
void MemoryBinding::failClose(const std::string& path, Error error) { m_state->closeFailures.insert_or_assign(absolutePath(path), std::move(error)); }
void MemoryBinding::failSetVisible(Error error) { m_state->visibleFailure = std::move(error); }

void MemoryBinding::setReaderCount(int count)
{
    while (static_cast<int>(m_readers.size()) < count)
        m_readers.push_back(std::make_unique<MemoryGlobal>(m_state, static_cast<int>(m_readers.size())));
    if (count >= 1)
        m_readers.resize(static_cast<size_t>(count));
}

void MemoryBinding::failReaderStart(int index) { m_state->readersThatFail.insert(index); }
void MemoryBinding::delayOpen(const std::string& path, int milliseconds) { m_state->openDelays[absolutePath(path)] = milliseconds; }

std::vector<std::string> MemoryBinding::sourcesReadBy(int index) const
{
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    const auto found = m_state->readByReader.find(index);
    return found == m_state->readByReader.end() ? std::vector<std::string>{} : found->second;
}

int MemoryBinding::prepareCalls() const { return m_state->prepareCalls; }
void MemoryBinding::prepare() { ++m_state->prepareCalls; }

std::vector<GlobalEntryPoint*> MemoryBinding::sourceReaders(std::size_t)
{
    std::vector<GlobalEntryPoint*> readers;
    for (const auto& reader : m_readers)
        readers.push_back(reader.get());
    return readers;
}

std::shared_ptr<SpreadsheetApp> MemoryBinding::createInstance()
{
    m_state->log("start");
    if (m_state->startFailure)
        throw *m_state->startFailure;
    ++m_state->instances;
    m_state->lastVisible = false;
    m_state->lastAlerts = true;
    return std::make_shared<MemoryApp>(m_state);
}

GlobalEntryPoint& MemoryBinding::global() { return *m_readers.front(); }

NumericLocale MemoryBinding::numericLocale() { return m_numericLocale; }

} // namespace rm::mem
