// KeyboardSelection: the bar worked from the keyboard. It owns the selection edit
// "Keys" (which keeps the focus), answers each key pressed there through core's
// HandleKey and carries the answer out: the selection over all buttons of all pages,
// the page keys, Enter and Escape, the caption with the selected button's hint, the
// button's selection sound, and the function keys, which reach the other subsystems.
// It also owns the stay-on-top switch (F2 and "Stay on &Top").
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include "core/keyboard/KeySelection.h"
#include "core/keyboard/StayOnTop.h"
#include "core/meters/SoundVolume.h"

class QAction;
class QEvent;
class QLineEdit;
class QMenu;

namespace kex {

struct BarContext;
class ButtonLauncher;
class KeyPages;
class SmallMode;
struct WindowState;

// The menus the keys open themselves and the item the switch owns.
struct KeyboardMenus {
    QMenu& gauge;       // "PopupMenu3", for F4
    QAction& stayOnTop; // "Stay on &Top": connected and shown here, its check mark follows the state
};

class KeyboardSelection : public QObject {
    Q_OBJECT
public:
    // window: the window's state (read only: the screen, the place and OnTop);
    // small: asked whether the bar is small.
    KeyboardSelection(BarContext& context, const WindowState& window, QLineEdit& keys, KeyPages& pages,
                      ButtonLauncher& launcher, const SmallMode& small, KeyboardMenus menus, QObject* parent);

    // One key pressed in "Keys" (its event filter calls this; the edit still gets it).
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    // "Stay on &Top": a small bar first comes back whole, then the switch.
    void TopButtonKey();
    // Button n's menu is about to open (a right click, F5): the keyboard selects it,
    // so that the arrows go on from there.
    void MenuButton(int n);
    // The keys take the focus back (not from the editor while it is open).
    void FocusKeys();

Q_SIGNALS:
    // F3, Left or Right in small mode, F2 on a small bar: small mode toggled.
    void SmallSizeRequested();
    void CdTrayRequested();      // F8
    void ScreenSaverRequested(); // F9
    // Up and Down: one step of a mixer (5: master, 0: wave with Shift, 2: line with Ctrl).
    void VolumeRequested(int device, kex::VolumeDirection direction);
    // F7: the Run menu with the recent list, at a screen point.
    void RunMenuRequested(const QPoint& screenPos);
    // The caption rebuilt for the page shown, then `tail` appended (may be empty).
    void CaptionRequested(const QString& tail);
    // The stay-on-top switch: the window takes this shape (frame, on top, sizes,
    // the check mark); emitted before the state is stored.
    void ShapeSwitched(const kex::OnTopSwitch& shape);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeySnapshot Snapshot(SelectionKey key);
    void Carry(const KeyPlan& plan);
    void Modal(const KeyAction& action);
    void SwitchOnTop();
    void PlaySelectSound(int n);
    QPoint PopupPoint() const;

    BarContext& context_;
    const WindowState& window_;
    QLineEdit& keys_;
    KeyPages& pages_;
    ButtonLauncher& launcher_;
    const SmallMode& small_;
    KeyboardMenus menus_;
};

} // namespace kex
