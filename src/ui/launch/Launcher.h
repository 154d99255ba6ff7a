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
class TDialogs;
class TPlatform;

// What the launcher asks of the window: its settings, the help file, the focus.
class LauncherHost {
public:
    // The keyboard selection takes the focus back.
    virtual void FocusKeys() = 0;
    virtual std::string HelpFileName() = 0;
    // "Bar Graph on Launch" as the menu says now.
    virtual bool ShrinkOnLaunch() const = 0;
    // The other bars of this file reload (in sync mode).
    virtual void BroadcastLoad() = 0;
    // Runs a handler; an error escaping it is shown and the bar goes on.
    virtual void Guarded(const std::function<void()>& handler) = 0;

protected:
    ~LauncherHost() = default;
};

class Launcher : public QObject, public ButtonLauncher {
    Q_OBJECT
public:
    Launcher(BarStore& store, TPlatform& platform, TDialogs& dialogs, LauncherHost& host, LaunchPages& pages,
             ButtonFaces& faces, QObject* parent);

    // ---- attaching subsystems
    // Asked before a page button's program starts and before the Run button opens
    // (null: every launch goes ahead).
    void SetLaunchGate(LaunchGate* gate) { gate_ = gate; }

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
    // The shrink value the next launch goes by: true or false as a button stores it,
    // nothing to follow the bar's setting.
    std::optional<bool> ShrinkNow() const { return shrinkNow_; }
    void SetShrinkNow(std::optional<bool> shrink) { shrinkNow_ = shrink; }

Q_SIGNALS:
    // A page button's program (from a click or the recent list) was started or its
    // start tried; entry: its text in the recent list.
    void ButtonLaunched(int n, const QString& entry);
    void RunMenuRequested(const QPoint& screenPos);
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
    void Launch(int n, const std::string& programText, const std::string& parameters,
                const std::string& workingDirectory, const std::string& description, std::function<void()> again);
    // The files chosen for this launch only (false: the choice was cancelled).
    bool SelectFiles(const std::string& folder, std::string& parameters);

    BarStore& store_;
    TPlatform& platform_;
    TDialogs& dialogs_;
    LauncherHost& host_;
    LaunchPages& pages_;
    ButtonFaces& faces_;
    LaunchGate* gate_ = nullptr;
    QTimer* watch_ = nullptr;

    std::optional<bool> shrinkNow_ = false;
    TLaunchSource source_ = TLaunchSource::RunButton;
    pid_t launchedPid_ = 0;
    QDateTime programStart_;
};

} // namespace kex
