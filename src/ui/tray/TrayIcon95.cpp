#include "ui/tray/TrayIcon95.h"

#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QMetaMethod>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include "ui/widgets/Pictures.h"

namespace kex {

QtTickTimer::QtTickTimer(QObject* parent) : QObject(parent), timer_(new QTimer(this))
{
    // A coarse timer may fire early, and an item due at that tick would wait a whole
    // period more.
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (manager_)
            manager_->Tick();
    });
}

void QtTickTimer::Start(std::uint32_t intervalMs) { timer_->start(static_cast<int>(intervalMs)); }

void QtTickTimer::Stop() { timer_->stop(); }

namespace {

// The tick source, made only for an owner that is a form.
QtTickTimer* TickFor(QWidget* owner, QObject* parent)
{
    RequireFormOwner(owner != nullptr && owner->isWindow());
    return new QtTickTimer(parent);
}

// How often a present icon looks whether its tray's host is still there.
constexpr int kHostWatchMs = 1000;

} // namespace

TRWTrayIcon95::TRWTrayIcon95(QWidget* owner)
    : QObject(owner), tick_(TickFor(owner, this)), timers_(clock_, *tick_), model_(timers_, *this, this),
      mouse_(timers_, *this, [this](const TrayReport& report) { Report(report); })
{
    setObjectName("TrayIcon");
    tick_->SetManager(&timers_);
    icon95_ = new QSystemTrayIcon(this);
    connect(icon95_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Activated(static_cast<int>(reason)); });
    hostWatch_ = new QTimer(this);
    hostWatch_->setInterval(kHostWatchMs);
    connect(hostWatch_, &QTimer::timeout, this, [this] { WatchHost(); });
}

TRWTrayIcon95::~TRWTrayIcon95()
{
    // The manager stops before the icon goes, so that no frame follows.
    timers_.SetEnabled(false);
    tick_->SetManager(nullptr);
    icon95_->hide();
}

bool TRWTrayIcon95::TrayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TRWTrayIcon95::SetActive(bool active)
{
    model_.SetActive(active);
    hostSeen_ = active && TrayAvailable();
    if (active)
        hostWatch_->start();
    else
        hostWatch_->stop();
}

void TRWTrayIcon95::WatchHost()
{
    const bool available = TrayAvailable();
    if (hostSeen_ && !available) {
        hostSeen_ = false;
        Q_EMIT HostLost();
        return;
    }
    hostSeen_ = available;
}

void TRWTrayIcon95::SetIcon(const QIcon& icon)
{
    icon_ = icon;
    if (model_.State() == TRWTrayIconState::tsEnabled)
        model_.IconChanged();
}

void TRWTrayIcon95::SetDisabledIcon(const QIcon& icon)
{
    disabledIcon_ = icon;
    if (model_.State() == TRWTrayIconState::tsDisabled)
        model_.IconChanged();
}

void TRWTrayIcon95::SetAnimationIcons(const QStringList& names)
{
    std::vector<std::string> icons;
    for (const QString& name : names)
        icons.push_back(name.toStdString());
    model_.SetAnimationIcons(std::move(icons));
}

void TRWTrayIcon95::SetAutoPopup(bool on)
{
    autoPopup_ = on;
    UpdateContextMenu();
}

void TRWTrayIcon95::SetPopupMenu(QMenu* menu)
{
    popupMenu_ = menu;
    UpdateContextMenu();
}

void TRWTrayIcon95::UpdateContextMenu()
{
    // The desktop opens the menu on the right button itself (a StatusNotifierItem host
    // asks for it, an XEmbed icon pops it up at the pointer).
    icon95_->setContextMenu(autoPopup_ ? popupMenu_.data() : nullptr);
}

QIcon TRWTrayIcon95::PictureIcon(const TrayPicture& picture) const
{
    QIcon icon;
    switch (picture.source) {
    case TrayPicture::Source::None: break;
    case TrayPicture::Source::Icon: icon = icon_; break;
    case TrayPicture::Source::DisabledIcon: icon = disabledIcon_; break;
    case TrayPicture::Source::Resource: icon = QIcon(QPixmap::fromImage(BuiltinIcon(picture.name))); break;
    case TrayPicture::Source::File: {
        // Only a regular file: a FIFO or a device would hang the read.
        const QString path = QString::fromStdString(picture.name);
        if (QFileInfo(path).isFile())
            icon = QIcon(path);
        break;
    }
    }
    // A picture that cannot be drawn leaves the one shown; an icon needs some picture
    // to be shown at all.
    if (icon.isNull() || icon.pixmap(32, 32).isNull())
        icon = shown_.isNull() ? MainIcon() : shown_;
    return icon;
}

void TRWTrayIcon95::Add(const TrayPicture& picture, const std::string& tip)
{
    shown_ = PictureIcon(picture);
    icon95_->setIcon(shown_);
    icon95_->setToolTip(QString::fromStdString(tip));
    icon95_->show();
}

void TRWTrayIcon95::Modify(const TrayPicture& picture, const std::string& tip)
{
    shown_ = PictureIcon(picture);
    icon95_->setIcon(shown_);
    icon95_->setToolTip(QString::fromStdString(tip));
}

void TRWTrayIcon95::Delete() { icon95_->hide(); }

std::optional<GaugePoint> TRWTrayIcon95::CursorPos() const
{
    const QPoint p = QCursor::pos();
    return GaugePoint{p.x(), p.y()};
}

void TRWTrayIcon95::UpdateListeners()
{
    TrayListeners listeners;
    listeners.dblClick = isSignalConnected(QMetaMethod::fromSignal(&TRWTrayIcon95::OnDblClick));
    listeners.mouseMove = isSignalConnected(QMetaMethod::fromSignal(&TRWTrayIcon95::OnMouseMove));
    listeners.mouseEnterExit = isSignalConnected(QMetaMethod::fromSignal(&TRWTrayIcon95::OnMouseEnter))
                               || isSignalConnected(QMetaMethod::fromSignal(&TRWTrayIcon95::OnMouseExit));
    // The desktop pops the menu up itself: a right press with a menu is no click.
    listeners.popup = false;
    mouse_.SetListeners(listeners);
}

void TRWTrayIcon95::Activated(int reason)
{
    UpdateListeners();
    switch (static_cast<QSystemTrayIcon::ActivationReason>(reason)) {
    case QSystemTrayIcon::Trigger: mouse_.ButtonDown(TrayButton::Left); break;
    case QSystemTrayIcon::DoubleClick: mouse_.DoubleClick(TrayButton::Left); break;
    case QSystemTrayIcon::MiddleClick: mouse_.ButtonDown(TrayButton::Middle); break;
    case QSystemTrayIcon::Context:
        // With AutoPopup and a menu the desktop has opened it: no click follows.
        if (!(autoPopup_ && popupMenu_))
            mouse_.ButtonDown(TrayButton::Right);
        break;
    case QSystemTrayIcon::Unknown: break;
    }
}

void TRWTrayIcon95::Report(const TrayReport& report)
{
    const QPoint pos(report.pos.X, report.pos.Y);
    switch (report.event) {
    case TrayEvent::Click: Q_EMIT OnClick(); break;
    case TrayEvent::DblClick: Q_EMIT OnDblClick(); break;
    case TrayEvent::MouseMove: Q_EMIT OnMouseMove(pos); break;
    case TrayEvent::MouseEnter: Q_EMIT OnMouseEnter(pos); break;
    case TrayEvent::MouseExit: Q_EMIT OnMouseExit(pos); break;
    case TrayEvent::Popup:
        if (autoPopup_ && popupMenu_)
            popupMenu_->popup(pos);
        break;
    }
}

} // namespace kex
