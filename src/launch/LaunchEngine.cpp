// The launch engine: a click on a page button starts its program (or fills an empty
// button by browsing), the Run button starts any program once, and the
// launched-program watch brings the bar back when the program has ended.
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QTimer>

#include <sys/stat.h>

#include "app/Dialogs.h"
#include "app/Settings.h"
#include "app/UKexbar.h"
#include "launch/CommandLine.h"
#include "pages/SpeedButton.h"
#include "pages/TabSet.h"
#include "platform/TPlatform.h"

namespace kex {

namespace {
constexpr const char* kProgramsFilter = "Programs|*.EXE;*.COM;*.BAT;*.PIF|All Files|*.*";
constexpr int kLaunchFromButton = 5;
constexpr int kLaunchFromRunButton = 0;

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

void TForm1::ButtonClick(TSpeedButton* button)
{
    // 1.
    const std::string key = button->objectName().toStdString();
    button->SetDown(false);
    if (!button->Down())
        FormCaption();
    // 2. Not while a page name is edited (red tab) or a move or copy is pending; a
    // button of pages changed meanwhile neither starts nor is filled.
    if (TabSet1->SelectedColor() == ColorFromValue(TabSelectedColor) && ScreenCursor() == crDefault &&
        EnsureCurrent()) {
        // 3.
        const int n = NumberFromName(key);
        const IniDocument doc = TNewIniFile(IniFileName()).Document();
        const std::string programs = doc.ReadString("Programs", key, "");
        // Whole: a value longer than a profile read gives is neither cut nor written back.
        std::string parameters = doc.Get("Parameters", key).value_or("");
        const std::string icons = doc.ReadString("Icons", key, "");
        const int iconSelection = doc.ReadInteger("IconSelection", key, 0);
        const std::string names = doc.ReadString("Names", key, "");
        ShrinkNow = doc.ReadString("Shrink", key, ShrinkSetting);
        const std::string select = doc.ReadString("Select", key, "");
        const std::string working = doc.ReadString("Working", key, "");
        const std::string soundLaunch = doc.ReadString("SoundLaunch", key, "");
        // 4.
        std::string program = programs;
        // 5. An empty button is filled by browsing.
        if (programs.empty() && !ModifyLocked())
            program = BrowseForProgram(key, parameters);
        const std::string programText = program + " ";
        // 6. - 7. Only what browsing chose is written: a stored value the user did not
        // change stays as it is.
        if (!program.empty()) {
            if (programs.empty())
                TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
                    if (parameters.empty())
                        d.EraseKey("Parameters", key);
                    else
                        d.WriteString("Parameters", key, parameters);
                });
            GlyphFromIcon(button, program, iconSelection, names, icons, parameters);
        }
        // 8.
        Keys->setFocus();
        // 9. - 10. Files chosen for this launch only.
        bool dropped = false;
        if (!select.empty()) {
            dialogs_.SetHelpFile(HelpFileName());
            TOpenDialogOptions options;
            options.title = "Select File(s)";
            options.filter = "All Files|*.*";
            options.initialDir = ProgramOf(select);
            options.helpContext = 24;
            options.multiSelect = true;
            std::vector<std::string> files = dialogs_.OpenFiles(options);
            if (files.empty())
                dropped = true;
            else
                parameters = FilesParameterList(files);
        }
        // 11. - 13. An empty button is configured by its first click, not started.
        if (!programs.empty() && !dropped) {
            if (!soundLaunch.empty())
                platform_.PlaySoundSync(soundLaunch);
            CurrentButtonNumber = n;
            LaunchSource = kLaunchFromButton;
            Launch(programs + " ", parameters, working);
        } else {
            // No launch: the button's shrink value must not carry over to a later one.
            ShrinkNow = "No";
        }
    }
    // 14. A pending move or copy is put down on this button.
    if (ScreenCursor() == crDrag) {
        CurrentButton = key;
        PutButton();
    }
}

std::string TForm1::BrowseForProgram(const std::string& key, std::string& parameters)
{
    // 1. Browsing starts in the user's home folder.
    TOpenDialogOptions options;
    options.title = "Select Program to Run";
    options.filter = kProgramsFilter;
    options.helpContext = 29;
    options.initialDir = QDir::homePath().toStdString();
    std::optional<std::string> chosen = dialogs_.OpenFile(options);
    if (!chosen)
        return {};
    // 2. - 3. The command that opens the chosen file (the file itself for a program),
    // with what its desktop entry needs, both in command-line form; a program stores
    // no parameters.
    const std::vector<std::string> opener = platform_.OpenCommand(*chosen);
    std::string program = JoinCommandLine(opener);
    parameters = ShortPathOf(*chosen);
    if (opener.size() == 1 && program == parameters)
        parameters.clear();
    // 4. - 5.
    if (!program.empty())
        WriteToIniS("Programs", key, program);
    NoteLayout();
    BroadcastLoad();
    return program;
}

void TForm1::Launch(const std::string& programText, const std::string& parameters,
                    const std::string& workingDirectory)
{
    // 1.
    const bool shrink = ShouldShrink(ShrinkNow, ShrinkSetting);
    // 2. No length limit: the arguments are handed over as they are.
    const std::string commandLine = programText + parameters;
    // 3. The working directory applies to the started program only; one that does not
    // exist leaves the program in the launcher's own.
    std::string directory = workingDirectory.empty() ? DirectoryPart(programText) : ProgramOf(workingDirectory);
    if (!IsDirectory(directory))
        directory.clear();
    // 4. - 7. The password gate (a Run-button launch belongs to no button: only the
    // lockout governs it).
    EnteredPassword.clear();
    if (LaunchSource == kLaunchFromRunButton) {
        LaunchPermission = "Yes";
    } else {
        if (LaunchPermission == "No")
            CheckPassword(ButtonKey(CurrentButtonNumber));
        if (!MenuItem("PasswordProtect1")->isChecked())
            LaunchPermission = "Yes";
        if (LaunchPermission == "No") {
            if (SmallActive == "Yes")
                SmallSize();
            if (TrayOnLaunch == "Yes")
                show();
            PasswordKey = ButtonKey(CurrentButtonNumber);
            OpenPasswordPrompt(FindButton(CurrentButtonNumber));
        }
    }
    // 8.
    if (LaunchPermission == "Yes") {
        if (shrink && SmallActive == "No")
            SmallSize();
        Timer2->start();
        bool toTray = MenuItem("HideGraph1")->isChecked() && ShrinkNow != "Yes";
        if (toTray) {
            // Hidden only behind a tray icon that brings it back.
            TrayActivate(true);
            toTray = TrayIconShowing();
            if (toTray)
                hide();
        }
        if (LaunchSource != kLaunchFromRunButton) {
            std::string label = TNewIniFile(IniFileName()).ReadString("Names", ButtonKey(CurrentButtonNumber), "");
            RecentAdd(RecentEntryText(label, programText, CurrentButtonNumber));
        }
        std::vector<std::string> argv = SplitCommandLine(commandLine);
        TStartResult started;
        if (argv.empty())
            started.error = "there is no program to start";
        else
            started = platform_.StartProcess(argv, directory);
        LaunchedPid = started.pid;
        if (started.pid == 0) {
            // Nothing runs that the bar could wait for: it comes back at once, and the
            // user learns why without being held up.
            Timer2->stop();
            if (SmallActive == "Yes")
                SmallSize();
            if (toTray) {
                TrayActivate(false);
                show();
            }
            dialogs_.Notify("Unable to start " + (argv.empty() ? commandLine : argv.front()) + ": " + started.error);
        }
    }
    // 9. - 10.
    StartTime = platform_.Now();
    ShrinkNow = "No";
    LaunchPermission = "No";
}

void TForm1::AppActive32()
{
    platform_.ReapChildren();
    // 1.
    if (LaunchSource == 4)
        return;
    // 2.
    if (LaunchedPid == 0 || platform_.PollProcess(LaunchedPid) == TProcessState::Running)
        return;
    // 3. The watched program has ended.
    const bool staySmall = MenuItem("StaySmall")->isChecked();
    if (SmallActive == "No" && !staySmall) {
        show();
        TrayActivate(false);
    }
    if (SmallActive == "Yes" && !staySmall)
        SmallSize();
    // 4.
    LaunchedPid = 0;
    StartTime = platform_.Now();
}

void TForm1::RunButtonClick()
{
    // 1.
    if (MenuItem("LockoutModify1")->isChecked()) {
        dialogs_.MessageDlg("The Run function has been turned off", TMsgDlgType::mtInformation, mbOK, 0);
        return;
    }
    // 2.
    if (ScreenCursor() != crDefault)
        return;
    TOpenDialogOptions options;
    options.title = "Select Program to Run";
    options.filter = kProgramsFilter;
    options.helpContext = 29;
    std::optional<std::string> chosen = dialogs_.OpenFile(options);
    // 3. A one-off launch: nothing is stored.
    if (chosen) {
        LaunchSource = kLaunchFromRunButton;
        Launch(ShortPathOf(*chosen), "", "");
    }
}

void TForm1::FileCopy(const std::string& source, const std::string& destination)
{
    CopyFileBytes(source, destination);
}

} // namespace kex
