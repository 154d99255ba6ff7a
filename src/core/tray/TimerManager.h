// One periodic timer that drives any number of millisecond callbacks: the tray
// icon's animation frames, its click resolution and its pointer-leave poll share it.
// The clock and the timer are faces the window layer implements (a monotonic clock
// and a precise timer); tests drive them by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace kex {

// Milliseconds of a monotonic counter that wraps at 2^32; only differences count.
class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t Now() const = 0;
};

// The one periodic timer. Start runs it every intervalMs (restarting it when it runs);
// it must not fire early, or an item due at the same period waits a whole period
// more. Each firing calls TRWTimerManager::Tick.
class TickTimer {
public:
    virtual ~TickTimer() = default;
    virtual void Start(std::uint32_t intervalMs) = 0;
    virtual void Stop() = 0;
};

class TRWTimerManager;

// One callback at its own interval. An item belongs to the manager it was made on for
// its whole life and leaves it when destroyed, also from inside its own callback.
class TRWTimerItem {
public:
    using Callback = std::function<void(TRWTimerItem&)>;
    static constexpr std::uint32_t kMinInterval = 55;
    static constexpr std::uint32_t kMaxInterval = 100000;

    // Disabled; the interval is bounded to kMinInterval..kMaxInterval.
    TRWTimerItem(TRWTimerManager& manager, std::uint32_t intervalMs, Callback callback);
    ~TRWTimerItem();
    TRWTimerItem(const TRWTimerItem&) = delete;
    TRWTimerItem& operator=(const TRWTimerItem&) = delete;

    bool Enabled() const { return enabled_; }
    std::uint32_t Interval() const { return interval_; }
    // A change of either (of the interval, while enabled) reschedules the manager.
    void SetEnabled(bool enabled);
    void SetInterval(std::uint32_t intervalMs);
    // Enabled with a fresh period of intervalMs, also when it was running.
    void Restart(std::uint32_t intervalMs);

private:
    friend class TRWTimerManager;
    bool Active() const { return enabled_ && callback_ != nullptr; }

    TRWTimerManager* manager_;
    std::uint32_t interval_;
    Callback callback_;
    bool enabled_ = false;
    std::uint32_t lastFired_ = 0;
};

class TRWTimerManager {
public:
    // Starts enabled; the clock and the timer outlive the manager.
    TRWTimerManager(const TickClock& clock, TickTimer& timer);
    ~TRWTimerManager();
    TRWTimerManager(const TRWTimerManager&) = delete;
    TRWTimerManager& operator=(const TRWTimerManager&) = delete;

    bool Enabled() const { return enabled_; }
    // Enabling reschedules; a disabled manager stops its timer and delivers nothing.
    void SetEnabled(bool enabled);
    // The timer's period: the smallest interval of the enabled items with a callback,
    // at most 150 ms; 0 while the timer is stopped.
    std::uint32_t Period() const { return period_; }
    // One firing of the timer: every enabled item, in the order they were made, whose
    // interval has elapsed since it last fired (unsigned tick difference) gets its
    // callback and counts its period from now. Items made, changed or destroyed by a
    // callback take effect at once; an item made during a firing waits for the next.
    void Tick();

    static constexpr std::uint32_t kMaxPeriod = 150;

private:
    friend class TRWTimerItem;
    void Add(TRWTimerItem* item);
    void Remove(TRWTimerItem* item);
    // Restarts the timer at the period the active items ask for; every active item's
    // period begins anew.
    void Reschedule();

    const TickClock& clock_;
    TickTimer& timer_;
    std::vector<TRWTimerItem*> items_; // null where an item left during a firing
    bool enabled_ = true;
    bool ticking_ = false;
    std::uint32_t period_ = 0;
};

} // namespace kex
