// The shared timer: its period, and when each item's callback comes, also across the
// tick counter's wrap and with items made or destroyed by callbacks.
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
    enum Kind { Make, Disable, Destroy, KillOnFire, MakeOnFire, Manager, Run } kind;
    char item = 0;           // KillOnFire, MakeOnFire: the item whose next callback acts
    std::uint32_t value = 0; // Make, MakeOnFire: the interval; Manager: on; Run: until (ms since the start)
    char other = 0;          // KillOnFire, MakeOnFire: the item destroyed or made
};

struct Harness {
    explicit Harness(std::uint32_t base) : ticks(base), manager(ticks, ticks) {}

    // An enabled item that logs its callbacks and then does what is waiting for it.
    void Make(char name, std::uint32_t interval)
    {
        items[name] = std::make_unique<TRWTimerItem>(manager, interval, [this, name](TRWTimerItem&) {
            fired.emplace_back(name, ticks.elapsed);
            for (const Op& a : std::exchange(onFire[name], {})) {
                if (a.kind == Op::KillOnFire)
                    items.erase(a.other);
                else
                    Make(a.other, a.value);
            }
        });
        items[name]->SetEnabled(true);
    }

    FakeTicks ticks;
    TRWTimerManager manager;
    std::map<char, std::unique_ptr<TRWTimerItem>> items;
    std::map<char, std::vector<Op>> onFire;
    std::vector<std::pair<char, std::uint64_t>> fired;
};

TEST(TimerManager, OneTimerAtTheShortestIntervalDrivesEveryItem)
{
    struct Scenario {
        const char* name;
        std::vector<Op> ops;
        std::vector<std::pair<char, std::uint64_t>> fired;
        std::uint32_t period; // at the end; 0: stopped
    };
    const Scenario scenarios[] = {
        {"125 and 200: the timer runs at 125, the 200-ms item on the first tick past its interval",
         {{Op::Make, 'a', 125}, {Op::Make, 'b', 200}, {Op::Run, 0, 510}},
         {{'a', 125}, {'a', 250}, {'b', 250}, {'a', 375}, {'a', 500}, {'b', 500}},
         125},
        {"never above 150 ms", {{Op::Make, 'a', 1000}, {Op::Run, 0, 2200}}, {{'a', 1050}, {'a', 2100}}, 150},
        {"at least 55 ms", {{Op::Make, 'a', 10}, {Op::Run, 0, 120}}, {{'a', 55}, {'a', 110}}, 55},
        {"an item leaving restarts every period; the last one stops the timer",
         {{Op::Make, 'a', 125},
          {Op::Make, 'b', 60},
          {Op::Run, 0, 130},
          {Op::Destroy, 'b'},
          {Op::Run, 0, 260},
          {Op::Disable, 'a'},
          {Op::Run, 0, 900}},
         {{'b', 60}, {'b', 120}, {'a', 255}},
         0},
        {"a callback destroys a later item of the same tick, then itself",
         {{Op::Make, 'a', 100},
          {Op::Make, 'b', 100},
          {Op::KillOnFire, 'a', 0, 'b'},
          {Op::Run, 0, 150},
          {Op::KillOnFire, 'a', 0, 'a'},
          {Op::Run, 0, 500}},
         {{'a', 100}, {'a', 200}},
         0},
        {"an item made by a callback waits for the next tick and joins the schedule",
         {{Op::Make, 'a', 125}, {Op::MakeOnFire, 'a', 60, 'c'}, {Op::Run, 0, 250}},
         {{'a', 125}, {'c', 185}, {'c', 245}},
         60},
        {"a disabled manager delivers nothing; enabled again, every period starts anew",
         {{Op::Make, 'a', 100},
          {Op::Run, 0, 150},
          {Op::Manager, 0, 0},
          {Op::Run, 0, 400},
          {Op::Manager, 0, 1},
          {Op::Run, 0, 520}},
         {{'a', 100}, {'a', 500}},
         100},
    };
    // Each scenario from the counter's start and across its wrap (101 ms in).
    for (const std::uint32_t base : {0u, 0xFFFFFFFFu - 100}) {
        for (const Scenario& s : scenarios) {
            SCOPED_TRACE(std::string(s.name) + ", clock from " + std::to_string(base));
            Harness h(base);
            for (const Op& op : s.ops) {
                if (op.kind == Op::Make)
                    h.Make(op.item, op.value);
                else if (op.kind == Op::Disable)
                    h.items.at(op.item)->SetEnabled(false);
                else if (op.kind == Op::Destroy)
                    h.items.erase(op.item);
                else if (op.kind == Op::Manager)
                    h.manager.SetEnabled(op.value != 0);
                else if (op.kind == Op::Run)
                    h.ticks.RunUntil(op.value, h.manager);
                else
                    h.onFire[op.item].push_back(op);
            }
            EXPECT_EQ(h.fired, s.fired);
            EXPECT_EQ(h.manager.Period(), s.period);
            EXPECT_EQ(h.ticks.running ? h.ticks.period : 0u, s.period);
        }
    }
}

} // namespace
} // namespace kex
