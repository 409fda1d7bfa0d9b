// Work on a thread of its own while the calling thread's event loop goes on,
// so that windows repaint during a long check.
#pragma once

#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include <QEventLoop>
#include <QMetaObject>
#include <QObject>

namespace kes::editor {

// Runs `work` (which must not touch widgets) on a worker thread and runs a
// local event loop until it has finished; returns its result, or throws
// again what it threw. Keeping the user from starting something else
// meanwhile is the caller's job.
template <typename Work>
auto workWhileEventsRun(Work work) -> decltype(work())
{
    QEventLoop loop;
    QObject mailbox; // the worker's "finished" is queued here
    std::optional<decltype(work())> result;
    std::exception_ptr thrown;
    std::thread worker([&] {
        try {
            result.emplace(work());
        } catch (...) {
            thrown = std::current_exception();
        }
        QMetaObject::invokeMethod(&mailbox, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join(); // the loop also ends when the application quits
    if (thrown)
        std::rethrow_exception(thrown);
    return std::move(*result);
}

} // namespace kes::editor
