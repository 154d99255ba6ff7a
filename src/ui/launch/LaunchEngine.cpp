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
#include "ui/protect/Protection.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "platform/TPlatform.h"

namespace kex {

namespace {
constexpr const char* kProgramsFilter = "Programs|*.EXE;*.COM;*.BAT;*.PIF|All Files|*.*";

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

void MainWindow::ButtonClick(TSpeedButton* button)
{
    // The click lets the button up again; the caption shows the page.
    button->SetDown(false);
    if (!button->Down())
        FormCaption();
    // Not while a page name is edited (red tab) or a move or copy is pending; a
    // button of pages changed meanwhile neither starts nor is filled.
    if (TabSet1->SelectedColor() == ColorFromValue(TabSelectedColor) && ScreenCursor() == crDefault &&
        EnsureCurrent()) {
        // The button's record, read once.
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
        // Only what browsing chose is written: a stored value the user did not
        // change stays as it is.
        if (!program.empty()) {
            if (programs.empty())
                store_->SaveParameters(n, parameters);
            GlyphFromIcon(button, program, record.IconIndex, record.Description, record.IconFile, parameters);
        }
        // The keyboard selection keeps the focus.
        Keys->setFocus();
        // Files chosen for this launch only.
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
        // An empty button is configured by its first click, not started.
        if (!programs.empty() && !dropped) {
            if (!record.SoundLaunch.empty())
                platform_.PlaySoundSync(record.SoundLaunch);
            CurrentButtonNumber = n;
            LaunchSource = TLaunchSource::Button;
            Launch(programs + " ", parameters, record.Working, record.Description);
        } else {
            // No launch: the button's shrink value must not carry over to a later one.
            ShrinkNow = "No";
        }
    }
    // A pending move or copy is put down on this button.
    if (ScreenCursor() == crDrag) {
        CurrentButton = button->Number();
        PutButton();
    }
}

std::string MainWindow::BrowseForProgram(int n, std::string& parameters)
{
    // Browsing starts in the user's home folder.
    TOpenDialogOptions options;
    options.title = "Select Program to Run";
    options.filter = kProgramsFilter;
    options.helpContext = 29;
    options.initialDir = QDir::homePath().toStdString();
    std::optional<std::string> chosen = dialogs_.OpenFile(options);
    if (!chosen)
        return {};
    // The command that opens the chosen file (the file itself for a program),
    // with what its desktop entry needs, both in command-line form; a program stores
    // no parameters.
    const std::vector<std::string> opener = platform_.OpenCommand(*chosen);
    std::string program = JoinCommandLine(opener);
    parameters = ShortPathOf(*chosen);
    if (opener.size() == 1 && program == parameters)
        parameters.clear();
    // The program is stored; the other bars of this file reload.
    if (!program.empty())
        store_->SaveProgram(n, program);
    NoteLayout();
    BroadcastLoad();
    return program;
}

void MainWindow::Launch(const std::string& programText, const std::string& parameters,
                        const std::string& workingDirectory, const std::string& description)
{
    // Whether the launch shrinks the bar.
    const bool shrink = ShouldShrink(ShrinkNow, settings_.shrinkOnLaunch ? "Yes" : "No");
    // No length limit: the arguments are handed over as they are.
    const std::string commandLine = programText + parameters;
    // The working directory applies to the started program only; one that does not
    // exist leaves the program in the launcher's own.
    std::string directory = workingDirectory.empty() ? DirectoryPart(programText) : ProgramOf(workingDirectory);
    if (!IsDirectory(directory))
        directory.clear();
    // The password gate (a Run-button launch belongs to no button: only the
    // lockout governs it).
    const bool permitted =
        LaunchSource == TLaunchSource::RunButton || protection_->LaunchGate(CurrentButtonNumber);
    // The launch: the bar shrinks or hides behind its tray icon, the watch starts, then the program.
    if (permitted) {
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
        if (LaunchSource != TLaunchSource::RunButton)
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
    // The program timer counts from now; the button's shrink value ends with the launch.
    StartTime = platform_.Now();
    ShrinkNow = "No";
}

void MainWindow::AppActive32()
{
    platform_.ReapChildren();
    // A launch without a watch is not waited for.
    if (LaunchSource == TLaunchSource::RecentList)
        return;
    // Nothing to do while the watched program runs.
    if (LaunchedPid == 0 || platform_.PollProcess(LaunchedPid) == TProcessState::Running)
        return;
    // The watched program has ended.
    const bool staySmall = MenuItem("StaySmall")->isChecked();
    if (!SmallActive && !staySmall) {
        show();
        TrayActivate(false);
    }
    if (SmallActive && !staySmall)
        SmallSize();
    // The watch is over; the program timer counts from now.
    LaunchedPid = 0;
    StartTime = platform_.Now();
}

void MainWindow::RunButtonClick()
{
    // The lockout turns the Run button off.
    if (!protection_->RunAllowed())
        return;
    // Not while a move or copy is pending.
    if (ScreenCursor() != crDefault)
        return;
    TOpenDialogOptions options;
    options.title = "Select Program to Run";
    options.filter = kProgramsFilter;
    options.helpContext = 29;
    std::optional<std::string> chosen = dialogs_.OpenFile(options);
    // A one-off launch: nothing is stored.
    if (chosen) {
        LaunchSource = TLaunchSource::RunButton;
        Launch(ShortPathOf(*chosen), "", "", "");
    }
}

} // namespace kex
