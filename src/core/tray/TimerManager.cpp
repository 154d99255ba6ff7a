#include "core/tray/TimerManager.h"

#include <algorithm>

namespace kex {

namespace {
std::uint32_t Bounded(std::uint32_t intervalMs)
{
    return std::clamp(intervalMs, TRWTimerItem::kMinInterval, TRWTimerItem::kMaxInterval);
}
} // namespace

TRWTimerItem::TRWTimerItem(TRWTimerManager& manager, std::uint32_t intervalMs, Callback callback)
    : manager_(&manager), interval_(Bounded(intervalMs)), callback_(std::move(callback))
{
    manager_->Add(this);
}

TRWTimerItem::~TRWTimerItem()
{
    if (manager_)
        manager_->Remove(this);
}

void TRWTimerItem::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (manager_)
        manager_->Reschedule();
}

void TRWTimerItem::SetInterval(std::uint32_t intervalMs)
{
    intervalMs = Bounded(intervalMs);
    if (intervalMs == interval_)
        return;
    interval_ = intervalMs;
    if (enabled_ && manager_)
        manager_->Reschedule();
}

void TRWTimerItem::Restart(std::uint32_t intervalMs)
{
    interval_ = Bounded(intervalMs);
    enabled_ = true;
    if (manager_)
        manager_->Reschedule();
}

TRWTimerManager::TRWTimerManager(const TickClock& clock, TickTimer& timer) : clock_(clock), timer_(timer) {}

TRWTimerManager::~TRWTimerManager()
{
    timer_.Stop();
    for (TRWTimerItem* item : items_)
        if (item)
            item->manager_ = nullptr;
}

void TRWTimerManager::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled_) {
        Reschedule();
    } else {
        timer_.Stop();
        period_ = 0;
    }
}

void TRWTimerManager::Add(TRWTimerItem* item) { items_.push_back(item); }

void TRWTimerManager::Remove(TRWTimerItem* item)
{
    const auto at = std::find(items_.begin(), items_.end(), item);
    if (at == items_.end())
        return;
    const bool wasActive = item->Active();
    // During a firing the list keeps its length; the hole is closed afterwards.
    if (ticking_)
        *at = nullptr;
    else
        items_.erase(at);
    if (wasActive)
        Reschedule();
}

void TRWTimerManager::Reschedule()
{
    if (!enabled_)
        return;
    timer_.Stop();
    period_ = 0;
    std::uint32_t shortest = kMaxPeriod;
    bool any = false;
    const std::uint32_t now = clock_.Now();
    for (TRWTimerItem* item : items_) {
        if (!item || !item->Active())
            continue;
        any = true;
        shortest = std::min(shortest, item->interval_);
        item->lastFired_ = now;
    }
    if (any) {
        period_ = shortest;
        timer_.Start(shortest);
    }
}

void TRWTimerManager::Tick()
{
    if (!enabled_ || ticking_)
        return;
    ticking_ = true;
    // By index: callbacks may append items (whose period has just begun) and leave
    // holes for items they destroy.
    for (std::size_t i = 0; i < items_.size() && enabled_; ++i) {
        TRWTimerItem* item = items_[i];
        if (!item || !item->Active())
            continue;
        if (static_cast<std::uint32_t>(clock_.Now() - item->lastFired_) < item->interval_)
            continue;
        // A copy, so that a callback may destroy its own item.
        const TRWTimerItem::Callback callback = item->callback_;
        callback(*item);
        if (items_[i] == item)
            item->lastFired_ = clock_.Now();
    }
    ticking_ = false;
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

} // namespace kex
