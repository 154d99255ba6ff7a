// The tray icon without its widget: timed sequences of what the desktop reports
// (presses, double clicks, the pointer) and what the bar sets (presence, the animated
// state, the hint) on one shared timer, against the events raised and what is asked
// of the desktop.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/tray/TrayIconModel.h"
#include "core/tray/TrayMouse.h"
#include "fakes/FakeTicks.h"

namespace kex {
namespace {

struct Step {
    enum Kind { Press, Double, Move, Cursor, CursorFails, Run, Activate, Deactivate, Animate, Hint } kind;
    int a = 0, b = 0; // Press, Double: the button; Move, Cursor: x, y; Run: until (ms)
    std::string text = {};
};

class Harness : public TrayIconShell, public PointerQuery {
public:
    explicit Harness(const TrayListeners& listeners)
        : manager(ticks, ticks), model(manager, *this, nullptr), mouse(manager, *this, [this](const TrayReport& r) {
              static const char* const names[] = {"click", "dblclick", "move", "enter", "exit", "popup"};
              Log(names[int(r.event)] + (" " + std::to_string(r.pos.X) + "," + std::to_string(r.pos.Y)));
          })
    {
        mouse.SetListeners(listeners);
        // The bar's own animation.
        model.SetAnimationOptions(TRWTrayIconAnimationOptions::aoIconsInExe);
        model.SetAnimationIcons({"run3", "Run2", "RUN1"});
        model.SetAnimationInterval(125);
    }

    void Apply(const Step& s)
    {
        switch (s.kind) {
        case Step::Press: mouse.ButtonDown(TrayButton(s.a)); break;
        case Step::Double: mouse.DoubleClick(TrayButton(s.a)); break;
        case Step::Move: mouse.MouseMove({s.a, s.b}); break;
        case Step::Cursor: cursor_ = GaugePoint{s.a, s.b}; break;
        case Step::CursorFails: cursor_.reset(); break;
        case Step::Run: ticks.RunUntil(std::uint64_t(s.a), manager); break;
        case Step::Activate: model.SetActive(true); break;
        case Step::Deactivate: model.SetActive(false); break;
        case Step::Animate: model.SetState(TRWTrayIconState::tsAnimated); break;
        case Step::Hint: model.SetHint(s.text); break;
        }
    }

    FakeTicks ticks;
    TRWTimerManager manager;
    TrayIconModel model;
    TrayMouse mouse;
    std::vector<std::string> log;

private:
    void Log(const std::string& what) { log.push_back(std::to_string(ticks.elapsed) + " " + what); }
    // A frame by its name; the icon by its own.
    static std::string Name(const TrayPicture& p) { return p.source == TrayPicture::Source::Icon ? "Icon" : p.name; }
    void Add(const TrayPicture& p, const std::string& tip) override { Log("add " + Name(p) + " '" + tip + "'"); }
    void Modify(const TrayPicture& p, const std::string& tip) override { Log(Name(p) + " '" + tip + "'"); }
    void Delete() override { Log("delete"); }
    std::optional<GaugePoint> CursorPos() const override { return cursor_; }

    std::optional<GaugePoint> cursor_;
};

TEST(TrayIcon, EventSequences)
{
    constexpr int L = int(TrayButton::Left), R = int(TrayButton::Right), M = int(TrayButton::Middle);
    const TrayListeners none{}, dbl{.dblClick = true}, popup{.popup = true};
    const TrayListeners hover{.mouseEnterExit = true}, moves{.mouseMove = true};
    // 62 letters, then a two-byte letter as the 63rd character; a stray continuation
    // byte counts as a character of its own.
    const std::string k62(62, 'k');
    const std::string hint = k62 + "\xC3\xA9" + "-and-more", stray = k62 + "\x80\xC3\xA9";
    struct Sequence {
        const char* name;
        TrayListeners listeners;
        std::vector<Step> steps;
        std::vector<std::string> log; // "<ms> <what>"
    };
    const Sequence sequences[] = {
        {"nobody listens for double clicks: a press is a click 100 ms later",
         none,
         {{Step::Press, L}, {Step::Run, 300}},
         {"100 click 0,0"}},
        {"with a double-click listener a press waits past 400 ms, to the timer's first tick after it",
         dbl,
         {{Step::Press, L}, {Step::Run, 800}},
         {"450 click 0,0"}},
        {"a double click within the wait is only a double click",
         dbl,
         {{Step::Press, L}, {Step::Run, 200}, {Step::Double, L}, {Step::Run, 800}},
         {"200 dblclick 0,0"}},
        {"a double click after the click resolved follows it",
         none,
         {{Step::Press, L}, {Step::Run, 250}, {Step::Double, L}, {Step::Run, 800}},
         {"100 click 0,0", "250 dblclick 0,0"}},
        {"a second press restarts the wait: one click",
         none,
         {{Step::Press, L}, {Step::Run, 60}, {Step::Press, L}, {Step::Run, 400}},
         {"160 click 0,0"}},
        {"a right press pops the menu up where the pointer was, and clicks nothing",
         popup,
         {{Step::Move, 30, 700}, {Step::Press, R}, {Step::Run, 500}},
         {"0 popup 30,700"}},
        {"without a menu the right button clicks, and so does the middle one",
         none,
         {{Step::Press, R}, {Step::Run, 200}, {Step::Press, M}, {Step::Run, 400}},
         {"100 click 0,0", "300 click 0,0"}},
        {"the pointer arrives at its first move and leaves when the poll finds it over 2 pixels away",
         hover,
         {{Step::Cursor, 12, 8},
          {Step::Move, 10, 10},
          {Step::Run, 200},
          {Step::Cursor, 13, 10},
          {Step::Run, 300},
          {Step::Move, 50, 50}},
         {"0 enter 10,10", "210 exit 10,10", "300 enter 50,50"}},
        {"a pointer that cannot be read has not left",
         hover,
         {{Step::CursorFails}, {Step::Move, 10, 10}, {Step::Run, 600}},
         {"0 enter 10,10"}},
        {"moves are reported except while a press waits",
         moves,
         {{Step::Move, 1, 1},
          {Step::Press, L},
          {Step::Run, 50},
          {Step::Move, 2, 2},
          {Step::Run, 150},
          {Step::Move, 3, 3}},
         {"0 move 1,1", "100 click 2,2", "150 move 3,3"}},
        {"the bar's frames, RUN3, RUN2, RUN1 every 125 ms, start at the first one at every activation",
         none,
         {{Step::Animate},
          {Step::Activate},
          {Step::Run, 400},
          {Step::Deactivate},
          {Step::Run, 800},
          {Step::Activate},
          {Step::Run, 930}},
         {"0 add RUN3 ''", "125 RUN2 ''", "250 RUN1 ''", "375 RUN3 ''", "400 delete", "800 add RUN3 ''",
          "925 RUN2 ''"}},
        {"a press shares the frames' timer; its start and end begin the frame's period anew",
         none,
         {{Step::Animate}, {Step::Activate}, {Step::Run, 130}, {Step::Press, L}, {Step::Run, 400}},
         {"0 add RUN3 ''", "125 RUN2 ''", "230 click 0,0", "355 RUN1 ''"}},
        {"the tooltip is the hint's first 63 characters, never half of one",
         none,
         {{Step::Hint, 0, 0, "Kexbar32 "}, {Step::Activate}, {Step::Hint, 0, 0, hint}, {Step::Hint, 0, 0, stray}},
         {"0 add Icon 'Kexbar32 '", "0 Icon '" + k62 + "\xC3\xA9'", "0 Icon '" + k62 + "\x80'"}},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.name);
        Harness h(s.listeners);
        for (const Step& step : s.steps)
            h.Apply(step);
        EXPECT_EQ(h.log, s.log);
    }
}

} // namespace
} // namespace kex
