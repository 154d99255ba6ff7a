// The tray icon without its widget: what the desktop reports (presses, double clicks,
// the pointer) and what the bar sets (presence, state, hint) as timed sequences on
// one shared timer, against the events raised and what is asked of the desktop.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/tray/TimerManager.h"
#include "core/tray/TrayIconModel.h"
#include "core/tray/TrayMouse.h"
#include "fakes/FakeTicks.h"

namespace kex {
namespace {

struct Step {
    enum Kind { Press, Double, Move, Cursor, CursorFails, Run, Activate, Deactivate, SetState, Hint, ShowHint } kind;
    int a = 0, b = 0; // Press/Double: the button; Move/Cursor: x, y; Run: until (ms); SetState: the state
    std::string text = {};
};

// What StateChanging does with the new state.
enum class Changing { Accept, MakeAnimated, SetStateOnce };

struct Sequence {
    const char* name;
    TrayListeners listeners;
    Changing changing;
    std::vector<Step> steps;
    std::vector<std::string> log; // "<ms> <what>"
};

std::string Name(const TrayPicture& p)
{
    switch (p.source) {
    case TrayPicture::Source::None: return "none";
    case TrayPicture::Source::Icon: return "Icon";
    case TrayPicture::Source::DisabledIcon: return "DisabledIcon";
    case TrayPicture::Source::Resource: return p.name;
    case TrayPicture::Source::File: return "file:" + p.name;
    }
    return "?";
}

class Harness : public TrayIconShell, public TrayIconEvents, public PointerQuery {
public:
    explicit Harness(const Sequence& s)
        : manager(ticks, ticks), model(manager, *this, this),
          mouse(manager, *this, [this](const TrayReport& r) { Report(r); })
    {
        changing_ = s.changing;
        mouse.SetListeners(s.listeners);
        // The bar's own animation.
        model.SetAnimationOptions(TRWTrayIconAnimationOptions::aoIconsInExe);
        model.SetAnimationIcons({"run3", "Run2", "RUN1"});
        model.SetAnimationInterval(125);
    }

    void Apply(const Step& s)
    {
        try {
            switch (s.kind) {
            case Step::Press: mouse.ButtonDown(TrayButton(s.a)); break;
            case Step::Double: mouse.DoubleClick(TrayButton(s.a)); break;
            case Step::Move: mouse.MouseMove({s.a, s.b}); break;
            case Step::Cursor: cursor_ = TPoint{s.a, s.b}; break;
            case Step::CursorFails: cursor_.reset(); break;
            case Step::Run: ticks.RunUntil(std::uint64_t(s.a), manager); break;
            case Step::Activate: model.SetActive(true); break;
            case Step::Deactivate: model.SetActive(false); break;
            case Step::SetState: model.SetState(TRWTrayIconState(s.a)); break;
            case Step::Hint: model.SetHint(s.text); break;
            case Step::ShowHint: model.SetShowHint(s.a != 0); break;
            }
        } catch (const EInvalidOperation& e) {
            Log(std::string("error ") + e.what());
        }
    }

    FakeTicks ticks;
    TRWTimerManager manager;
    TrayIconModel model;
    TrayMouse mouse;
    std::vector<std::string> log;

private:
    void Log(const std::string& what) { log.push_back(std::to_string(ticks.elapsed) + " " + what); }
    void Report(const TrayReport& r)
    {
        static const char* const names[] = {"click", "dblclick", "move", "enter", "exit", "popup"};
        Log(std::string(names[int(r.event)]) + " " + std::to_string(r.pos.X) + "," + std::to_string(r.pos.Y));
    }
    void Add(const TrayPicture& p, const std::string& tip) override { Log("add " + Name(p) + " '" + tip + "'"); }
    void Modify(const TrayPicture& p, const std::string& tip) override
    {
        Log("modify " + Name(p) + " '" + tip + "'");
    }
    void Delete() override { Log("delete"); }
    void StateChanging(TRWTrayIconState& next) override
    {
        if (changing_ == Changing::MakeAnimated) {
            next = TRWTrayIconState::tsAnimated;
        } else if (changing_ == Changing::SetStateOnce) {
            changing_ = Changing::Accept;
            model.SetState(TRWTrayIconState::tsAnimated);
        }
    }
    void Animation() override {}
    std::optional<TPoint> CursorPos() const override { return cursor_; }

    Changing changing_ = Changing::Accept;
    std::optional<TPoint> cursor_;
};

constexpr int L = int(TrayButton::Left), R = int(TrayButton::Right), M = int(TrayButton::Middle);
constexpr int kEnabled = int(TRWTrayIconState::tsEnabled), kDisabled = int(TRWTrayIconState::tsDisabled),
              kAnimated = int(TRWTrayIconState::tsAnimated);

TEST(TrayIcon, EventSequences)
{
    const TrayListeners none{};
    const TrayListeners dbl{.dblClick = true};
    const TrayListeners popup{.popup = true};
    const TrayListeners hover{.mouseEnterExit = true};
    const TrayListeners moves{.mouseMove = true};
    // 62 letters, then a two-byte letter that is the 63rd character, then more.
    const std::string longHint = std::string(62, 'k') + "\xC3\xA9" + "-and-the-rest";
    const std::string cutHint = std::string(62, 'k') + "\xC3\xA9";
    // A stray continuation byte counts as a character of its own.
    const std::string strayHint = std::string(62, 'k') + "\x80" + "\xC3\xA9";

    const Sequence sequences[] = {
        {"nobody listens for double clicks: a press is a click 100 ms later",
         none, Changing::Accept, {{Step::Press, L}, {Step::Run, 300}}, {"100 click 0,0"}},
        {"with a double-click listener a press waits past 400 ms, to the timer's first tick after it",
         dbl, Changing::Accept, {{Step::Press, L}, {Step::Run, 800}}, {"450 click 0,0"}},
        {"a double click within the wait is only a double click",
         dbl, Changing::Accept, {{Step::Press, L}, {Step::Run, 200}, {Step::Double, L}, {Step::Run, 800}},
         {"200 dblclick 0,0"}},
        {"a double click after the click resolved follows it",
         none, Changing::Accept, {{Step::Press, L}, {Step::Run, 250}, {Step::Double, L}, {Step::Run, 800}},
         {"100 click 0,0", "250 dblclick 0,0"}},
        {"a second press restarts the wait: one click",
         none, Changing::Accept, {{Step::Press, L}, {Step::Run, 60}, {Step::Press, L}, {Step::Run, 400}},
         {"160 click 0,0"}},
        {"a right press pops the menu up where the pointer was, and clicks nothing",
         popup, Changing::Accept, {{Step::Move, 30, 700}, {Step::Press, R}, {Step::Run, 500}}, {"0 popup 30,700"}},
        {"without a menu the right button clicks, and so does the middle one",
         none, Changing::Accept, {{Step::Press, R}, {Step::Run, 200}, {Step::Press, M}, {Step::Run, 400}},
         {"100 click 0,0", "300 click 0,0"}},
        {"the pointer arrives at its first move and leaves when the poll finds it over 2 pixels away",
         hover, Changing::Accept,
         {{Step::Cursor, 12, 8}, {Step::Move, 10, 10}, {Step::Run, 200}, {Step::Cursor, 13, 10}, {Step::Run, 300},
          {Step::Move, 50, 50}, {Step::Run, 330}},
         {"0 enter 10,10", "210 exit 10,10", "300 enter 50,50"}},
        {"a pointer that cannot be read has not left",
         hover, Changing::Accept, {{Step::CursorFails}, {Step::Move, 10, 10}, {Step::Run, 600}}, {"0 enter 10,10"}},
        {"moves are reported except while a press waits",
         moves, Changing::Accept,
         {{Step::Move, 1, 1}, {Step::Press, L}, {Step::Run, 50}, {Step::Move, 2, 2}, {Step::Run, 150},
          {Step::Move, 3, 3}},
         {"0 move 1,1", "100 click 2,2", "150 move 3,3"}},
        {"the bar's animation runs RUN3, RUN2, RUN1 every 125 ms, from the first frame at every activation",
         none, Changing::Accept,
         {{Step::Hint, 0, 0, "Kexbar32 "}, {Step::SetState, kAnimated}, {Step::Activate}, {Step::Run, 400},
          {Step::Deactivate}, {Step::Run, 800}, {Step::Activate}, {Step::Run, 930}},
         {"0 add RUN3 'Kexbar32 '", "125 modify RUN2 'Kexbar32 '", "250 modify RUN1 'Kexbar32 '",
          "375 modify RUN3 'Kexbar32 '", "400 delete", "800 add RUN3 'Kexbar32 '", "925 modify RUN2 'Kexbar32 '"}},
        {"a press shares the frames' timer, and its start and end begin the frame's period anew",
         none, Changing::Accept,
         {{Step::SetState, kAnimated}, {Step::Activate}, {Step::Run, 130}, {Step::Press, L}, {Step::Run, 400}},
         {"0 add RUN3 ''", "125 modify RUN2 ''", "230 click 0,0", "355 modify RUN1 ''"}},
        {"StateChanging may turn the new state into another",
         none, Changing::MakeAnimated,
         {{Step::Activate}, {Step::SetState, kDisabled}, {Step::Run, 130}},
         {"0 add Icon ''", "0 modify RUN3 ''", "125 modify RUN2 ''"}},
        {"setting State from StateChanging is refused, and State works again afterwards",
         none, Changing::SetStateOnce,
         {{Step::Activate}, {Step::SetState, kDisabled}, {Step::SetState, kDisabled}, {Step::SetState, kEnabled}},
         {"0 add Icon ''", "0 error You cannot modify the state property in the OnStateChanging event !!!",
          "0 modify DisabledIcon ''", "0 modify Icon ''"}},
        {"the tooltip is the hint's first 63 characters, never half of one; off, it is empty",
         none, Changing::Accept,
         {{Step::Activate}, {Step::Hint, 0, 0, longHint}, {Step::Hint, 0, 0, strayHint}, {Step::ShowHint, 0},
          {Step::Hint, 0, 0, "unseen"}, {Step::ShowHint, 1}},
         {"0 add Icon ''", "0 modify Icon '" + cutHint + "'", "0 modify Icon '" + std::string(62, 'k') + "\x80'",
          "0 modify Icon ''", "0 modify Icon 'unseen'"}},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.name);
        Harness h(s);
        for (const Step& step : s.steps)
            h.Apply(step);
        EXPECT_EQ(h.log, s.log);
    }
}

} // namespace
} // namespace kex
