// The protection on a bare window with a scripted bar: the prompt and the caption it
// borrows, the lock's menu states, the button menu's items, the launch gate, and a
// lock that could not be stored.
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <fstream>
#include <gtest/gtest.h>

#include "fakes/FakeDialogs.h"
#include "ui/protect/Protection.h"

namespace kex {
namespace {

class ProtectionTest : public testing::Test {
protected:
    QTemporaryDir dir;
    std::string ini = dir.path().toStdString() + "/KX.INI";
    FakeDialogs dialogs;
    QWidget window;
    QLineEdit* editor = new QLineEdit(&window);
    QMenu* menu = new QMenu(&window);
    QAction* lockout = menu->addAction("Lockout");
    QMenu* modifyMenu = menu->addMenu("Modify");
    QAction* protect = menu->addAction("Protect");
    QAction* move = menu->addAction("Move");
    QAction* copy = menu->addAction("Copy");
    std::vector<std::string> asked; // what the protection asked of the bar
    std::unique_ptr<Protection> protection;

    void SetUp() override
    {
        for (QAction* a : {lockout, protect})
            a->setCheckable(true);
        std::ofstream(ini) << "[Location]\n";
        window.setWindowTitle("Zivar32  Page 1 of 10");
        Restart();
    }
    // A protection as a new start of the bar makes it.
    void Restart()
    {
        ProtectionHooks hooks;
        hooks.openPrompt = [this](const QString& hint) {
            editor->clear();
            editor->setToolTip(hint);
            MaskForPassword(*editor);
            editor->show();
            asked.push_back("prompt");
        };
        hooks.closePrompt = [this] {
            editor->hide();
            asked.push_back("close");
        };
        hooks.bringBarBack = [this] { asked.push_back("back"); };
        hooks.clickButton = [this](int n) { asked.push_back("click " + std::to_string(n)); };
        protection.reset();
        protection = std::make_unique<Protection>(window, dialogs,
                                                  ProtectionMenus{lockout, modifyMenu->menuAction(), protect, {move, copy}},
                                                  hooks);
        protection->Start(ini, "", TNewIniFile(ini).ReadString("Location", "User", "UpdateMe"));
    }
    // Enter in the prompt, as the bar hands it on.
    void Type(const char* text)
    {
        ASSERT_TRUE(protection->PromptOpen());
        protection->PromptEntered(text);
    }
    bool Locked() const { return lockout->isChecked() && !modifyMenu->menuAction()->isEnabled(); }
    bool Unlocked() const { return !lockout->isChecked() && modifyMenu->menuAction()->isEnabled(); }
    std::vector<std::string> Messages()
    {
        std::vector<std::string> texts;
        for (const auto& m : dialogs.messages)
            texts.push_back(m.text + "/" + std::to_string(int(m.type)) + "/" + std::to_string(m.buttons) + "/" +
                            std::to_string(m.helpContext));
        dialogs.messages.clear();
        return texts;
    }
    static std::string Incorrect(int help)
    {
        return "Incorrect Password/" + std::to_string(int(TMsgDlgType::mtWarning)) + "/" +
               std::to_string(mbOK | mbHelp) + "/" + std::to_string(help);
    }
};

TEST_F(ProtectionTest, LockoutThroughThePromptSetsTheMenusAndSurvivesARestart)
{
    ASSERT_TRUE(Unlocked());
    EXPECT_TRUE(protection->RunAllowed());

    // The prompt borrows the caption and masks what is typed with "*".
    lockout->trigger();
    EXPECT_TRUE(Unlocked()); // the item's own toggle is not the lock
    EXPECT_EQ(window.windowTitle(), "   Enter PASSWORD below");
    EXPECT_EQ(editor->toolTip(), "Enter Password");
    EXPECT_EQ(editor->echoMode(), QLineEdit::Password);
    EXPECT_EQ(editor->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, editor), int('*'));
    Type("secret");
    EXPECT_EQ(window.windowTitle(), "Zivar32  Page 1 of 10");
    EXPECT_TRUE(Locked());
    EXPECT_FALSE(protection->RunAllowed());
    EXPECT_TRUE(protection->ModifyLocked());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The Run function has been turned off");
    dialogs.messages.clear();

    // A new start is locked without a word; a wrong password is told, Escape and an
    // empty Enter change nothing, the right one unlocks.
    Restart();
    EXPECT_TRUE(Locked());
    EXPECT_TRUE(Messages().empty());
    lockout->trigger();
    Type("Secret");
    EXPECT_EQ(Messages(), std::vector<std::string>{Incorrect(kIncorrectMasterHelp)});
    EXPECT_TRUE(Locked());
    lockout->trigger();
    protection->PromptEscaped();
    EXPECT_EQ(window.windowTitle(), "Zivar32  Page 1 of 10");
    lockout->trigger();
    Type("");
    EXPECT_TRUE(Locked());
    lockout->trigger();
    Type("secret");
    EXPECT_TRUE(Unlocked());
    EXPECT_TRUE(Messages().empty());
    Restart();
    EXPECT_TRUE(Unlocked());
}

// A lock that could not be stored is told, and the bar does not show itself locked.
TEST_F(ProtectionTest, ALockThatCannotBeStoredLeavesTheBarUnlocked)
{
    const std::string d = dir.path().toStdString();
    ASSERT_EQ(::chmod(d.c_str(), 0555), 0);
    lockout->trigger();
    EXPECT_THROW(Type("secret"), EIniWriteError);
    EXPECT_TRUE(Unlocked());
    EXPECT_EQ(window.windowTitle(), "Zivar32  Page 1 of 10");
    ::chmod(d.c_str(), 0755);
}

TEST_F(ProtectionTest, ButtonMenuAndLaunchGate)
{
    // Protecting from the button menu.
    protection->ButtonMenuOpening(3);
    EXPECT_FALSE(protect->isChecked());
    EXPECT_TRUE(move->isEnabled());
    protect->trigger();
    Type("pw");
    protection->ButtonMenuClosed();
    // Its menu now shows it protected and offers no move or copy while it shows.
    protection->ButtonMenuOpening(3);
    EXPECT_TRUE(protect->isChecked());
    EXPECT_FALSE(move->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    protection->ButtonMenuClosed();
    EXPECT_TRUE(move->isEnabled() && copy->isEnabled());

    // Escape after "Password Protect" stores nothing.
    protection->ButtonMenuOpening(4);
    protect->trigger();
    EXPECT_TRUE(protect->isChecked());
    protection->PromptEscaped();
    protection->ButtonMenuOpening(4);
    EXPECT_FALSE(protect->isChecked());
    EXPECT_TRUE(protection->LaunchGate(4));

    // The launch of button 3: the bar comes back and asks; a wrong password is told;
    // the right one closes the prompt and clicks the button again, once.
    asked.clear();
    EXPECT_FALSE(protection->LaunchGate(3));
    EXPECT_EQ(asked, (std::vector<std::string>{"back", "prompt"}));
    Type("PW");
    EXPECT_EQ(Messages(), std::vector<std::string>{Incorrect(kIncorrectButtonHelp)});
    EXPECT_FALSE(protection->LaunchGate(3));
    Type("pw");
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, (std::vector<std::string>{"back", "prompt", "back", "prompt", "close", "click 3"}));
    EXPECT_TRUE(protection->LaunchGate(3));
    EXPECT_FALSE(protection->LaunchGate(3));

    // Unprotecting asks for the password; a wrong one leaves the button protected.
    protection->ButtonMenuOpening(3);
    protect->trigger();
    Type("nope");
    EXPECT_EQ(Messages(), std::vector<std::string>{Incorrect(kIncorrectButtonHelp)});
    protection->ButtonMenuOpening(3);
    EXPECT_TRUE(protect->isChecked());
    protect->trigger();
    Type("pw");
    protection->ButtonMenuOpening(3);
    EXPECT_FALSE(protect->isChecked());
    EXPECT_TRUE(protection->LaunchGate(3));
}

} // namespace
} // namespace kex
