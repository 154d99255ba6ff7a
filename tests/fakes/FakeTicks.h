// A hand-driven tick clock and timer for the timer manager: time moves only when a
// test runs it, and the timer fires exactly on its period. The clock may start
// anywhere, so that a run crosses the 32-bit wrap.
#pragma once

#include <cstdint>

#include "core/tray/TimerManager.h"

namespace kex {

class FakeTicks : public TickClock, public TickTimer {
public:
    explicit FakeTicks(std::uint32_t base = 0) : base_(base) {}

    // The counter wraps; `elapsed` does not.
    std::uint32_t Now() const override { return static_cast<std::uint32_t>(base_ + elapsed); }
    void Start(std::uint32_t intervalMs) override
    {
        running = true;
        period = intervalMs;
        next_ = elapsed + intervalMs;
    }
    void Stop() override { running = false; }

    // Fires the timer at each of its periods up to `until` (ms since the start).
    void RunUntil(std::uint64_t until, TRWTimerManager& manager)
    {
        while (running && next_ <= until) {
            elapsed = next_;
            next_ = elapsed + period;
            manager.Tick();
        }
        elapsed = until;
    }

    std::uint64_t elapsed = 0;
    bool running = false;
    std::uint32_t period = 0;

private:
    std::uint64_t base_;
    std::uint64_t next_ = 0;
};

} // namespace kex
