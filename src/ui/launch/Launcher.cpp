#include "ui/launch/Launcher.h"

#include <QDir>
#include <QTimer>

#include <sys/stat.h>

#include "core/bar/BarStore.h"
#include "core/window/StartupSettings.h"
#include "core/launch/CommandLine.h"
#include "platform/TPlatform.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/pages/ButtonFaces.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/window/BarContext.h"

namespace kex {

namespace {
constexpr const char* kProgramsFilter = "Programs|*.EXE;*.COM;*.BAT;*.PIF|All Files|*.*";

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

Launcher::Launcher(BarContext& context, const StartupSettings& settings, LaunchPages& pages, ButtonFaces& faces,
                   LaunchGate& gate, QObject* parent)
    : QObject(parent), context_(context), store_(context.store), platform_(context.platform), dialogs_(context.dialogs),
      settings_(settings), pages_(pages), faces_(faces), gate_(gate)
{
    setObjectName("Launcher");
    // The launched-program watch.
    watch_ = new QTimer(this);
    watch_->setObjectName("Timer2");
    watch_->setInterval(100);
    connect(watch_, &QTimer::timeout, this, [this] { context_.guard.Guarded([this] { Watch(); }); });
    programStart_ = platform_.Now();
    // Programs that end after their watch was over (or that were never watched) are
    // reaped once a second.
    reaper_ = new QTimer(this);
    reaper_->setInterval(1000);
    connect(reaper_, &QTimer::timeout, this, [this] { platform_.ReapChildren(); });
    reaper_->start();
}

bool Launcher::Watching() const { return watch_->isActive(); }

void Launcher::RestartProgramTimer()
{
    programStart_ = platform_.Now();
    Q_EMIT ProgramTimerRestarted(programStart_);
}

void Launcher::ClickButton(int n)
{
    // Not while a page name is edited or a move or copy is pending; a button of pages
    // changed meanwhile neither starts nor is filled.
    if (!pages_.ClicksLaunch() || !pages_.EnsureCurrent())
        return;
    // The button's record, read once.
    const ClickedButton clicked = store_.Clicked(n, settings_.shrinkOnLaunch);
    const ButtonRecord& record = clicked.record;
    const std::string& programs = record.Program;
    std::string parameters = record.Parameters;
    std::string program = programs;
    // An empty button is filled by browsing.
    if (programs.empty() && pages_.ModifyAllowed())
        program = BrowseForProgram(n, parameters);
    // Only what browsing chose is written: a stored value the user did not change
    // stays as it is.
    if (!program.empty()) {
        if (programs.empty())
            store_.SaveParameters(n, parameters);
        faces_.Show(pages_.FindButton(n), program, record.IconIndex, record.Description, record.IconFile, parameters);
    }
    // The keyboard selection keeps the focus.
    Q_EMIT FocusKeysRequested();
    // Files chosen for this launch only; an empty button is configured by its first
    // click, not started.
    const bool dropped = !record.Select.empty() && !SelectFiles(ProgramOf(record.Select), parameters);
    if (!programs.empty() && !dropped) {
        if (!record.SoundLaunch.empty())
            platform_.PlaySoundSync(record.SoundLaunch);
        Launch(
            {LaunchSource::Button, n, programs + " ", parameters, record.Working, record.Description, clicked.shrink},
            [this, n] { ClickButton(n); });
    } else {
        // No launch: the button's shrink value must not carry over to a later one.
        shrinkNow_ = false;
    }
}

void Launcher::LaunchWithFiles(int n, const ButtonRecord& record, const std::string& files, std::optional<bool> shrink)
{
    // Let go by the launch gate, the button starts with the same files, as it is then.
    Launch({LaunchSource::Button, n, record.Program, files, record.Working, record.Description, shrink},
           [this, n, files, shrink] {
               const ButtonRecord now = store_.Record(n);
               if (pages_.EnsureCurrent() && !now.Program.empty())
                   LaunchWithFiles(n, now, files, shrink);
           });
}

bool Launcher::SelectFiles(const std::string& folder, std::string& parameters)
{
    dialogs_.SetHelpFile(context_.HelpFile());
    OpenDialogOptions options;
    options.title = "Select File(s)";
    options.filter = "All Files|*.*";
    options.initialDir = folder;
    options.helpContext = 24;
    options.multiSelect = true;
    std::vector<std::string> files = dialogs_.OpenFiles(options);
    if (files.empty())
        return false;
    parameters = FilesParameterList(files);
    return true;
}

std::string Launcher::BrowseForProgram(int n, std::string& parameters)
{
    // Browsing starts in the user's home folder.
    OpenDialogOptions options;
    options.title = "Select Program to Run";
    options.filter = kProgramsFilter;
    options.helpContext = 29;
    options.initialDir = QDir::homePath().toStdString();
    std::optional<std::string> chosen = dialogs_.OpenFile(options);
    if (!chosen)
        return {};
    // A file that is not there (its name changed on the way) or whose name the
    // configuration cannot keep fills nothing; the user learns why.
    struct stat st {};
    std::optional<std::string> refusal = UnstorableName(*chosen);
    if (::stat(chosen->c_str(), &st) != 0)
        refusal = FileNotFoundText(*chosen);
    if (refusal) {
        dialogs_.MessageDlg(*refusal, MessageType::mtError, mbOK, 0);
        return {};
    }
    // The command that opens the chosen file (the file itself for a program),
    // with what its desktop entry needs, both in command-line form; a program stores
    // no parameters.
    const FileOpening opening = OpeningOf(platform_.OpenCommand(*chosen), *chosen);
    const std::string& program = opening.program;
    parameters = opening.document;
    // The program is stored; the other bars of this file reload.
    if (!program.empty())
        store_.SaveProgram(n, program);
    pages_.NoteLayout();
    Q_EMIT FileChanged();
    return program;
}

void Launcher::Launch(const LaunchRequest& request, std::function<void()> again)
{
    const int n = request.button;
    const std::string& programText = request.program;
    const std::string& parameters = request.parameters;
    const std::string& workingDirectory = request.workingDirectory;
    shrinkNow_ = request.shrink;
    // No length limit: the arguments are handed over as they are.
    const std::string commandLine = programText + parameters;
    // The working directory applies to the started program only; one that does not
    // exist leaves the program in the launcher's own.
    std::string directory = workingDirectory.empty() ? DirectoryPart(programText) : ProgramOf(workingDirectory);
    if (!IsDirectory(directory))
        directory.clear();
    // The launch gate (a Run-button launch belongs to no button).
    bool permitted = request.source == LaunchSource::RunButton || gate_.MayLaunch(n);
    if (!permitted) {
        Q_EMIT SmallModeRequested(SmallModeCause::BringIntoView);
        gate_.Held(n, pages_.FindButton(n), std::move(again));
    }
    // The launch: the bar shrinks or hides behind its tray icon, the watch starts, then the program.
    if (permitted) {
        Q_EMIT SmallModeRequested(SmallModeCause::Launch);
        watch_->start();
        if (request.source != LaunchSource::RunButton)
            Q_EMIT ButtonLaunched(n, QString::fromStdString(RecentEntryText(request.description, programText, n)));
        std::vector<std::string> argv = SplitCommandLine(commandLine);
        StartResult started;
        if (argv.empty())
            started.error = "there is no program to start";
        else
            started = platform_.StartProcess(argv, directory);
        launchedPid_ = started.pid;
        if (started.pid == 0) {
            // Nothing runs that the bar could wait for: it comes back at once, and the
            // user learns why without being held up.
            watch_->stop();
            Q_EMIT SmallModeRequested(SmallModeCause::StartFailed);
            dialogs_.Notify("Unable to start " + (argv.empty() ? commandLine : argv.front()) + ": " + started.error);
        }
    }
    // The program timer counts from now; the button's shrink value ends with the launch.
    RestartProgramTimer();
    shrinkNow_ = false;
}

void Launcher::Watch()
{
    platform_.ReapChildren();
    // Nothing to do while the watched program runs.
    if (launchedPid_ == 0 || platform_.PollProcess(launchedPid_) == ProcessState::Running)
        return;
    // The watched program has ended.
    // The bar comes back unless it stays small.
    Q_EMIT SmallModeRequested(SmallModeCause::ProgramEnded);
    // The watch is over; the program timer counts from now.
    launchedPid_ = 0;
    RestartProgramTimer();
}

void Launcher::RunButtonClick()
{
    // The lockout turns the Run button off.
    if (!gate_.RunAllowed()) {
        dialogs_.MessageDlg("The Run function has been turned off", MessageType::mtInformation, mbOK, 0);
        return;
    }
    // Not while a move or copy is pending.
    if (pages_.MovePending())
        return;
    OpenDialogOptions options;
    options.title = "Select Program to Run";
    options.filter = kProgramsFilter;
    options.helpContext = 29;
    std::optional<std::string> chosen = dialogs_.OpenFile(options);
    // A one-off launch: nothing is stored.
    if (chosen) {
        Launch({LaunchSource::RunButton, 0, ShortPathOf(*chosen), "", "", "", false}, nullptr);
    }
}

} // namespace kex
