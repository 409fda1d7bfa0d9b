// Running numbered pieces of work on a few threads at once.
#pragma once

#include <cstddef>
#include <functional>

namespace kes {

// Calls job(0), job(1), ... job(count - 1), each once, on up to `threads`
// threads, the calling thread among them, and returns when all are done.
// Threads take the next number as they become free, so pieces of uneven
// cost share out well. With one thread (or one piece) everything runs on the
// calling thread, in order. An exception thrown by a job is rethrown here
// once every thread has stopped; the pieces not yet started are then skipped.
void parallelFor(std::size_t count, int threads, const std::function<void(std::size_t)>& job);

} // namespace kes
