// TRWTrayIcon95: the icon in the desktop's tray (a StatusNotifierItem where a watcher
// runs, an XEmbed icon otherwise, both through QSystemTrayIcon). What it shows, its
// tooltip and its animation are core's TrayIconModel on the shared millisecond timer;
// its clicks are core's TrayMouse; this class carries them out and raises the events.
#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>

#include <memory>

#include "core/tray/TimerManager.h"
#include "core/tray/TrayIconModel.h"
#include "core/tray/TrayMouse.h"

class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace kex {

// A monotonic millisecond clock and a precise Qt timer: the timer manager's faces.
class QtTickClock : public TickClock {
public:
    QtTickClock() { clock_.start(); }
    std::uint32_t Now() const override { return static_cast<std::uint32_t>(clock_.elapsed()); }

private:
    QElapsedTimer clock_;
};

class QtTickTimer : public QObject, public TickTimer {
    Q_OBJECT
public:
    explicit QtTickTimer(QObject* parent);
    void Start(std::uint32_t intervalMs) override;
    void Stop() override;
    // Whom each firing goes to (set once, by the manager's owner).
    void SetManager(TRWTimerManager* manager) { manager_ = manager; }

private:
    QTimer* timer_;
    TRWTimerManager* manager_ = nullptr;
};

class TRWTrayIcon95 : public QObject, private TrayIconShell, private TrayIconEvents, private PointerQuery {
    Q_OBJECT
public:
    // owner: the form the icon belongs to (a top-level widget); anything else throws
    // EInvalidOperation "TrayIcons must be owned by a Form !" and nothing is made.
    explicit TRWTrayIcon95(QWidget* owner);
    ~TRWTrayIcon95() override;

    // Whether the desktop has a tray that shows icons now.
    static bool TrayAvailable();

    // Present in the tray (Add / Delete).
    bool Active() const { return model_.Active(); }
    void SetActive(bool active);
    // Present in a tray that really shows it: an icon that can bring the bar back.
    bool Showing() const { return Active() && TrayAvailable(); }

    TRWTrayIconState State() const { return model_.State(); }
    void SetState(TRWTrayIconState state) { model_.SetState(state); }
    QString Hint() const { return QString::fromStdString(model_.Hint()); }
    void SetHint(const QString& hint) { model_.SetHint(hint.toStdString()); }
    bool ShowHint() const { return model_.ShowHint(); }
    void SetShowHint(bool show) { model_.SetShowHint(show); }
    // The tooltip shown: at most the hint's first 63 characters.
    QString Tip() const { return QString::fromStdString(model_.Tip()); }

    QIcon Icon() const { return icon_; }
    void SetIcon(const QIcon& icon);
    QIcon DisabledIcon() const { return disabledIcon_; }
    void SetDisabledIcon(const QIcon& icon);

    void SetAnimationInterval(int ms) { model_.SetAnimationInterval(ms); }
    void SetAnimationIcons(const QStringList& names);
    void SetAnimationOptions(TRWTrayIconAnimationOptions options) { model_.SetAnimationOptions(options); }

    // The right button opens PopupMenu (the desktop's own context menu of the icon).
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool on);
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu);

    // The picture shown now (for a look at the animation).
    const TrayPicture& Picture() const { return model_.Picture(); }
    // The session ends: the icon goes.
    void SessionEnding() { model_.SessionEnding(); }

Q_SIGNALS:
    void OnClick();
    void OnDblClick();
    // The pointer over the icon (as far as the desktop reports it).
    void OnMouseMove(const QPoint& screenPos);
    void OnMouseEnter(const QPoint& screenPos);
    void OnMouseExit(const QPoint& screenPos);
    // Before State changes while present; the receiver may change `next`.
    void OnStateChanging(TRWTrayIconState& next);
    // Before each animation frame.
    void OnAnimation();
    // The tray's host went away while the icon was present.
    void HostLost();

private:
    // TrayIconShell
    void Add(const TrayPicture& picture, const std::string& tip) override;
    void Modify(const TrayPicture& picture, const std::string& tip) override;
    void Delete() override;
    // TrayIconEvents
    void StateChanging(TRWTrayIconState& next) override { Q_EMIT OnStateChanging(next); }
    void Animation() override { Q_EMIT OnAnimation(); }
    // PointerQuery
    std::optional<GaugePoint> CursorPos() const override;

    QIcon PictureIcon(const TrayPicture& picture) const;
    void Activated(int reason);
    void Report(const TrayReport& report);
    void UpdateListeners();
    void UpdateContextMenu();
    void WatchHost();

    QtTickClock clock_;
    QtTickTimer* tick_;
    TRWTimerManager timers_;
    TrayIconModel model_;
    TrayMouse mouse_;
    QSystemTrayIcon* icon95_ = nullptr;
    QTimer* hostWatch_ = nullptr;
    bool hostSeen_ = false;
    QIcon icon_, disabledIcon_;
    QIcon shown_; // the last picture that could be drawn
    bool autoPopup_ = false;
    QPointer<QMenu> popupMenu_;
};

} // namespace kex
