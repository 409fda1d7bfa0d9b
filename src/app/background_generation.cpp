#include "app/background_generation.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include <QEventLoop>
#include <QMetaObject>

namespace kes::editor {

GenerationResult generateWhileEventsRun(const LevelProject& project, const std::string& outputPath,
                                        GenerationOptions options,
                                        const std::function<void(int layer, int layerCount)>& showProgress)
{
    QEventLoop loop;
    // The worker's reports are queued to `mailbox` and run here, in the order
    // the worker sent them; the last one ends the loop. Both objects outlive
    // the worker (joined below), and queued calls still pending when they
    // are destroyed are dropped with them.
    QObject mailbox;
    // The worker goes on with a layer only once its report has been shown
    // (or the loop has ended), so that what the user sees is the layer being
    // written, and a Cancel pressed while it shows stops the generation
    // before the next part.
    std::mutex shownMutex;
    std::condition_variable shownChanged;
    int reportsShown = 0;
    bool loopEnded = false;
    int reportsSent = 0; // on the worker only
    options.progress = [&](int layer, int layerCount) {
        QMetaObject::invokeMethod(
            &mailbox,
            [&, layer, layerCount] {
                showProgress(layer, layerCount);
                {
                    std::lock_guard lock(shownMutex);
                    ++reportsShown;
                }
                shownChanged.notify_all();
            },
            Qt::QueuedConnection);
        const int sent = ++reportsSent;
        std::unique_lock lock(shownMutex);
        shownChanged.wait(lock, [&] { return reportsShown >= sent || loopEnded; });
    };

    GenerationResult result;
    std::exception_ptr thrown;
    // The lambda's copies of the project, the path and the options are made
    // here, before the worker starts.
    std::thread worker([&result, &thrown, &mailbox, &loop, project, outputPath, options = std::move(options)] {
        try {
            result = kes::generateLevel(project, outputPath, options);
        } catch (...) {
            thrown = std::current_exception();
        }
        QMetaObject::invokeMethod(&mailbox, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    {
        std::lock_guard lock(shownMutex);
        loopEnded = true;
    }
    shownChanged.notify_all();
    // The loop also ends when the whole application is told to quit; the
    // generation still uses the data of this frame, so wait for it.
    worker.join();
    if (thrown)
        std::rethrow_exception(thrown);
    return result;
}

} // namespace kes::editor
