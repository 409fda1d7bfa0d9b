// The time a file watch goes by: the steady clock, or a clock a test moves.
#pragma once

#include <chrono>

namespace kes {

using WatchTime = std::chrono::steady_clock::time_point;

class WatchClock {
public:
    virtual ~WatchClock() = default;
    virtual WatchTime now() const = 0;
};

class SteadyWatchClock final : public WatchClock {
public:
    WatchTime now() const override { return std::chrono::steady_clock::now(); }
};

} // namespace kes
