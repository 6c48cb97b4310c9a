#include "ui/OffThread.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <atomic>
#include <exception>
#include <thread>

namespace rm::ui {

void runOffThread(const std::function<void()>& work)
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    std::atomic<bool> finished{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true);
        if (dispatcher)
            dispatcher->wakeUp();
    });
    // Not a nested QEventLoop: one would return at once after a quit request
    // (a termination signal), and the worker must still be waited for.
    while (!finished.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace rm::ui
