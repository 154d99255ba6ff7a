#include "core/tray/TrayIconModel.h"

#include <algorithm>
#include <cctype>

namespace kex {

void RequireFormOwner(bool ownerIsForm)
{
    if (!ownerIsForm)
        throw EInvalidOperation(std::string(kTrayOwnerMessage));
}

namespace {

// The length of the UTF-8 character that starts at `at`, or 1 when none starts there.
std::size_t CharacterLength(std::string_view s, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(s[at]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 1 || at + length > s.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(s[at + i]) & 0xC0) != 0x80)
            return 1;
    return length;
}

std::string UpperAscii(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::string CutToCharacters(std::string_view utf8, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t n = 0; n < count && at < utf8.size(); ++n)
        at += CharacterLength(utf8, at);
    return std::string(utf8.substr(0, at));
}

TrayIconModel::TrayIconModel(TRWTimerManager& timers, TrayIconShell& shell, TrayIconEvents* events)
    : shell_(shell), events_(events),
      frameTimer_(timers, static_cast<std::uint32_t>(interval_), [this](TRWTimerItem&) { Step(); })
{
}

void TrayIconModel::SetActive(bool active)
{
    if (active == active_)
        return;
    if (active) {
        // An animation shows its first frame from the start.
        if (state_ == TRWTrayIconState::tsAnimated)
            frame_ = 0;
        Refresh();
        active_ = true;
        shell_.Add(picture_, tip_);
        shownPicture_ = picture_;
        shownTip_ = tip_;
        forceModify_ = false;
        if (state_ == TRWTrayIconState::tsAnimated)
            StartAnimation();
    } else {
        active_ = false;
        StopAnimation();
        shell_.Delete();
    }
}

void TrayIconModel::SetState(TRWTrayIconState state)
{
    if (inStateChanging_)
        throw EInvalidOperation(std::string(kStateChangingMessage));
    if (!active_) {
        state_ = state;
        return;
    }
    if (state == state_)
        return;
    if (events_) {
        // Cleared however the event ends, so that a failed event leaves State usable.
        struct Guard {
            bool& flag;
            explicit Guard(bool& f) : flag(f) { flag = true; }
            ~Guard() { flag = false; }
        } guard(inStateChanging_);
        events_->StateChanging(state);
    }
    if (state == state_)
        return;
    if (state_ == TRWTrayIconState::tsAnimated)
        StopAnimation();
    state_ = state;
    Refresh();
    if (state_ == TRWTrayIconState::tsAnimated)
        StartAnimation();
}

void TrayIconModel::SetHint(const std::string& hint)
{
    if (hint == hint_)
        return;
    hint_ = hint;
    if (showHint_)
        SetShowHint(true);
}

void TrayIconModel::SetShowHint(bool show)
{
    showHint_ = show;
    tip_ = show ? CutToCharacters(hint_, kTrayTipCharacters) : std::string();
    Present();
}

void TrayIconModel::SetAnimationInterval(int intervalMs)
{
    if (intervalMs == interval_)
        return;
    interval_ = intervalMs;
    if (Animating())
        StartAnimation();
}

void TrayIconModel::SetAnimationIcons(std::vector<std::string> icons)
{
    icons_ = std::move(icons);
    if (Animating())
        frame_ = 0;
}

void TrayIconModel::IconChanged()
{
    forceModify_ = true;
    Refresh();
}

void TrayIconModel::Refresh()
{
    switch (state_) {
    case TRWTrayIconState::tsEnabled: picture_ = {TrayPicture::Source::Icon, {}}; break;
    case TRWTrayIconState::tsDisabled: picture_ = {TrayPicture::Source::DisabledIcon, {}}; break;
    case TRWTrayIconState::tsAnimated:
        // A frame beyond the list leaves the picture as it is.
        if (frame_ < icons_.size()) {
            if (options_ == TRWTrayIconAnimationOptions::aoIconsInExe)
                picture_ = {TrayPicture::Source::Resource, UpperAscii(icons_[frame_])};
            else
                picture_ = {TrayPicture::Source::File, icons_[frame_]};
        }
        break;
    }
    Present();
}

void TrayIconModel::Present()
{
    if (!active_)
        return;
    if (picture_ == shownPicture_ && tip_ == shownTip_ && !forceModify_)
        return;
    shell_.Modify(picture_, tip_);
    shownPicture_ = picture_;
    shownTip_ = tip_;
    forceModify_ = false;
}

void TrayIconModel::StartAnimation()
{
    StopAnimation();
    frame_ = 0;
    Step();
    if (state_ == TRWTrayIconState::tsAnimated && active_)
        frameTimer_.Restart(static_cast<std::uint32_t>(std::max(interval_, 0)));
}

void TrayIconModel::StopAnimation() { frameTimer_.SetEnabled(false); }

void TrayIconModel::Step()
{
    if (events_)
        events_->Animation();
    Refresh();
    frame_ = frame_ + 1 < icons_.size() ? frame_ + 1 : 0;
}

} // namespace kex
