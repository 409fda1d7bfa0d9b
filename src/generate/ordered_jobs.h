// Numbered jobs run on a few worker threads, handed back in number order.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace kes {

// Runs job(0), job(1), ... job(count - 1) on `threads` worker threads and
// hands their results to one consumer in number order through take(). The
// workers start at once, taking jobs in number order, and run at most
// `window` jobs ahead of the consumer: a job is started only while fewer
// than `window` results are started but not yet taken, which bounds the
// memory that results waiting to be taken hold.
//
// With no worker threads (threads = 0) there is no thread at all: take()
// runs the next job itself, on the consumer's thread.
//
// `job` is called on the worker threads, several at once. An exception it
// throws is rethrown by the take() of its result. Destroying the object
// stops handing out jobs, waits for the running ones and drops every result
// not taken.
template <typename Result>
class OrderedJobs {
public:
    OrderedJobs(std::size_t count, int threads, std::size_t window, std::function<Result(std::size_t)> job)
        : count_(count), window_(std::max<std::size_t>(window, 1)), job_(std::move(job)), slots_(window_)
    {
        const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 0)), count);
        workers_.reserve(workers);
        for (std::size_t i = 0; i < workers; ++i)
            workers_.emplace_back([this] { work(); });
    }

    ~OrderedJobs()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        jobAllowed_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }

    OrderedJobs(const OrderedJobs&) = delete;
    OrderedJobs& operator=(const OrderedJobs&) = delete;

    // The result of the next job in number order, once it is done. Call it at
    // most `count` times.
    Result take()
    {
        if (workers_.empty())
            return job_(taken_++);
        std::unique_lock lock(mutex_);
        Slot& slot = slots_[taken_ % window_];
        resultReady_.wait(lock, [&] { return slot.done; });
        std::optional<Result> result = std::move(slot.result);
        std::exception_ptr error = slot.error;
        slot = Slot{};
        ++taken_;
        lock.unlock();
        jobAllowed_.notify_all();
        if (error)
            std::rethrow_exception(error);
        return std::move(*result);
    }

private:
    struct Slot {
        std::optional<Result> result;
        std::exception_ptr error;
        bool done = false;
    };

    void work()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            jobAllowed_.wait(lock, [&] { return stopping_ || next_ == count_ || next_ < taken_ + window_; });
            if (stopping_ || next_ == count_)
                return;
            const std::size_t index = next_++;
            lock.unlock();
            std::optional<Result> result;
            std::exception_ptr error;
            try {
                result.emplace(job_(index));
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            Slot& slot = slots_[index % window_];
            slot.result = std::move(result);
            slot.error = error;
            slot.done = true;
            resultReady_.notify_all();
        }
    }

    const std::size_t count_;
    const std::size_t window_;
    const std::function<Result(std::size_t)> job_;
    std::mutex mutex_;
    std::condition_variable jobAllowed_;
    std::condition_variable resultReady_;
    std::vector<Slot> slots_;       // job i's result lives in slot i % window_
    std::size_t next_ = 0;          // the next job to start
    std::size_t taken_ = 0;         // results taken so far
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace kes
