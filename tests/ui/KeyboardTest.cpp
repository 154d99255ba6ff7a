// The keyboard in the window: keys pressed as a user presses them (to the window,
// whose focus widget gets them) launch the selected button, open what the function
// keys name, and keep working after menus, dialogs and a page rename.
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>

#include <sstream>

#include "FormFixture.h"
#include "core/keyboard/KeySelection.h"
#include "ui/keys/KeyboardSelection.h"

namespace kex {
namespace {

class KeyboardTest : public FormTest {
protected:
    // Two pages of 16; buttons 1, 2 and 17 hold programs, button 2 a description and
    // a selection sound; the recent list has one entry (so the Run menu offers it).
    MainWindow& StartBar()
    {
        // Launches leave the bar at full size, so that the keys stay in sight.
        WriteIni("[Location]\nTop=100\nShrink=No\n"
                 "[Programs]\nSpeedButton1=/usr/bin/editor\nSpeedButton2=/usr/bin/mail\nSpeedButton17=/usr/bin/calc\n"
                 "[Names]\nSpeedButton2=Mail\n"
                 "[Icons]\nSpeedButton1=Default\nSpeedButton2=Default\nSpeedButton17=Default\n"
                 "[SoundSelect]\nSpeedButton2=/sounds/ding.wav\n"
                 "[Pages]\nCount=2\n"
                 "[MRU]\nCount=1\n1=Mail  |2\n");
        MainWindow& f = Start();
        f.show();
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    // Keys by name ("Right*3 F5"), each pressed and released on the window.
    void Type(const std::string& keys)
    {
        static const std::map<std::string, Qt::Key> names = {
            {"Right", Qt::Key_Right}, {"Left", Qt::Key_Left}, {"Up", Qt::Key_Up}, {"Enter", Qt::Key_Return},
            {"Esc", Qt::Key_Escape}};
        std::istringstream words(keys);
        for (std::string word; words >> word;) {
            const auto star = word.find('*');
            const int times = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
            const std::string name = word.substr(0, star);
            const Qt::Key key = name[0] == 'F' ? Qt::Key(Qt::Key_F1 + std::stoi(name.substr(1)) - 1) : names.at(name);
            for (int i = 0; i < times; ++i)
                QTest::keyClick(form->windowHandle(), key);
        }
    }
    QLineEdit* Keys() const { return Child<QLineEdit>(*form, "Keys"); }
    int Selection() const { return Pages(*form).KeySelection(); }
    bool Down(int n) const { return Pages(*form).FindButton(n)->Down(); }
};

TEST_F(KeyboardTest, EnterLaunchesTheSelectedButton)
{
    struct Case {
        const char* keys;
        const char* started; // the programs started, in order
        int selection;       // S afterwards
        int page;            // the page shown, from 0
        const char* sounds;  // selection sounds played
    } cases[] = {
        {"Right Right Enter", "/usr/bin/mail", 2, 0, "/sounds/ding.wav"},
        // Left from the first page's parked place goes round to the last page.
        {"Left*16 Enter", "/usr/bin/calc", 17, 1, ""},
        // Escape lets the selection go: Enter has nothing to launch.
        {"Right Esc Enter", "", 32, 0, ""},
        {"Right Enter Enter", "/usr/bin/editor", 1, 0, ""},
        // An empty button is filled by browsing (cancelled here), never started.
        {"Right*3 Enter", "", 3, 0, "/sounds/ding.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        platform.started.clear();
        platform.soundsAsync.clear();
        MainWindow& f = StartBar();
        Type(c.keys);
        std::string started;
        for (const auto& s : platform.started)
            started += (started.empty() ? "" : " ") + s.argv.at(0);
        EXPECT_EQ(started, c.started);
        EXPECT_EQ(Selection(), c.selection);
        std::string sounds;
        for (const std::string& s : platform.soundsAsync)
            if (sounds.find(s) == std::string::npos)
                sounds += s;
        EXPECT_EQ(sounds, c.sounds);
        // The launched button lets up, the page shows it, and the keys keep the focus.
        EXPECT_FALSE(Down(c.selection));
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->TabIndex(), c.page);
        EXPECT_EQ(QApplication::focusWidget(), Keys());
        form.reset();
    }
}

TEST_F(KeyboardTest, FunctionKeysOpenWhatTheyName)
{
    struct Case {
        const char* keys;
        bool locked;       // modifying locked out first
        const char* shown; // menus popped up, help shown ("help"), messages ("error"), signals
        const char* onTop; // "Location"/"OnTop" afterwards
    } cases[] = {
        {"F1", false, "help0", "<absent>"},
        {"F2", false, "", "Yes"},
        {"F2 F2", false, "", "No"},
        {"F3", false, "small", "<absent>"},
        {"F4", false, "PopupMenu3", "<absent>"},
        {"Right Right F5", false, "PopupMenu1", "<absent>"},
        {"Right Esc F5", false, "error", "<absent>"},
        {"F6", false, "PopupMenu2", "<absent>"},
        {"F6", true, "", "<absent>"},
        {"F7", false, "PopupMenu5", "<absent>"},
        {"F8", false, "cd", "<absent>"},
        {"F9", false, "saver", "<absent>"},
        {"Up", false, "volume 5 up", "<absent>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.keys) + (c.locked ? " (locked)" : ""));
        dialogs = FakeDialogs();
        MainWindow& f = StartBar();
        const QSize framed = f.frameGeometry().size();
        if (c.locked) {
            Lockout(f, "pw");
            ASSERT_TRUE(Locked(f));
        }
        auto& keys = *Child<KeyboardSelection>(f, "KeyboardSelection");
        std::string shown;
        auto note = [&](const std::string& what) { shown += (shown.empty() ? "" : " ") + what; };
        QObject::connect(&keys, &KeyboardSelection::SmallSizeRequested, [&] { note("small"); });
        QObject::connect(&keys, &KeyboardSelection::CdTrayRequested, [&] { note("cd"); });
        QObject::connect(&keys, &KeyboardSelection::ScreenSaverRequested, [&] { note("saver"); });
        QObject::connect(&keys, &KeyboardSelection::VolumeRequested, [&](int device, VolumeDirection d) {
            note("volume " + std::to_string(device) + (d == VolumeDirection::Up ? " up" : " down"));
        });
        Type(c.keys);
        for (const auto& p : dialogs.popups) {
            note(p.menu);
            EXPECT_EQ(p.pos, f.frameGeometry().topLeft()) << p.menu << " at the window's corner";
        }
        for (int context : dialogs.helpShown)
            note("help" + std::to_string(context));
        for (const auto& m : dialogs.messages) {
            note("error");
            EXPECT_EQ(m.text, kNoKeyboardSelectionMessage);
        }
        EXPECT_EQ(shown, c.shown);
        // The switch: borderless and on top with the check mark, framed again after a
        // second F2, at the size it started with.
        const bool onTop = std::string(c.onTop) == "Yes";
        EXPECT_EQ(Value("Location", "OnTop"), c.onTop);
        EXPECT_EQ(f.MenuItem("StayonTop1")->isChecked(), onTop);
        if (std::string(c.keys) == "F3") {
            EXPECT_EQ(f.size(), QSize(44, 19)) << "F3 shrinks the bar to its gauge";
        } else {
            EXPECT_EQ(bool(f.windowFlags() & Qt::WindowStaysOnTopHint), onTop);
            EXPECT_EQ(bool(f.windowFlags() & Qt::FramelessWindowHint), onTop);
        }
        if (std::string(c.keys) == "F2 F2") {
            EXPECT_EQ(f.frameGeometry().size(), framed);
        }
        form.reset();
    }
}

TEST_F(KeyboardTest, FocusComesBackToTheKeysAfterMenusDialogsAndARename)
{
    MainWindow& f = StartBar();
    auto* elsewhere = new QLineEdit(&f);
    elsewhere->show();

    // A menu during which something else took the focus.
    dialogs.duringPopup = [&] { elsewhere->setFocus(); };
    Type("F4");
    EXPECT_EQ(QApplication::focusWidget(), Keys());
    Type("Right");
    EXPECT_EQ(Selection(), 1);

    // A right click on button 2 selects it as the keyboard would; after its menu the
    // arrows go on from there.
    dialogs.duringPopup = [&] { elsewhere->setFocus(); };
    QTest::mouseClick(Pages(f).FindButton(2), Qt::RightButton);
    EXPECT_EQ(dialogs.popups.back().menu, "PopupMenu1");
    EXPECT_EQ(Selection(), 2);
    EXPECT_TRUE(Down(2));
    EXPECT_FALSE(Down(1));
    EXPECT_TRUE(f.windowTitle().endsWith("       Mail")) << f.windowTitle().toStdString();
    elsewhere->setFocus(); // the menu closed; the window comes back to its keys
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&f, &activate);
    EXPECT_EQ(QApplication::focusWidget(), Keys());
    Type("Right");
    EXPECT_EQ(Selection(), 3);

    // An error box (F5 on an empty button's menu) closes: the keys have the focus.
    Type("F5");
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(QApplication::focusWidget(), Keys());

    // A rename from the page menu takes its own keys: Right moves in the name, not
    // the selection; after Enter the keys move the selection again.
    dialogs.popupChoices.push_back("RenamePage1");
    Type("F6");
    QLineEdit* editor = Child<QLineEdit>(f, "PageName");
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), editor);
    editor->selectAll();
    for (char c : std::string("work"))
        QTest::keyClick(f.windowHandle(), c);
    Type("Right Enter");
    EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Tabs().value(0), "work");
    EXPECT_EQ(QApplication::focusWidget(), Keys());
    Type("Right");
    EXPECT_EQ(Selection(), 4);
}

} // namespace
} // namespace kex
