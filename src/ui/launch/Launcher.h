// Launcher: a page button's click starts its program (or fills an empty button by
// browsing), the Run button starts any program once, and the launched-program watch
// brings the bar back when the program has ended.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>
#include <string>

#include <sys/types.h>

#include "core/pages/ButtonRecord.h"
#include "core/status/SmallMode.h"
#include "ui/pages/PageHooks.h"

class QTimer;

namespace kex {

class BarStore;
class ButtonFaces;
struct BarContext;
struct StartupSettings;
class TDialogs;
class TPlatform;

// A launch, as a value: where it comes from, what starts, and the shrink value it
// goes by (true or false as a button stores it, nothing to follow the bar's setting).
struct LaunchRequest {
    LaunchSource source = LaunchSource::RunButton;
    int button = 0; // the page button (0: the Run button's)
    std::string program;
    std::string parameters;
    std::string workingDirectory;
    std::string description;
    std::optional<bool> shrink;
};

class Launcher : public QObject, public ButtonLauncher {
    Q_OBJECT
public:
    // settings: the bar's typed settings ("Bar Graph on Launch"); gate: asked before a
    // page button's program starts and before the Run button opens.
    Launcher(BarContext& context, const StartupSettings& settings, LaunchPages& pages, ButtonFaces& faces,
             LaunchGate& gate, QObject* parent);

    // Launches button n as a click would (from the page bar, or replayed from the
    // recent list: the watch waits for its program alike). Nothing while a page name
    // is typed or a move is pending.
    void ClickButton(int n) override;
    // Starts button n's program (its record given) with files dropped on it as its
    // parameters (each after one blank), in its working directory, with the button's
    // shrink choice (none: the bar's setting).
    void LaunchWithFiles(int n, const ButtonRecord& record, const std::string& files, std::optional<bool> shrink);

    // The Run button: any program once, nothing stored.
    void RunButtonClick();
    // The Run button's right click (the recent list's menu opens there).
    void RunButtonRightClick(const QPoint& screenPos) { Q_EMIT RunMenuRequested(screenPos); }
    // One round of the launched-program watch (every 100 ms while it runs).
    void Watch();

    // ---- what the launcher shows
    // The program timer counts from here (a launch, the end of a watched program).
    QDateTime ProgramTimerStart() const { return programStart_; }
    void RestartProgramTimer();
    // The program the watch waits for (0: none).
    pid_t WatchedPid() const { return launchedPid_; }
    bool Watching() const;
    // The shrink value of the launch under way: true or false as its button stores
    // it, nothing to follow the bar's setting; false between launches.
    std::optional<bool> ShrinkNow() const { return shrinkNow_; }

Q_SIGNALS:
    // A page button's program (from a click or the recent list) was started or its
    // start tried; entry: its text in the recent list.
    void ButtonLaunched(int n, const QString& entry);
    void RunMenuRequested(const QPoint& screenPos);
    // The launcher stored a program: the other bars of this file reload.
    void FileChanged();
    // The keyboard selection takes the focus back.
    void FocusKeysRequested();
    // The bar is to shrink, hide or come back for a launch (ShrinkNow holds the
    // launch's own decision while this is emitted), a start that failed, a held launch
    // or the watched program's end.
    void SmallModeRequested(SmallModeCause cause);
    // The program timer counts from `start` anew (the bar's start, a launch, the
    // watched program's end).
    void ProgramTimerRestarted(const QDateTime& start);

private:
    // Browses for the program of an empty button and stores it; answers the program.
    std::string BrowseForProgram(int n, std::string& parameters);
    // again: repeats this launch when the launch gate holds it and later lets it go.
    void Launch(const LaunchRequest& request, std::function<void()> again);
    // The files chosen for this launch only (false: the choice was cancelled).
    bool SelectFiles(const std::string& folder, std::string& parameters);

    BarContext& context_;
    BarStore& store_;
    TPlatform& platform_;
    TDialogs& dialogs_;
    const StartupSettings& settings_;
    LaunchPages& pages_;
    ButtonFaces& faces_;
    LaunchGate& gate_;
    QTimer* watch_ = nullptr;
    QTimer* reaper_ = nullptr; // reaps programs that ended after their watch was over

    std::optional<bool> shrinkNow_ = false;
    pid_t launchedPid_ = 0;
    QDateTime programStart_;
};

} // namespace kex
