// Keyboard selection over bars of 16 and of 21 buttons per page, driven key by key
// the way the window carries out each answer, and the stay-on-top switch's shapes.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <stdexcept>

#include "IniTestUtil.h"
#include "core/bar/BarStore.h"
#include "core/keyboard/KeySelection.h"
#include "core/keyboard/StayOnTop.h"

namespace kex {
namespace {

using Kind = KeyAction::Kind;
using kex::testing::TempDir;

// A bar as the window keeps it, its first page just shown (S parked at the last
// button of all). Every fifth button is empty and carries the hint a page button
// gets when it is made; button 3's description runs over two lines.
struct Bar {
    KeySnapshot snap;
    int down = 0; // the button shown pressed

    // flags: small, tray (F3 hides the bar in the tray), move, pagemove, editor,
    // rename, locked, stale (S on another page than the one shown), beyond (S past
    // the last button).
    Bar(int n, int pages, const std::string& flags = "")
    {
        snap.ButtonsPerPage = n;
        snap.Pages = pages;
        snap.Selection = n * pages;
        std::istringstream words(flags);
        for (std::string f; words >> f;) {
            snap.SmallActive |= f == "small";
            snap.ShrinksToTray |= f == "tray";
            snap.EditorOpen |= f == "editor";
            snap.Renaming |= f == "rename";
            snap.ModifyLocked |= f == "locked";
            if (f == "move" || f == "pagemove")
                snap.Pending = f == "move" ? KeyPending::ButtonMove : KeyPending::PageMove;
            if (f == "stale")
                snap.Page = 1, snap.Selection = 3;
            if (f == "beyond")
                snap.Selection = n * pages + 7;
        }
    }

    // One key, its answer carried out as the window does (a page shown parks S and
    // lets the old selection up, as selecting a tab does); the answer as words.
    std::string Press(SelectionKey key, KeyModifiers modifiers = {})
    {
        const int total = snap.ButtonsPerPage * snap.Pages;
        snap.Button = [this, total](int k) -> std::optional<KeyButton> {
            if (k < 1 || k > total)
                return std::nullopt;
            const bool empty = k % 5 == 0;
            return KeyButton{k == down, empty,
                             empty    ? "Mouse: LEFT=Load/Launch  RIGHT=Options\nKeyboard:[<-- = Scroll Left]"
                             : k == 3 ? "three\nlines"
                                      : "b" + std::to_string(k)};
        };
        static const char* const names[] = {
            "help", "ontop", "small", "gaugemenu", "buttonmenu:", "error",   "pagemenu", "runmenu", "cd",  "saver",
            "vol:", "up:",   "page:", "tabs0",     "sel:",        "launch:", "put:",     "cap",     "snd:"};
        const KeyPlan plan = HandleKey(snap, key, modifiers);
        std::ostringstream out;
        for (const KeyAction& a : plan.Actions) {
            out << names[int(a.What)];
            switch (a.What) {
            case Kind::SmallSize: snap.SmallActive = !snap.SmallActive && !snap.ShrinksToTray; break;
            case Kind::ButtonMenu:
            case Kind::Launch:
            case Kind::PutButton:
            case Kind::PlaySound: out << a.Button; break;
            case Kind::SelectionError: out << (a.Text.empty() ? "!" : ""); break;
            case Kind::Volume: out << a.Device << (a.Direction == VolumeDirection::Up ? '+' : '-'); break;
            case Kind::Release: out << a.Button, down = down == a.Button ? 0 : down; break;
            case Kind::Select: out << a.Button, down = a.Button; break;
            case Kind::ShowPage:
                out << a.Page;
                down = down == snap.Selection ? 0 : down;
                snap.Page = a.Page;
                snap.Selection = a.Page == 0 ? total : a.Page * snap.ButtonsPerPage;
                break;
            case Kind::Caption: // seven blanks and the hint, shown without the blanks
                if (const bool blanks = a.Text.rfind("       ", 0) == 0 && a.Text[7] != ' '; !a.Text.empty())
                    out << (blanks ? ":" + a.Text.substr(7) : "!" + a.Text);
                break;
            default: break;
            }
            out << ' ';
        }
        snap.Selection = plan.Selection;
        out << "S=" << plan.Selection;
        return out.str();
    }

    // Keys as words (R L U D PU PD H E Ent Esc x F1..F9; "R*16" repeats); the answer
    // to the last one, pressed with `last`.
    std::string Type(const std::string& keys, KeyModifiers last = {})
    {
        static const std::map<std::string, SelectionKey> names = {
            {"R", SelectionKey::Right},    {"L", SelectionKey::Left},    {"U", SelectionKey::Up},
            {"D", SelectionKey::Down},     {"PU", SelectionKey::PageUp}, {"PD", SelectionKey::PageDown},
            {"H", SelectionKey::Home},     {"E", SelectionKey::End},     {"Ent", SelectionKey::Enter},
            {"Esc", SelectionKey::Escape}, {"x", SelectionKey::Other},   {"F1", SelectionKey::F1},
            {"F2", SelectionKey::F2},      {"F3", SelectionKey::F3},     {"F4", SelectionKey::F4},
            {"F5", SelectionKey::F5},      {"F6", SelectionKey::F6},     {"F7", SelectionKey::F7},
            {"F8", SelectionKey::F8},      {"F9", SelectionKey::F9}};
        std::vector<SelectionKey> sequence;
        std::istringstream words(keys);
        for (std::string word; words >> word;) {
            const auto star = word.find('*');
            const int times = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
            sequence.insert(sequence.end(), std::size_t(times), names.at(word.substr(0, star)));
        }
        std::string answer;
        for (std::size_t i = 0; i < sequence.size(); ++i)
            answer = Press(sequence[i], i + 1 == sequence.size() ? last : KeyModifiers{});
        return answer;
    }
};

struct KeyCase {
    const char* what;
    const char* flags;
    std::string keys;
    std::string answer; // to the last key
    KeyModifiers modifiers = {};
};

void RunCases(int n, int pages, const std::vector<KeyCase>& cases)
{
    for (const KeyCase& c : cases) {
        Bar bar(n, pages, c.flags);
        EXPECT_EQ(bar.Type(c.keys, c.modifiers), c.answer) << c.what << " (" << c.keys << ")";
    }
}

// Right walks every button in number order and round to button 1, Left the other
// way round; the page always shows the selected button.
void ExpectWalk(int n, int pages)
{
    const int total = n * pages;
    for (SelectionKey key : {SelectionKey::Right, SelectionKey::Left}) {
        Bar bar(n, pages);
        for (int step = 1; step <= total + 1; ++step) {
            bar.Press(key);
            const int wanted = key == SelectionKey::Right ? (step - 1) % total + 1 : (2 * total - step) % total + 1;
            ASSERT_EQ(bar.snap.Selection, wanted)
                << (key == SelectionKey::Right ? "Right" : "Left") << " step " << step;
            ASSERT_EQ(bar.down, wanted);
            ASSERT_EQ(bar.snap.Page, (wanted - 1) / n);
        }
    }
}

TEST(KeySelection, TwoPagesOfSixteen)
{
    const KeyModifiers shift{true, false, false}, ctrl{false, true, false}, alt{false, false, true},
        shiftCtrl{true, true, false};
    RunCases(
        16, 2,
        {
            // Walking across pages.
            {"fresh first page, Right", "", "R", "page:0 sel:1 cap:b1 snd:1 S=1"},
            {"fresh first page, Left", "", "L", "page:1 sel:32 cap:b32 snd:32 S=32"},
            {"Right from 16", "", "R*16 R", "page:1 sel:17 cap:b17 snd:17 S=17"},
            {"Right from 32", "", "L R", "page:0 sel:1 cap:b1 snd:1 S=1"},
            {"Left from 1", "", "R L", "page:1 sel:32 cap:b32 snd:32 S=32"},
            {"Left from 17", "", "R*17 L", "page:0 sel:16 cap:b16 snd:16 S=16"},
            {"fresh second page, Left", "", "PU L", "page:0 sel:16 cap:b16 snd:16 S=16"},
            {"fresh second page, Right", "", "PU R", "sel:17 cap:b17 snd:17 S=17"},
            {"a selection on another page counts as parked", "stale", "R", "sel:17 cap:b17 snd:17 S=17"},
            // Page keys, Escape, Enter.
            {"Page Down on the first page", "", "PD", "page:1 cap S=16"},
            {"Page Down on the last page", "", "PU PD", "page:0 cap S=32"},
            {"Page Up on the last page", "", "PU PU", "page:0 cap S=32"},
            {"Page Down lets the selection up", "", "R R PD", "up:2 page:1 cap S=16"},
            {"Home", "", "E R H", "up:17 page:0 tabs0 cap S=32"},
            {"End", "", "R E", "up:1 page:1 cap S=16"},
            {"Escape on the second page", "", "PU R R Esc", "up:18 cap S=16"},
            {"Escape on the first page", "", "R Esc", "up:1 cap S=32"},
            {"Enter launches", "", "R R Ent", "launch:2 up:2 cap S=2"},
            {"Enter puts a pending move down", "move", "R R Ent", "put:2 up:2 cap S=2"},
            {"Enter with a page move pending", "pagemove", "R R Ent", "up:2 cap S=2"},
            {"Enter after Escape", "", "R Esc Ent", "cap S=32"},
            // The caption and the selection sound.
            {"an empty button", "", "R*5", "sel:5 cap:Empty snd:5 S=5"},
            {"a hint of two lines", "", "R*3", "sel:3 cap:three lines snd:3 S=3"},
            {"another key replays", "", "R x", "cap:b1 snd:1 S=1"},
            // Function keys.
            {"F1", "", "R F1", "help cap:b1 snd:1 S=1"},
            {"F2", "", "F2", "ontop cap S=32"},
            {"F3 shrinks", "", "R F3", "small S=1"},
            {"F3 into the tray", "tray", "F3", "small cap S=32"},
            {"F4", "", "F4", "gaugemenu cap S=32"},
            {"F5 on a selection", "", "R F5", "buttonmenu:1 cap:b1 snd:1 S=1"},
            {"F5 without a selection", "", "R Esc F5", "error cap S=32"},
            {"F5 while the editor is open", "editor", "R F5", "cap:b1 snd:1 S=1"},
            {"F6", "", "F6", "pagemenu cap S=32"},
            {"F6 while renaming", "rename", "F6", "cap S=32"},
            {"F6 while the editor is open", "editor", "F6", "cap S=32"},
            {"F6 locked out", "locked", "F6", "cap S=32"},
            {"F7", "", "F7", "runmenu cap S=32"},
            {"F8", "", "F8", "cd cap S=32"},
            {"F9", "", "F9", "saver cap S=32"},
            // Volume keys.
            {"Up", "", "U", "vol:5+ cap S=32"},
            {"Down on a selection", "", "R D", "vol:5- cap:b1 snd:1 S=1"},
            {"Shift+Down", "", "D", "vol:0- cap S=32", shift},
            {"Ctrl+Up", "", "U", "vol:2+ cap S=32", ctrl},
            {"Shift+Ctrl+Up", "", "U", "cap S=32", shiftCtrl},
            {"Alt+Up", "", "U", "cap S=32", alt},
            // Small mode.
            {"small: Right brings the bar back, then moves", "small", "R", "small page:0 sel:1 cap:b1 snd:1 S=1"},
            {"small: Left brings the bar back, then moves", "small", "L", "small page:1 sel:32 cap:b32 snd:32 S=32"},
            {"small: Page Down", "small", "PD", "S=32"},
            {"small: Enter", "small", "Ent", "S=32"},
            {"small: volume", "small", "U", "vol:5+ S=32"},
            {"small: F3 brings the bar back", "small", "F3", "small cap S=32"},
            {"small: F2 brings the bar back first", "small", "F2", "small ontop cap S=32"},
        });
    ExpectWalk(16, 2);
}

TEST(KeySelection, PagesOfTwentyOne)
{
    RunCases(21, 3,
             {
                 {"Right from 21", "", "R*21 R", "page:1 sel:22 cap:b22 snd:22 S=22"},
                 {"Right from 63", "", "L R", "page:0 sel:1 cap:b1 snd:1 S=1"},
                 {"Left from 1", "", "R L", "page:2 sel:63 cap:b63 snd:63 S=63"},
                 {"Left from 43", "", "E R L", "page:1 sel:42 cap:b42 snd:42 S=42"},
                 {"fresh second page, Left", "", "PU L", "page:0 sel:21 cap:b21 snd:21 S=21"},
                 {"fresh third page, Left", "", "PU PU L", "page:1 sel:42 cap:b42 snd:42 S=42"},
                 {"fresh third page, Right", "", "PU PU R", "sel:43 cap:b43 snd:43 S=43"},
                 {"Page Down on the first page", "", "PD", "page:2 cap S=42"},
                 {"Page Down on the last page", "", "E PD", "page:1 cap S=21"},
                 {"Page Up on the last page", "", "E PU", "page:0 cap S=63"},
                 {"Home from the last page", "", "E R H", "up:43 page:0 tabs0 cap S=63"},
                 {"Escape on the last page", "", "E R Esc", "up:43 cap S=42"},
                 {"Enter on the last page", "", "E R R Ent", "launch:44 up:44 cap S=44"},
                 {"an empty button", "", "R*20", "sel:20 cap:Empty snd:20 S=20"},
                 {"a selection past the bar counts as parked", "beyond", "R", "page:0 sel:1 cap:b1 snd:1 S=1"},
             });
    RunCases(21, 1,
             {
                 {"one page: Left", "", "L", "page:0 sel:21 cap:b21 snd:21 S=21"},
                 {"one page: Left from its last button", "", "L L", "sel:20 cap:Empty snd:20 S=20"},
                 {"one page: Right from its last button", "", "L R", "page:0 sel:1 cap:b1 snd:1 S=1"},
                 {"one page: Page Down", "", "R PD", "up:1 page:0 cap S=21"},
             });
    RunCases(21, 0, {{"no pages: nothing", "", "R", "S=0"}});
    ExpectWalk(21, 3);
    ExpectWalk(21, 1);
}

TEST(StayOnTop, SwitchesBetweenFramedAndOnTop)
{
    struct Case {
        int buttons, screenButtons, screenWidth;
        bool onTopBefore;
        int width, height, notebook, scroll;
    } cases[] = {
        {16, 21, 1024, false, 620, 54, 576, 0}, // framed → on top: 44 + 576 wide, 54 high
        {16, 21, 1024, true, 627, 79, 583, 0},  // on top → framed: 44 + 583 wide, 19 + 54 + 6
        {21, 21, 1024, false, 800, 54, 756, 0},
        // Pages wider than the screen allows: cut to the screen, taller, a scroll range.
        {21, 16, 700, false, 700, 71, 756, 798},
        {21, 16, 700, true, 700, 96, 763, 805},
        // Up to 10 pixels wider than the screen the bar keeps its width.
        {16, 16, 610, false, 620, 54, 576, 0},
        {16, 16, 609, false, 609, 54, 576, 0},
    };
    for (const Case& c : cases) {
        BarGeometryInput bar;
        bar.ButtonsPerPage = c.buttons;
        bar.ScreenButtons = c.screenButtons;
        bar.ScreenWidth = c.screenWidth;
        bar.BarTop = 700;
        bar.OnTop = c.onTopBefore;
        const OnTopSwitch s = TopButtonKey(bar);
        SCOPED_TRACE(::testing::Message() << c.buttons << " buttons, screen " << c.screenWidth
                                          << (c.onTopBefore ? ", on top before" : ", framed before"));
        EXPECT_EQ(s.OnTop, !c.onTopBefore);
        EXPECT_EQ(s.WindowWidth, c.width);
        EXPECT_EQ(s.WindowHeight, c.height);
        EXPECT_EQ(s.NotebookWidth, c.notebook);
        EXPECT_EQ(s.HorzScrollRange, c.scroll);
        // Switched twice, the bar has the shape it started with.
        const BarGeometry start = ComputeGeometry(bar);
        bar.OnTop = s.OnTop;
        const OnTopSwitch back = TopButtonKey(bar);
        EXPECT_EQ(back.OnTop, c.onTopBefore);
        EXPECT_EQ(back.WindowWidth, start.WindowWidth);
        EXPECT_EQ(back.WindowHeight, start.WindowHeight);
    }
    // The new state is what the next start reads.
    TempDir dir;
    BarStore store(dir.File("KX.INI"));
    for (bool onTop : {true, false}) {
        store.SaveOnTop(onTop);
        EXPECT_EQ(store.ReadStartup(StartupMachine{}).onTop, onTop);
    }
}

} // namespace
} // namespace kex
