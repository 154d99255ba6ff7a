#include "ui/keys/KeyboardSelection.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include <vector>

#include "core/bar/BarStore.h"
#include "platform/TPlatform.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/pages/PageHooks.h"
#include "ui/status/SmallMode.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/window/BarContext.h"
#include "ui/window/WindowState.h"

namespace kex {

namespace {

using Kind = KeyAction::Kind;

SelectionKey KeyOf(int key)
{
    switch (key) {
    case Qt::Key_Left: return SelectionKey::Left;
    case Qt::Key_Right: return SelectionKey::Right;
    case Qt::Key_Up: return SelectionKey::Up;
    case Qt::Key_Down: return SelectionKey::Down;
    case Qt::Key_PageUp: return SelectionKey::PageUp;
    case Qt::Key_PageDown: return SelectionKey::PageDown;
    case Qt::Key_Home: return SelectionKey::Home;
    case Qt::Key_End: return SelectionKey::End;
    case Qt::Key_Return:
    case Qt::Key_Enter: return SelectionKey::Enter;
    case Qt::Key_Escape: return SelectionKey::Escape;
    case Qt::Key_F1: return SelectionKey::F1;
    case Qt::Key_F2: return SelectionKey::F2;
    case Qt::Key_F3: return SelectionKey::F3;
    case Qt::Key_F4: return SelectionKey::F4;
    case Qt::Key_F5: return SelectionKey::F5;
    case Qt::Key_F6: return SelectionKey::F6;
    case Qt::Key_F7: return SelectionKey::F7;
    case Qt::Key_F8: return SelectionKey::F8;
    case Qt::Key_F9: return SelectionKey::F9;
    default: return SelectionKey::Other;
    }
}

// What waits for the user (a menu, a message, a launch that may browse or prompt)
// comes after the rest of the answer: the answer is for the bar as the key saw it.
bool Waits(Kind what)
{
    switch (what) {
    case Kind::GaugeMenu:
    case Kind::ButtonMenu:
    case Kind::SelectionError:
    case Kind::PageMenu:
    case Kind::RunMenu:
    case Kind::Launch: return true;
    default: return false;
    }
}

} // namespace

KeyboardSelection::KeyboardSelection(BarContext& context, const WindowState& window, QLineEdit& keys, KeyPages& pages,
                                     ButtonLauncher& launcher, const SmallMode& small, KeyboardMenus menus,
                                     QObject* parent)
    : QObject(parent), context_(context), window_(window), keys_(keys), pages_(pages), launcher_(launcher),
      small_(small), menus_(menus)
{
    setObjectName("KeyboardSelection");
    keys_.installEventFilter(this);
    // A window that becomes active again (a dialog of another window closed, the
    // user came back) gives its keys the focus.
    keys_.window()->installEventFilter(this);
    connect(&menus_.stayOnTop, &QAction::triggered, this,
            [this] { context_.guard.Guarded([this] { TopButtonKey(); }); });
    menus_.stayOnTop.setVisible(true);
    if (auto* menu = qobject_cast<QMenu*>(menus_.stayOnTop.parent()))
        menu->menuAction()->setVisible(true);
}

bool KeyboardSelection::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &keys_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int code = key->key();
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        context_.guard.Guarded([&] { KeyDown(code, modifiers); });
        // The edit gets the key too; what it types is never read.
    } else if (watched == keys_.window() && event->type() == QEvent::WindowActivate) {
        FocusKeys();
    }
    return QObject::eventFilter(watched, event);
}

KeySnapshot KeyboardSelection::Snapshot(SelectionKey key)
{
    KeySnapshot bar;
    bar.ButtonsPerPage = pages_.ButtonsPerPage();
    bar.Pages = pages_.PageCount();
    bar.Page = pages_.ShownPage();
    bar.Selection = pages_.KeySelection();
    bar.SmallActive = small_.SmallActive();
    bar.EditorOpen = pages_.EditorOpen();
    bar.Renaming = pages_.RenamingPage();
    // The lockout is looked up (in the file) only for the key that asks for it.
    bar.ModifyLocked = key == SelectionKey::F6 && !pages_.ModifyAllowed();
    bar.Pending = pages_.ButtonMovePending() ? KeyPending::ButtonMove
                  : pages_.PageMovePending() ? KeyPending::PageMove
                                             : KeyPending::None;
    bar.Button = [this](int n) -> std::optional<KeyButton> {
        const TSpeedButton* b = pages_.FindButton(n);
        if (!b)
            return std::nullopt;
        return KeyButton{b->Down(), !b->HasGlyph(), b->toolTip().toStdString()};
    };
    return bar;
}

void KeyboardSelection::KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const SelectionKey k = KeyOf(key);
    const KeyModifiers m{modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
                         modifiers.testFlag(Qt::AltModifier)};
    Carry(HandleKey(Snapshot(k), k, m));
}

void KeyboardSelection::Carry(const KeyPlan& plan)
{
    std::vector<KeyAction> waiting;
    for (const KeyAction& a : plan.Actions) {
        if (Waits(a.What)) {
            waiting.push_back(a);
            continue;
        }
        TSpeedButton* button = a.Button > 0 ? pages_.FindButton(a.Button) : nullptr;
        switch (a.What) {
        case Kind::HelpContents:
            context_.dialogs.SetHelpFile(context_.HelpFile());
            context_.dialogs.ShowHelp(0);
            break;
        case Kind::StayOnTop: SwitchOnTop(); break;
        case Kind::SmallSize: Q_EMIT SmallSizeRequested(); break;
        case Kind::CdTray: Q_EMIT CdTrayRequested(); break;
        case Kind::ScreenSaver: Q_EMIT ScreenSaverRequested(); break;
        case Kind::Volume: Q_EMIT VolumeRequested(a.Device, a.Direction); break;
        case Kind::Release:
            if (button)
                button->SetDown(false);
            break;
        case Kind::ShowPage: pages_.ShowPage(a.Page); break;
        case Kind::TabsToStart: pages_.ScrollTabsHome(); break;
        case Kind::Select:
            if (button)
                button->SetDown(true);
            break;
        case Kind::PutButton: pages_.PutButton(a.Button); break;
        case Kind::Caption: Q_EMIT CaptionRequested(QString::fromStdString(a.Text)); break;
        case Kind::PlaySound: PlaySelectSound(a.Button); break;
        default: break;
        }
    }
    pages_.SetKeySelection(plan.Selection);
    for (const KeyAction& a : waiting)
        Modal(a);
    FocusKeys();
}

void KeyboardSelection::Modal(const KeyAction& action)
{
    switch (action.What) {
    case Kind::GaugeMenu: context_.dialogs.Popup(&menus_.gauge, PopupPoint()); break;
    case Kind::ButtonMenu: pages_.OpenButtonMenu(action.Button, PopupPoint()); break;
    case Kind::SelectionError: context_.dialogs.MessageDlg(action.Text, MessageType::mtError, mbOK, 0); break;
    case Kind::PageMenu: pages_.OpenPageMenu(PopupPoint()); break;
    case Kind::RunMenu: Q_EMIT RunMenuRequested(PopupPoint()); break;
    case Kind::Launch:
        // A button of pages that changed meanwhile is passed over.
        if (pages_.FindButton(action.Button))
            launcher_.ClickButton(action.Button);
        break;
    default: break;
    }
}

void KeyboardSelection::TopButtonKey()
{
    if (small_.SmallActive())
        Q_EMIT SmallSizeRequested();
    SwitchOnTop();
    FocusKeys();
}

void KeyboardSelection::SwitchOnTop()
{
    BarGeometryInput bar;
    bar.ButtonsPerPage = pages_.ButtonsPerPage();
    bar.ScreenButtons = window_.ScreenButtons;
    bar.ScreenWidth = window_.ScreenWidth;
    bar.ScreenHeight = window_.ScreenHeight;
    bar.CyMenu = context_.platform.SystemMetric(MetricId::SM_CYMENU);
    bar.CyMenuSize = context_.platform.SystemMetric(MetricId::SM_CYMENUSIZE);
    bar.BarTop = window_.BarTop;
    bar.OnTop = window_.OnTop;
    const OnTopSwitch shape = kex::TopButtonKey(bar);
    // The window takes the shape (and with the new native window takes drops again);
    // the next start reads the state. A refused write is shown once; the bar keeps
    // the shape.
    Q_EMIT ShapeSwitched(shape);
    menus_.stayOnTop.setChecked(shape.OnTop);
    context_.guard.WriteReportedOnce([&] { context_.store.SaveOnTop(shape.OnTop); });
}

void KeyboardSelection::MenuButton(int n)
{
    // Only a button of the page shown can be the keyboard's (a right click is always
    // on it).
    const int perPage = pages_.ButtonsPerPage();
    const int page = pages_.ShownPage();
    TSpeedButton* button = pages_.FindButton(n);
    if (!button || page < 0 || n <= page * perPage || n > (page + 1) * perPage)
        return;
    const int before = pages_.KeySelection();
    if (before != n)
        if (TSpeedButton* old = pages_.FindButton(before))
            old->SetDown(false);
    button->SetDown(true);
    pages_.SetKeySelection(n);
    Q_EMIT CaptionRequested(QString::fromStdString(
        SelectionCaption(KeyButton{true, !button->HasGlyph(), button->toolTip().toStdString()})));
}

void KeyboardSelection::FocusKeys()
{
    if (!pages_.EditorOpen() && !keys_.hasFocus())
        keys_.setFocus(Qt::OtherFocusReason);
}

void KeyboardSelection::PlaySelectSound(int n)
{
    // The button's own sound ("Sound on Keyboard Select"), without waiting for it.
    const std::string sound = context_.store.Record(n).SoundSelect;
    if (!sound.empty())
        context_.platform.PlaySoundAsync(sound);
}

QPoint KeyboardSelection::PopupPoint() const { return keys_.window()->frameGeometry().topLeft(); }

} // namespace kex
