// The launch engine: a click on a page button starts its program (or fills an empty
// button by browsing), the Run button starts any program once, and the
// launched-program watch brings the bar back when the program has ended.
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QTimer>

#include <sys/stat.h>

#include "ui/dialogs/Dialogs.h"
#include "ui/window/MainWindow.h"
#include "core/launch/CommandLine.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
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

void MainWindow::ButtonClick(TSpeedButton* button)
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
        const int n = button->Number();
        const ClickedButton clicked = store_->Clicked(n, settings_.shrinkOnLaunch);
        const ButtonRecord& record = clicked.record;
        const std::string& programs = record.Program;
        std::string parameters = record.Parameters;
        ShrinkNow = clicked.shrink;
        std::string program = programs;
        // An empty button is filled by browsing.
        if (programs.empty() && !ModifyLocked())
            program = BrowseForProgram(n, parameters);
        const std::string programText = program + " ";
        // 6. - 7. Only what browsing chose is written: a stored value the user did not
        // change stays as it is.
        if (!program.empty()) {
            if (programs.empty())
                store_->SaveParameters(n, parameters);
            GlyphFromIcon(button, program, record.IconIndex, record.Description, record.IconFile, parameters);
        }
        // 8.
        Keys->setFocus();
        // 9. - 10. Files chosen for this launch only.
        bool dropped = false;
        if (!record.Select.empty()) {
            dialogs_.SetHelpFile(HelpFileName());
            TOpenDialogOptions options;
            options.title = "Select File(s)";
            options.filter = "All Files|*.*";
            options.initialDir = ProgramOf(record.Select);
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
            if (!record.SoundLaunch.empty())
                platform_.PlaySoundSync(record.SoundLaunch);
            CurrentButtonNumber = n;
            LaunchSource = kLaunchFromButton;
            Launch(programs + " ", parameters, record.Working, record.Description);
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

std::string MainWindow::BrowseForProgram(int n, std::string& parameters)
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
        store_->SaveProgram(n, program);
    NoteLayout();
    BroadcastLoad();
    return program;
}

void MainWindow::Launch(const std::string& programText, const std::string& parameters,
                        const std::string& workingDirectory, const std::string& description)
{
    // 1.
    const bool shrink = ShouldShrink(ShrinkNow, settings_.shrinkOnLaunch ? "Yes" : "No");
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
            if (SmallActive)
                SmallSize();
            if (settings_.trayOnLaunch)
                show();
            PasswordKey = ButtonKey(CurrentButtonNumber);
            OpenPasswordPrompt(FindButton(CurrentButtonNumber));
        }
    }
    // 8.
    if (LaunchPermission == "Yes") {
        if (shrink && !SmallActive)
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
        if (LaunchSource != kLaunchFromRunButton)
            RecentAdd(RecentEntryText(description, programText, CurrentButtonNumber));
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
            if (SmallActive)
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

void MainWindow::AppActive32()
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
    if (!SmallActive && !staySmall) {
        show();
        TrayActivate(false);
    }
    if (SmallActive && !staySmall)
        SmallSize();
    // 4.
    LaunchedPid = 0;
    StartTime = platform_.Now();
}

void MainWindow::RunButtonClick()
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
        Launch(ShortPathOf(*chosen), "", "", "");
    }
}

void MainWindow::FileCopy(const std::string& source, const std::string& destination)
{
    CopyFileBytes(source, destination);
}

} // namespace kex
