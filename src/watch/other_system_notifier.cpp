// Systems without a notifier here: the files are compared every so often.
#include "watch/folder_notifier.h"

namespace kes {

std::unique_ptr<FolderNotifier> makeSystemNotifier()
{
    return std::make_unique<PollingNotifier>();
}

} // namespace kes
