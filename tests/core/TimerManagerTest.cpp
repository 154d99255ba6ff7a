// The shared timer: its period, and when each item's callback comes, through item
// changes, wraparound of the tick counter and items made or destroyed by callbacks.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/tray/TimerManager.h"
#include "fakes/FakeTicks.h"

namespace kex {
namespace {

struct Op {
    enum Kind { Make, Enable, Disable, Interval, Destroy, DestroyOnFire, MakeOnFire, ManagerOff, ManagerOn, Run } kind;
    char item = 0;           // the item acted on (Run: none)
    std::uint32_t value = 0; // Make, MakeOnFire, Interval: the interval; Run: until (ms)
    char other = 0;          // DestroyOnFire, MakeOnFire: the item destroyed or made
};

struct Scenario {
    const char* name;
    std::uint32_t clockBase;
    std::vector<Op> ops;
    std::vector<std::pair<char, std::uint64_t>> fired; // item and ms since the start
    std::uint32_t period;                              // at the end (0: stopped)
};

class Harness {
public:
    explicit Harness(std::uint32_t base) : ticks(base), manager(ticks, ticks) {}

    void Apply(const Op& op)
    {
        switch (op.kind) {
        case Op::Make: Make(op.item, op.value); break;
        case Op::Enable: items.at(op.item)->SetEnabled(true); break;
        case Op::Disable: items.at(op.item)->SetEnabled(false); break;
        case Op::Interval: items.at(op.item)->SetInterval(op.value); break;
        case Op::Destroy: items.erase(op.item); break;
        case Op::DestroyOnFire:
        case Op::MakeOnFire: onFire[op.item].push_back(op); break;
        case Op::ManagerOff: manager.SetEnabled(false); break;
        case Op::ManagerOn: manager.SetEnabled(true); break;
        case Op::Run: ticks.RunUntil(op.value, manager); break;
        }
    }

    FakeTicks ticks;
    TRWTimerManager manager;
    std::map<char, std::unique_ptr<TRWTimerItem>> items;
    std::map<char, std::vector<Op>> onFire; // done once, at the item's next firing
    std::vector<std::pair<char, std::uint64_t>> fired;

private:
    void Make(char name, std::uint32_t interval)
    {
        items[name] = std::make_unique<TRWTimerItem>(manager, interval, [this, name](TRWTimerItem&) {
            fired.emplace_back(name, ticks.elapsed);
            const std::vector<Op> actions = std::exchange(onFire[name], {});
            for (const Op& a : actions) {
                if (a.kind == Op::DestroyOnFire) {
                    items.erase(a.other);
                } else {
                    Make(a.other, a.value);
                    items.at(a.other)->SetEnabled(true);
                }
            }
        });
    }
};

TEST(TimerManager, OneTimerAtTheShortestIntervalDrivesEveryItem)
{
    constexpr std::uint32_t kNearWrap = 0xFFFFFFFFu - 100; // wraps 101 ms after the start
    const Scenario scenarios[] = {
        {"125 and 200: the timer runs at 125 and the 200-ms item waits for whole ticks",
         0,
         {{Op::Make, 'a', 125}, {Op::Enable, 'a'}, {Op::Make, 'b', 200}, {Op::Enable, 'b'}, {Op::Run, 0, 760}},
         {{'a', 125}, {'a', 250}, {'b', 250}, {'a', 375}, {'a', 500}, {'b', 500}, {'a', 625}, {'a', 750}, {'b', 750}},
         125},
        {"a long interval still ticks at 150 and fires on the first tick past it",
         0,
         {{Op::Make, 'a', 1000}, {Op::Enable, 'a'}, {Op::Run, 0, 2200}},
         {{'a', 1050}, {'a', 2100}},
         150},
        {"the same across the counter's wrap",
         kNearWrap,
         {{Op::Make, 'a', 125}, {Op::Enable, 'a'}, {Op::Make, 'b', 200}, {Op::Enable, 'b'}, {Op::Run, 0, 510}},
         {{'a', 125}, {'a', 250}, {'b', 250}, {'a', 375}, {'a', 500}, {'b', 500}},
         125},
        {"a disabled item neither counts nor fires; enabling it restarts every period",
         0,
         {{Op::Make, 'a', 100}, {Op::Make, 'b', 200}, {Op::Enable, 'b'}, {Op::Run, 0, 310},
          {Op::Enable, 'a'}, {Op::Run, 0, 520}},
         {{'b', 300}, {'a', 410}, {'a', 510}, {'b', 510}},
         100},
        {"a new interval of a running item reschedules; of a stopped one it does not",
         0,
         {{Op::Make, 'a', 125}, {Op::Enable, 'a'}, {Op::Make, 'b', 60}, {Op::Interval, 'b', 70},
          {Op::Run, 0, 130}, {Op::Interval, 'a', 55}, {Op::Run, 0, 250}},
         {{'a', 125}, {'a', 185}, {'a', 240}},
         55},
        {"intervals are bounded to 55 ms and up",
         0,
         {{Op::Make, 'a', 10}, {Op::Enable, 'a'}, {Op::Run, 0, 120}},
         {{'a', 55}, {'a', 110}},
         55},
        {"the last item going stops the timer",
         0,
         {{Op::Make, 'a', 125}, {Op::Enable, 'a'}, {Op::Run, 0, 130}, {Op::Disable, 'a'}, {Op::Run, 0, 600}},
         {{'a', 125}},
         0},
        {"a destroyed item leaves the schedule",
         0,
         {{Op::Make, 'a', 125}, {Op::Enable, 'a'}, {Op::Make, 'b', 60}, {Op::Enable, 'b'}, {Op::Run, 0, 130},
          {Op::Destroy, 'b'}, {Op::Run, 0, 380}},
         {{'b', 60}, {'b', 120}, {'a', 255}, {'a', 380}},
         125},
        {"a callback destroys a later item of the same tick, and then itself",
         0,
         {{Op::Make, 'a', 100}, {Op::Enable, 'a'}, {Op::Make, 'b', 100}, {Op::Enable, 'b'},
          {Op::DestroyOnFire, 'a', 0, 'b'}, {Op::Run, 0, 150}, {Op::DestroyOnFire, 'a', 0, 'a'},
          {Op::Run, 0, 500}},
         {{'a', 100}, {'a', 200}},
         0},
        {"an item made by a callback waits for the next tick and joins the schedule",
         0,
         {{Op::Make, 'a', 125}, {Op::Enable, 'a'}, {Op::MakeOnFire, 'a', 60, 'c'}, {Op::Run, 0, 250}},
         {{'a', 125}, {'c', 185}, {'c', 245}},
         60},
        {"a disabled manager delivers nothing; enabling it starts every period anew",
         0,
         {{Op::Make, 'a', 100}, {Op::Enable, 'a'}, {Op::Run, 0, 150}, {Op::ManagerOff}, {Op::Run, 0, 400},
          {Op::ManagerOn}, {Op::Run, 0, 520}},
         {{'a', 100}, {'a', 500}},
         100},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        Harness h(s.clockBase);
        for (const Op& op : s.ops)
            h.Apply(op);
        EXPECT_EQ(h.fired, s.fired);
        EXPECT_EQ(h.manager.Period(), s.period);
        EXPECT_EQ(h.ticks.running, s.period != 0);
        if (s.period != 0) {
            EXPECT_EQ(h.ticks.period, s.period);
        }
    }
}

} // namespace
} // namespace kex
