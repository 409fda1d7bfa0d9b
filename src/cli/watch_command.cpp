#include <atomic>
#include <csignal>
#include <ctime>
#include <iostream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/commands.h"
#include "cli/project_generation.h"
#include "model/counted_text.h"
#include "model/printable_text.h"
#include "watch/file_watch.h"

namespace kes::cli {
namespace {

// Set by Ctrl+C (SIGINT or SIGTERM, or the console's events on Windows): the
// watch ends once the generation under way, if any, has finished, so that no
// temporary file is left.
std::atomic<bool> stopRequested{false};

#ifdef _WIN32
BOOL WINAPI stopOnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    stopRequested = true;
    return TRUE;
}

void catchStopRequests()
{
    SetConsoleCtrlHandler(stopOnConsoleEvent, TRUE);
}
#else
extern "C" void stopOnSignal(int)
{
    stopRequested = true;
}

void catchStopRequests()
{
    struct sigaction action = {};
    action.sa_handler = stopOnSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes go on; the wait for changes ends at once all the same.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
#endif

// The local time of day, "14:03:27".
std::string timeOfDay()
{
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[16] = {};
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

} // namespace

int runWatch(const GenerateRequest& request)
{
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    catchStopRequests();
    const SteadyWatchClock clock;
    const std::unique_ptr<FolderNotifier> notifier = makeSystemNotifier();
    FileWatch watch(*notifier, clock);
    std::cerr << "watching '" << printableText(request.projectPath)
              << "' and every file it reads; Ctrl+C ends the watch\n";
    // The files as they are before the first generation: a change made while
    // it runs makes another.
    watch.watch(projectFiles(request.projectPath));
    do {
        const ProjectGeneration run = generateProject(request, false);
        watch.watch(run.inputs);
        std::cout << timeOfDay() << ' '
                  << (run.error.empty() ? "generated '" + printableText(run.target) + "'"
                                        : "error: " + printableText(run.error))
                  << " (" << countedText(run.warnings, "warning") << ")" << std::endl;
    } while (watch.waitForBurst(stopRequested));
    return 0;
}

} // namespace kes::cli
