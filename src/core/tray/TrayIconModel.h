// What the tray icon is, apart from the widget that shows it: present or not, which
// picture it shows (the icon, the disabled icon, or the animation's frames on the
// shared timer), and its tooltip. The window layer's tray component owns one and
// carries out what it asks of the desktop through TrayIconShell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/InvalidOperation.h"
#include "core/tray/TimerManager.h"

namespace kex {

enum class TRWTrayIconState : std::uint8_t { tsEnabled, tsDisabled, tsAnimated };
enum class TRWTrayIconAnimationOptions : std::uint8_t { aoIconsInExe, aoIconsAreFiles };

// The tray component's own errors (EInvalidOperation): made with an owner that is not
// a form, and a State set from inside its OnStateChanging event.
inline constexpr std::string_view kTrayOwnerMessage = "TrayIcons must be owned by a Form !";
inline constexpr std::string_view kStateChangingMessage =
    "You cannot modify the state property in the OnStateChanging event !!!";
// Throws the owner error unless the owner is a form (a top-level window).
void RequireFormOwner(bool ownerIsForm);

// The tooltip shows at most this many characters of the hint.
inline constexpr std::size_t kTrayTipCharacters = 63;
// The first `count` characters of a UTF-8 text, never part of one; a byte that starts
// no valid character counts as one.
std::string CutToCharacters(std::string_view utf8, std::size_t count);

// The picture the icon shows.
struct TrayPicture {
    enum class Source : std::uint8_t {
        None,         // nothing yet
        Icon,         // the component's Icon
        DisabledIcon, // its DisabledIcon
        Resource,     // a picture built into the program, by name (upper case)
        File,         // an icon file, by path
    };
    Source source = Source::None;
    std::string name;
    bool operator==(const TrayPicture&) const = default;
};

// What the model asks of the desktop. Add puts the icon into the tray, Modify sends a
// changed picture or tooltip of a present icon, Delete takes it out.
class TrayIconShell {
public:
    virtual ~TrayIconShell() = default;
    virtual void Add(const TrayPicture& picture, const std::string& tip) = 0;
    virtual void Modify(const TrayPicture& picture, const std::string& tip) = 0;
    virtual void Delete() = 0;
};

// The component's events that the model raises.
class TrayIconEvents {
public:
    virtual ~TrayIconEvents() = default;
    // Before State changes while the icon is present; may alter the new state.
    virtual void StateChanging(TRWTrayIconState& next) = 0;
    // Before each animation frame.
    virtual void Animation() = 0;
};

class TrayIconModel {
public:
    // Inactive, tsEnabled, no hint shown yet, the animation at 1000 ms with no frames
    // and aoIconsAreFiles. events may be null. The manager, shell and events outlive
    // the model.
    TrayIconModel(TRWTimerManager& timers, TrayIconShell& shell, TrayIconEvents* events);

    // Present in the tray. Adding shows the picture (an animation from its first
    // frame); deleting stops the animation.
    bool Active() const { return active_; }
    void SetActive(bool active);

    // While the icon is absent a new state is only stored. Otherwise a different one
    // goes through StateChanging (setting State from there throws
    // kStateChangingMessage), and the animation runs exactly in tsAnimated.
    TRWTrayIconState State() const { return state_; }
    void SetState(TRWTrayIconState state);

    // The tooltip is the hint's first kTrayTipCharacters characters while ShowHint is
    // on, empty while it is off.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    const std::string& Tip() const { return tip_; }

    // The animation's frames, one every `interval` milliseconds (bounded as a timer
    // item's): names of built-in pictures (aoIconsInExe, looked up in upper case) or
    // icon files. A new interval restarts a running animation; new frames start it
    // again at the first.
    int AnimationInterval() const { return interval_; }
    void SetAnimationInterval(int intervalMs);
    const std::vector<std::string>& AnimationIcons() const { return icons_; }
    void SetAnimationIcons(std::vector<std::string> icons);
    TRWTrayIconAnimationOptions AnimationOptions() const { return options_; }
    void SetAnimationOptions(TRWTrayIconAnimationOptions options) { options_ = options; }

    // The picture shown now (or last, while absent).
    const TrayPicture& Picture() const { return picture_; }
    // Icon or DisabledIcon has a new image: a present icon shows it again.
    void IconChanged();
    // The session ends (log-off, shutdown): the icon goes.
    void SessionEnding() { SetActive(false); }

private:
    void Refresh();
    void Present();
    void StartAnimation();
    void StopAnimation();
    void Step();
    bool Animating() const { return active_ && state_ == TRWTrayIconState::tsAnimated; }

    TrayIconShell& shell_;
    TrayIconEvents* events_;
    bool active_ = false;
    TRWTrayIconState state_ = TRWTrayIconState::tsEnabled;
    bool inStateChanging_ = false;
    std::string hint_;
    bool showHint_ = true;
    std::string tip_;
    int interval_ = 1000;
    std::vector<std::string> icons_;
    TRWTrayIconAnimationOptions options_ = TRWTrayIconAnimationOptions::aoIconsAreFiles;
    std::size_t frame_ = 0; // the next frame
    TrayPicture picture_;
    TrayPicture shownPicture_;
    std::string shownTip_;
    bool forceModify_ = false;
    TRWTimerItem frameTimer_;
};

} // namespace kex
