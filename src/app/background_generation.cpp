#include "app/background_generation.h"

#include <exception>
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
    options.progress = [&mailbox, &showProgress](int layer, int layerCount) {
        QMetaObject::invokeMethod(
            &mailbox, [&showProgress, layer, layerCount] { showProgress(layer, layerCount); },
            Qt::QueuedConnection);
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
    // The loop also ends when the whole application is told to quit; the
    // generation still uses the data of this frame, so wait for it.
    worker.join();
    if (thrown)
        std::rethrow_exception(thrown);
    return result;
}

} // namespace kes::editor
