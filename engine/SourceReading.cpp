#include "engine/SourceReading.h"

#include "engine/ErrorTexts.h"
#include "engine/files/FileVersion.h"
#include "engine/SheetNames.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>

namespace rm {

SheetTexts GlobalEntryPoint::readSource(const std::string& path, int rows, int columns)
{
    SourceRequest request;
    request.active = SheetRead{{}, rows, columns};
    return readSheets(path, request).active;
}

SourceSheets GlobalEntryPoint::readSheets(const std::string& path, const SourceRequest& request)
{
    const std::shared_ptr<Workbook> workbook = openWorkbook(path);
    SourceSheets read = readRequestedSheets(*workbook, request, [](Worksheet& sheet, const SheetRead& wanted) {
        return readSheetTexts(sheet, wanted.rows, wanted.columns);
    });
    workbook->close();
    return read;
}

SourceSheets readRequestedSheets(Workbook& workbook, const SourceRequest& request, const SheetTextsReader& readTexts)
{
    SourceSheets read;
    if (request.active) {
        const std::shared_ptr<Worksheet> active = workbook.activeSheet();
        if (!request.byName.empty())
            read.activeName = active->name();
        read.active = readTexts(*active, *request.active);
    }
    if (request.byName.empty())
        return read;
    read.sheets = workbook.sheets();
    for (const SheetRead& wanted : request.byName) {
        SourceSheets::Named named;
        const SheetMatch match = findSheetByName(read.sheets, wanted.name);
        named.candidates = match.candidates;
        if (match.index) {
            named.foundName = read.sheets[*match.index].name;
            named.isActive = request.active && !read.activeName.empty() && named.foundName == read.activeName;
            if (!named.isActive)
                named.texts = readTexts(*workbook.worksheet(*match.index), wanted);
        }
        read.byName.push_back(std::move(named));
    }
    return read;
}

SourceSheets readUnchangedSource(GlobalEntryPoint& reader, const std::string& path, const SourceRequest& request)
{
    const std::optional<FileVersion> before = versionOf(path);
    SourceSheets sheets = reader.readSheets(path, request);
    if (versionOf(path) != before)
        throw ErrorText::sourceChangedWhileRead(path);
    return sheets;
}

namespace {

using Outcome = std::variant<SourceSheets, std::exception_ptr>;

// What the reader threads and the consuming thread share.
class ReadingQueue {
public:
    ReadingQueue(std::size_t sourceCount, std::size_t readerCount)
        : m_limit(sourceCount), m_lookAhead(2 * readerCount), m_active(readerCount)
    {
    }

    // Waits until the reader can read (true) or is not needed or cannot serve (false).
    bool waitUntilReady(GlobalEntryPoint& reader)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            if (m_stopped || m_next >= m_limit)
                return false;
            const auto state = reader.readerState();
            if (state != GlobalEntryPoint::ReaderState::Starting)
                return state == GlobalEntryPoint::ReaderState::Ready;
            m_changed.wait_for(lock, std::chrono::milliseconds(20));
        }
    }

    // The next source for a reader; nothing when no more is to be read.
    std::optional<std::size_t> take()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stopped || m_next >= m_limit || m_next < m_consumed + m_lookAhead; });
        if (m_stopped || m_next >= m_limit)
            return std::nullopt;
        return m_next++;
    }

    void put(std::size_t index, Outcome outcome)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (std::holds_alternative<std::exception_ptr>(outcome) && index < m_limit)
            m_limit = index + 1;   // nothing after a failure is needed
        m_ready.emplace(index, std::move(outcome));
        m_changed.notify_all();
    }

    void readerEnded()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        --m_active;
        m_changed.notify_all();
    }

    // Source `index`'s outcome, once read; nothing when every reader has ended without it.
    std::optional<Outcome> waitFor(std::size_t index)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_ready.count(index) != 0 || m_active == 0; });
        const auto found = m_ready.find(index);
        if (found == m_ready.end())
            return std::nullopt;
        Outcome outcome = std::move(found->second);
        m_ready.erase(found);
        return outcome;
    }

    void consumed(std::size_t index)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_consumed = index + 1;
        m_changed.notify_all();
    }

    void stop()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_next = 0;
    std::size_t m_limit;
    std::size_t m_consumed = 0;
    const std::size_t m_lookAhead;
    std::size_t m_active;
    bool m_stopped = false;
    std::map<std::size_t, Outcome> m_ready;
};

Outcome readOne(GlobalEntryPoint& reader, const std::string& path, const SourceRequest& request)
{
    try {
        return readUnchangedSource(reader, path, request);
    } catch (...) {
        return std::current_exception();
    }
}

// Stops the readers and waits for them, however the consuming thread leaves.
class ReaderThreads {
public:
    explicit ReaderThreads(ReadingQueue& queue) : m_queue(queue) {}
    ~ReaderThreads()
    {
        m_queue.stop();
        for (auto& thread : m_threads)
            thread.join();
    }
    ReaderThreads(const ReaderThreads&) = delete;
    ReaderThreads& operator=(const ReaderThreads&) = delete;

    void start(GlobalEntryPoint& reader, const std::vector<std::string>& sources, const SourceRequest& request)
    {
        m_threads.emplace_back([this, &reader, &sources, &request] {
            if (m_queue.waitUntilReady(reader))
                while (const auto index = m_queue.take())
                    m_queue.put(*index, readOne(reader, sources[*index], request));
            m_queue.readerEnded();
        });
    }

private:
    ReadingQueue& m_queue;
    std::vector<std::thread> m_threads;
};

void consumeOutcome(std::size_t index, Outcome&& outcome, const SourceConsumer& consume)
{
    if (auto* failure = std::get_if<std::exception_ptr>(&outcome))
        std::rethrow_exception(*failure);
    consume(index, std::get<SourceSheets>(std::move(outcome)));
}

} // namespace

void readSourcesInOrder(const std::vector<GlobalEntryPoint*>& readers, const std::vector<std::string>& sources,
                        const SourceRequest& request, const SourceConsumer& consume)
{
    if (readers.empty())
        return;
    if (readers.size() == 1 || sources.size() < 2) {
        for (std::size_t i = 0; i < sources.size(); ++i)
            consume(i, readUnchangedSource(*readers.front(), sources[i], request));
        return;
    }
    ReadingQueue queue(sources.size(), readers.size());
    ReaderThreads threads(queue);
    for (GlobalEntryPoint* reader : readers)
        threads.start(*reader, sources, request);
    try {
        for (std::size_t i = 0; i < sources.size(); ++i) {
            std::optional<Outcome> outcome = queue.waitFor(i);
            if (!outcome) {
                // No reader could serve (none of their offices started): read on this thread.
                // Every reader thread has ended, so the first reader is free.
                outcome = readOne(*readers.front(), sources[i], request);
            }
            consumeOutcome(i, std::move(*outcome), consume);
            queue.consumed(i);
        }
    } catch (...) {
        // The run has failed: every office of it ends now. One that stopped
        // answering, busy or idle, must not hold the end for a deadline of
        // its own (the first failure cost one already).
        queue.stop();
        for (GlobalEntryPoint* reader : readers)
            reader->abandon();
        throw;
    }
}

} // namespace rm
