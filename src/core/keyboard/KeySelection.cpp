#include "core/keyboard/KeySelection.h"

#include <algorithm>
#include <limits>

#include "core/pages/Grid.h"

namespace kex {

std::string SelectionCaption(const KeyButton& button)
{
    // A button's hint may hold several lines (a description's "~"): the caption has
    // one, so each line break becomes a blank.
    std::string hint;
    bool brokeLine = false;
    for (char c : button.Hint) {
        if (c == '\n' || c == '\r') {
            if (!brokeLine)
                hint += ' ';
            brokeLine = true;
            continue;
        }
        brokeLine = false;
        hint += c;
    }
    // An empty button says so, whatever hint it was given when the page was made.
    if (button.Empty || hint.empty() || hint == kBlankButtonHint)
        hint = "Empty";
    return "       " + hint;
}

namespace {

using Kind = KeyAction::Kind;

// One key worked through against the snapshot; the answer gathers in `plan_`.
class KeyWalk {
public:
    KeyWalk(const KeySnapshot& bar, SelectionKey key, KeyModifiers modifiers)
        : bar_(bar), key_(key), modifiers_(modifiers), n_(bar.ButtonsPerPage), pages_(bar.Pages),
          total_(bar.ButtonsPerPage * bar.Pages), page_(std::clamp(bar.Page, 0, bar.Pages - 1)), small_(bar.SmallActive)
    {
        s_ = bar.Selection;
        // A selection that is not on the shown page (the bar changed under it) is
        // taken as parked before the shown page's first button.
        const bool onPage = s_ >= page_ * n_ && s_ <= (page_ + 1) * n_;
        if (!onPage && !(page_ == 0 && s_ == total_))
            s_ = Parked(page_);
    }

    KeyPlan Run()
    {
        LookUpSelection();
        FunctionKey();
        VolumeKey();
        if (small_ && (key_ == SelectionKey::Left || key_ == SelectionKey::Right)) {
            Do(Kind::SmallSize);
            small_ = false;
        }
        if (!small_) {
            PageAndSelectionKeys();
            if (s_ > 0)
                refresh_ = true;
            if (refresh_) {
                KeyAction& caption = Do(Kind::Caption);
                if (s_ > 0 && lookedDown_)
                    caption.Text = SelectionCaption(*lookedButton_);
            }
            if (lookedDown_)
                Do(Kind::PlaySound, looked_);
        }
        if (s_ == 0)
            s_ = total_;
        plan_.Selection = s_;
        return plan_;
    }

private:
    int Parked(int page) const { return page == 0 ? total_ : page * n_; }
    int First() const { return page_ * n_ + 1; }
    int Last() const { return (page_ + 1) * n_; }

    std::optional<KeyButton> Button(int n) const
    {
        if (n < 1 || n > total_ || !bar_.Button)
            return std::nullopt;
        return bar_.Button(n);
    }

    KeyAction& Do(Kind what, int button = 0)
    {
        KeyAction& a = plan_.Actions.emplace_back();
        a.What = what;
        a.Button = button;
        return a;
    }

    // The selection's button, as it stands; the caption and the sound go by the
    // button looked up last.
    void LookUpSelection()
    {
        if (s_ <= 0)
            return;
        selection_ = s_;
        lookedButton_ = Button(s_);
        selectionDown_ = lookedButton_ && lookedButton_->Down;
        looked_ = s_;
        lookedDown_ = selectionDown_;
    }

    // B lets up (nothing to do when it is up already).
    void ReleaseSelection()
    {
        if (selectionDown_)
            Do(Kind::Release, selection_);
        if (looked_ == selection_)
            lookedDown_ = false;
        selectionDown_ = false;
    }

    void GoToPage(int page)
    {
        Do(Kind::ShowPage).Page = page;
        page_ = page;
    }

    void SelectButton(int n)
    {
        s_ = n;
        Do(Kind::Select, n);
        looked_ = n;
        lookedButton_ = Button(n);
        lookedDown_ = lookedButton_.has_value();
    }

    void FunctionKey()
    {
        switch (key_) {
        case SelectionKey::F1: Do(Kind::HelpContents); break;
        case SelectionKey::F2:
            // The switch gives the bar its full size: a small bar first comes back
            // whole, so that the launch watch and the gauge's menu are as the full
            // bar has them.
            if (small_)
                Do(Kind::SmallSize);
            Do(Kind::StayOnTop);
            small_ = false;
            break;
        case SelectionKey::F3:
            Do(Kind::SmallSize);
            small_ = small_ ? false : !bar_.ShrinksToTray;
            break;
        case SelectionKey::F4: Do(Kind::GaugeMenu); break;
        case SelectionKey::F5:
            if (s_ > 0) {
                if (selectionDown_ && !bar_.EditorOpen)
                    Do(Kind::ButtonMenu, s_);
                else if (!selectionDown_)
                    Do(Kind::SelectionError).Text = std::string(kNoKeyboardSelectionMessage);
            }
            break;
        case SelectionKey::F6:
            if (!bar_.Renaming && !bar_.EditorOpen && !bar_.ModifyLocked)
                Do(Kind::PageMenu);
            break;
        case SelectionKey::F7: Do(Kind::RunMenu); break;
        case SelectionKey::F8: Do(Kind::CdTray); break;
        case SelectionKey::F9: Do(Kind::ScreenSaver); break;
        default: break;
        }
    }

    // Up and Down step the master volume, with Shift alone the wave output, with Ctrl
    // alone the line; any other combination does nothing.
    void VolumeKey()
    {
        if (key_ != SelectionKey::Up && key_ != SelectionKey::Down)
            return;
        const KeyModifiers m = modifiers_;
        int device = -1;
        if (!m.Shift && !m.Ctrl && !m.Alt)
            device = kVolumeMaster;
        else if (m.Shift && !m.Ctrl && !m.Alt)
            device = kVolumeWave;
        else if (m.Ctrl && !m.Shift && !m.Alt)
            device = kVolumeLine;
        if (device < 0)
            return;
        KeyAction& a = Do(Kind::Volume);
        a.Device = device;
        a.Direction = key_ == SelectionKey::Up ? VolumeDirection::Up : VolumeDirection::Down;
    }

    void PageAndSelectionKeys()
    {
        const int first = First();
        const int last = Last();
        switch (key_) {
        case SelectionKey::PageDown:
            // The previous page, from the first to the last.
            refresh_ = true;
            ReleaseSelection();
            GoToPage(page_ == 0 ? pages_ - 1 : page_ - 1);
            s_ = page_ * n_;
            break;
        case SelectionKey::PageUp:
            // The next page, from the last to the first.
            refresh_ = true;
            ReleaseSelection();
            GoToPage(page_ == pages_ - 1 ? 0 : page_ + 1);
            s_ = Parked(page_);
            break;
        case SelectionKey::Home:
            ReleaseSelection();
            refresh_ = true;
            GoToPage(0);
            s_ = 0;
            Do(Kind::TabsToStart);
            break;
        case SelectionKey::End:
            ReleaseSelection();
            refresh_ = true;
            GoToPage(pages_ - 1);
            s_ = (pages_ - 1) * n_;
            break;
        case SelectionKey::Right:
            if (s_ < last) {
                SelectButton(s_ + 1);
            } else if (s_ == total_) {
                GoToPage(0);
                SelectButton(1);
            } else if (s_ == last) {
                GoToPage(page_ + 1);
                SelectButton(last + 1);
            }
            break;
        case SelectionKey::Left:
            // Parked on the first page means "before button 1": back round to the
            // last button of all. On a bar of one page the same number is also its
            // last button, which moves on to the left when it is the one selected.
            if (s_ == total_ && page_ == 0 && !(pages_ == 1 && selectionDown_)) {
                GoToPage(pages_ - 1);
                SelectButton(total_);
            } else if (s_ > first && s_ > 1) {
                SelectButton(s_ - 1);
            } else if (s_ <= first) {
                if (page_ > 0) {
                    const int previousLast = page_ * n_;
                    GoToPage(page_ - 1);
                    SelectButton(previousLast);
                } else if (s_ < 2) {
                    GoToPage(pages_ - 1);
                    SelectButton(total_);
                }
            }
            break;
        case SelectionKey::Enter:
            if (s_ > 0) {
                if (s_ >= first && s_ <= last && selectionDown_) {
                    if (bar_.Pending == KeyPending::None)
                        Do(Kind::Launch, s_);
                    else if (bar_.Pending == KeyPending::ButtonMove)
                        Do(Kind::PutButton, s_);
                }
                ReleaseSelection();
            }
            break;
        case SelectionKey::Escape:
            if (s_ > 0) {
                ReleaseSelection();
                s_ = page_ * n_;
                refresh_ = true;
            }
            break;
        default: break;
        }
    }

    const KeySnapshot& bar_;
    SelectionKey key_;
    KeyModifiers modifiers_;
    int n_;
    int pages_;
    int total_;
    int page_;
    bool small_;
    int s_ = 0;
    int selection_ = 0;          // B: the selection's button when the key came
    bool selectionDown_ = false; // B is pressed
    int looked_ = 0;             // the button looked up last
    std::optional<KeyButton> lookedButton_;
    bool lookedDown_ = false; // ... and whether it is pressed now
    bool refresh_ = false;    // the caption is rebuilt
    KeyPlan plan_;
};

} // namespace

KeyPlan HandleKey(const KeySnapshot& bar, SelectionKey key, KeyModifiers modifiers)
{
    // A bar without buttons (or beyond any the store allows) has nothing to select.
    if (bar.ButtonsPerPage < 1 || bar.Pages < 1 || bar.Pages > std::numeric_limits<int>::max() / bar.ButtonsPerPage) {
        KeyPlan none;
        none.Selection = bar.Selection;
        return none;
    }
    return KeyWalk(bar, key, modifiers).Run();
}

} // namespace kex
