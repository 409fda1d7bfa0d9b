#include <algorithm>
#include <thread>

#include "watch/folder_notifier.h"

namespace kes {

bool PollingNotifier::wait(std::chrono::milliseconds timeout)
{
    std::this_thread::sleep_for(std::clamp(timeout, std::chrono::milliseconds(0), interval_));
    return true;
}

} // namespace kes
