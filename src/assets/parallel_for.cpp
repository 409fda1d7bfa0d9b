#include "assets/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kes {

void parallelFor(std::size_t count, int threads, const std::function<void(std::size_t)>& job)
{
    const std::size_t helpers = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), count);
    if (helpers <= 1) {
        for (std::size_t i = 0; i < count; ++i)
            job(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorMutex;
    auto work = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= count || failed.load())
                return;
            try {
                job(i);
            } catch (...) {
                std::lock_guard lock(errorMutex);
                if (!error)
                    error = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::thread> others;
    others.reserve(helpers - 1);
    try {
        for (std::size_t t = 1; t < helpers; ++t)
            others.emplace_back(work);
    } catch (...) {
        // No thread to be had: the ones started and this one do the work.
    }
    work();
    for (std::thread& thread : others)
        thread.join();
    if (error)
        std::rethrow_exception(error);
}

} // namespace kes
