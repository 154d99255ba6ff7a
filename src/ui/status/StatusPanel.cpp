#include "ui/status/StatusPanel.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QTimer>

#include <functional>
#include <optional>

#include "core/bar/BarStore.h"
#include "core/launch/CommandLine.h"
#include "core/window/StartupSettings.h"
#include "platform/TPlatform.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"
#include "ui/widgets/MenuText.h"
#include "ui/window/BarContext.h"
#include "ui/window/BarMenus.h"

namespace kex {

namespace {

constexpr int kDriveItems = 'Z' - 'C' + 1;

QColor ColorOf(GaugeColor color)
{
    switch (color) {
    case GaugeColor::Red: return QColor(0xFF, 0, 0);
    case GaugeColor::Yellow: return QColor(0xFF, 0xFF, 0);
    case GaugeColor::Lime: break;
    }
    return QColor(0, 0xFF, 0);
}

// Seconds since the epoch on the local wall clock, so that whole multiples of 1800
// fall on the local half hours.
std::int64_t LocalSeconds(const QDateTime& t) { return t.toSecsSinceEpoch() + t.offsetFromUtc(); }

} // namespace

// The panel's menu items.
struct StatusPanel::Items {
    std::array<QAction*, kDriveItems> drives{}; // "CHardDrive" ... "ZHardDrive"
    QAction* memory = nullptr;                  // "SystemMemory1"
    QAction* programTimer = nullptr;            // "ProgTime1"
    QAction* time = nullptr;                    // "ShowTime1"
    QAction* eyes = nullptr;                    // "Eyes1"
    QAction* clockOptions = nullptr;            // the sub-menu "ClockOptions1"
    QAction* twelveHour = nullptr;              // "Clock1"
    QAction* onHalfHour = nullptr;              // "OnHalfHour1"
    QAction* onHour = nullptr;                  // "OnHour1"
    QAction* hourSound = nullptr;               // "TimeSound1" (the button configuration serves it)
    QAction* halfHourSound = nullptr;           // "TimeSound2"

    explicit Items(const BarMenus& menus)
    {
        for (char letter = 'C'; letter <= 'Z'; ++letter)
            drives[std::size_t(letter - 'C')] = menus.DriveGraph(letter);
        memory = menus.SystemMemory();
        programTimer = menus.ProgramTimer();
        time = menus.ShowTime();
        eyes = menus.ShowEyes();
        clockOptions = menus.ClockOptions();
        twelveHour = menus.TwelveHourClock();
        onHalfHour = menus.OnHalfHour();
        onHour = menus.OnHour();
        hourSound = menus.HourSound();
        halfHourSound = menus.HalfHourSound();
    }
    std::vector<QAction*> Sources() const
    {
        std::vector<QAction*> all(drives.begin(), drives.end());
        all.insert(all.end(), {memory, time, programTimer, eyes});
        return all;
    }
};

StatusPanel::StatusPanel(BarContext& context, BarMenus& menus, StatusWidgets widgets, QObject* parent)
    : QObject(parent), context_(context), gauge_(*widgets.gauge), eyes_(*widgets.eyes), panel_(*widgets.panel),
      items_(std::make_unique<Items>(menus)),
      sources_(context.platform.Drives(), context.platform.Memory(), QLocale::system().groupSeparator().toStdString())
{
    setObjectName("StatusPanel");

    // The panel's text sits below the gauge and the eyes, and lets the panel have its
    // clicks and hints.
    caption_ = new QLabel(&panel_);
    caption_->setObjectName("Panel1Caption");
    caption_->setGeometry(panel_.contentsRect());
    caption_->setAlignment(Qt::AlignCenter);
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(11);
    caption_->setFont(font);
    QPalette palette = caption_->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    caption_->setPalette(palette);
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
    caption_->lower();
    // While the panel shows its text, its right click opens the gauge's menu.
    panel_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&panel_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        context_.guard.Guarded([&] {
            if (gauge_.PopupMenu())
                context_.dialogs.Popup(gauge_.PopupMenu(), panel_.mapToGlobal(pos));
        });
    });

    ConnectItems();
    CountDrives();
    ShowClockOptions();

    refresh_ = new QTimer(this);
    refresh_->setObjectName("Timer1");
    refresh_->setInterval(1000);
    connect(refresh_, &QTimer::timeout, this, [this] {
        context_.guard.Guarded([this] {
            Q_EMIT Ticked();
            RefreshGauge();
        });
    });
    pause_ = new QTimer(this);
    pause_->setObjectName("Timer3");
    pause_->setInterval(100);
    connect(pause_, &QTimer::timeout, this, [this] {
        pause_->stop();
        refresh_->start();
    });
    refresh_->start();
}

StatusPanel::~StatusPanel() = default;

void StatusPanel::ConnectItems()
{
    auto connectItem = [this](QAction* item, std::function<void()> handler) {
        if (!item)
            return;
        connect(item, &QAction::triggered, this,
                [this, handler = std::move(handler)] { context_.guard.Guarded(handler); });
        item->setVisible(true);
    };
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        QAction* item = items_->drives[std::size_t(letter - 'C')];
        const std::string type = std::string(1, letter) + "HardDrive";
        // Shown only for the volumes counted at the start.
        if (item)
            connect(item, &QAction::triggered, this,
                    [this, item, type] { context_.guard.Guarded([&] { GaugeSourceClick(item, type); }); });
    }
    connectItem(items_->memory, [this] { GaugeSourceClick(items_->memory, "SystemMemory1"); });
    connectItem(items_->time, [this] { CaptionSourceClick(items_->time, "ShowTime1"); });
    connectItem(items_->programTimer, [this] { CaptionSourceClick(items_->programTimer, "ProgTime1"); });
    // A clock option's item has taken its new check mark when it is triggered.
    const std::pair<QAction*, void (StatusPanel::*)(bool)> options[] = {
        {items_->twelveHour, &StatusPanel::ToggleTwelveHour},
        {items_->onHour, &StatusPanel::ToggleHourChime},
        {items_->onHalfHour, &StatusPanel::ToggleHalfHourChime},
    };
    for (const auto& [item, handler] : options) {
        connect(item, &QAction::triggered, this,
                [this, handler = handler](bool on) { context_.guard.Guarded([&] { (this->*handler)(on); }); });
        item->setVisible(true);
    }
    // The chimes' sound items are the button configuration's; they show with the clock.
    for (QAction* item : {items_->clockOptions, items_->hourSound, items_->halfHourSound})
        if (item)
            item->setVisible(true);
}

void StatusPanel::CountDrives()
{
    for (char letter : sources_.CountDrives()) {
        if (QAction* item = items_->drives[std::size_t(letter - 'C')]) {
            item->setText(QString("Graph %1: HardDrive").arg(QChar(letter)));
            item->setVisible(true);
        }
    }
}

QAction* StatusPanel::SourceItem(const std::string& gaugeType) const
{
    for (QAction* item : items_->Sources())
        if (item && item->objectName().toStdString() == gaugeType)
            return item;
    return nullptr;
}

void StatusPanel::ShowSource(const std::string& gaugeType)
{
    gaugeType_ = gaugeType;
    source_ = sources_.For(gaugeType_);
    // One source is ticked; a rebuild after another bar chose a new source takes the
    // mark and the eyes away from the old one.
    QAction* shown = SourceItem(gaugeType_);
    for (QAction* item : items_->Sources())
        if (item)
            item->setChecked(item == shown);
    if (shown == items_->eyes) {
        StartEyes();
    } else {
        eyes_.SetActive(false);
        eyes_.hide();
    }
    if (shown == items_->time || shown == items_->programTimer) {
        gauge_.SetProgress(0);
        gauge_.hide();
    }
}

void StatusPanel::UnCheck()
{
    for (QAction* item : items_->Sources())
        if (item)
            item->setChecked(false);
    eyes_.SetActive(false);
    eyes_.hide();
}

void StatusPanel::StartEyes()
{
    gauge_.SetProgress(0);
    gauge_.hide();
    eyes_.show();
    eyes_.SetActive(true);
    eyes_.SetPopupMenu(gauge_.PopupMenu());
}

void StatusPanel::SelectSource(QAction* item, const std::string& gaugeType)
{
    UnCheck();
    item->setChecked(true);
    gaugeType_ = gaugeType;
    source_ = sources_.For(gaugeType_);
}

void StatusPanel::ShowEyes()
{
    SelectSource(items_->eyes, "Eyes1");
    // The eyes show what the menu says even when the choice cannot be stored.
    StartEyes();
    context_.store.SaveGaugeType(gaugeType_);
}

void StatusPanel::GaugeSourceClick(QAction* item, const std::string& gaugeType)
{
    SelectSource(item, gaugeType);
    // The clock's or the timer's text does not stay behind, frozen, while the new
    // source has no reading yet.
    caption_->clear();
    panel_.setToolTip(QString::fromStdString(hints_.mouse));
    if (source_)
        Paint(source_->Refresh(Moment()));
    context_.store.SaveGaugeType(gaugeType_);
}

void StatusPanel::CaptionSourceClick(QAction* item, const std::string& gaugeType)
{
    SelectSource(item, gaugeType);
    Paint(source_->Refresh(Moment()));
    gauge_.SetProgress(0);
    gauge_.hide();
    context_.store.SaveGaugeType(gaugeType_);
}

// ------------------------------------------------------------------ the clock's options

void StatusPanel::ApplyClockSettings(const StartupSettings& settings)
{
    if (!settings.twelveHour)
        clock_.twelveHour = false;
    clock_.onHour = settings.display == ClockDisplay::Hour;
    if (settings.display == ClockDisplay::HalfHour)
        clock_.onHalfHour = true;
    clock_.hourSound = settings.hourSound.value_or(clock_.hourSound);
    clock_.halfHourSound = settings.halfHourSound.value_or(clock_.halfHourSound);
    ShowClockOptions();
    // A sound switched on shows its file in its caption.
    auto caption = [](QAction* item, const char* text, const std::string& file) {
        item->setText(QString(text) + " = " + MenuCaption(PathFileName(file)));
    };
    if (settings.hourSound == true)
        caption(items_->hourSound, "Hour &Sound", settings.hourSoundFile);
    if (settings.halfHourSound == true)
        caption(items_->halfHourSound, "H&alf Hour Sound", settings.halfHourSoundFile);
}

void StatusPanel::ShowClockOptions()
{
    items_->twelveHour->setChecked(clock_.twelveHour);
    items_->onHour->setChecked(clock_.onHour);
    items_->onHalfHour->setChecked(clock_.onHalfHour);
    items_->hourSound->setChecked(clock_.hourSound);
    items_->halfHourSound->setChecked(clock_.halfHourSound);
}

void StatusPanel::SetChimeSound(bool halfHour, bool on) { (halfHour ? clock_.halfHourSound : clock_.hourSound) = on; }

void StatusPanel::ToggleTwelveHour(bool on)
{
    clock_.twelveHour = on;
    context_.store.SaveTwelveHour(on);
}

// The two chimes exclude each other; both may be off.
void StatusPanel::ToggleHourChime(bool on) { SetChimeDisplay(on, on ? false : clock_.onHalfHour); }

void StatusPanel::ToggleHalfHourChime(bool on) { SetChimeDisplay(on ? false : clock_.onHour, on); }

void StatusPanel::SetChimeDisplay(bool onHour, bool onHalfHour)
{
    clock_.onHour = onHour;
    clock_.onHalfHour = onHalfHour;
    ShowClockOptions();
    context_.store.SaveClockDisplay(onHour       ? ClockDisplay::Hour
                                    : onHalfHour ? ClockDisplay::HalfHour
                                                 : ClockDisplay::Other);
}

RefreshMoment StatusPanel::Moment() const
{
    RefreshMoment moment;
    moment.now = context_.platform.Now();
    moment.programStart = programStart_;
    moment.twelveHour = clock_.twelveHour;
    moment.shortDate = QLocale::system().toString(moment.now.date(), QLocale::ShortFormat).toStdString();
    moment.hints = hints_;
    return moment;
}

void StatusPanel::Paint(const PanelShow& show)
{
    switch (show.kind) {
    case PanelShow::Kind::Unchanged: return;
    case PanelShow::Kind::Gauge:
        caption_->clear();
        gauge_.SetProgress(show.reading.progress);
        gauge_.SetProgressText(QString::fromStdString(show.reading.progressText));
        gauge_.setToolTip(QString::fromStdString(show.hint));
        gauge_.show();
        gauge_.SetForeColor(ColorOf(show.reading.color));
        return;
    case PanelShow::Kind::Caption:
        gauge_.hide();
        caption_->setText(QString::fromStdString(show.caption));
        panel_.setToolTip(QString::fromStdString(show.hint));
        return;
    case PanelShow::Kind::Eyes:
        eyes_.SetActive(true);
        eyes_.show();
        gauge_.hide();
        caption_->clear();
        panel_.setToolTip(QString::fromStdString(show.hint));
        return;
    }
}

void StatusPanel::RefreshGauge()
{
    // The range the volume display took is undone, the maximum first so that the
    // range never turns round.
    gauge_.SetMaxValue(100);
    gauge_.SetMinValue(0);
    const RefreshMoment moment = Moment();
    if (source_)
        Paint(source_->Refresh(moment));
    CheckChime(moment);
}

void StatusPanel::CheckChime(const RefreshMoment& moment)
{
    const ClockDisplay display = clock_.onHalfHour ? ClockDisplay::HalfHour
                                 : clock_.onHour   ? ClockDisplay::Hour
                                                   : ClockDisplay::Other;
    const std::optional<ChimeKind> chime = chimes_.Tick(LocalSeconds(moment.now), display);
    if (!chime)
        return;
    refresh_->stop();
    eyes_.hide();
    eyes_.SetActive(false);
    const bool hourSound = clock_.hourSound;
    const bool halfHourSound = clock_.halfHourSound;
    BarStore::ClockSoundFiles files;
    if (hourSound || halfHourSound) {
        try {
            files = context_.store.ClockSounds();
        } catch (const std::exception&) {
            // A file that cannot be read now: the chime sounds the warning beep.
        }
    }
    const std::optional<ChimeSound> sound = ChimeSoundFor(*chime, hourSound, halfHourSound, files.hour, files.halfHour);
    if (sound) {
        // Both play on the sound thread, never holding up the window.
        if (!sound->file.empty())
            context_.platform.PlaySoundAsync(sound->file);
        if (sound->beep)
            context_.platform.Beep();
    }
    Paint(ClockShow(moment));
    pause_->start();
}

void StatusPanel::VolAdj(int device, VolumeDirection direction)
{
    const VolumeStep step = AdjustVolume(context_.platform.Mixer(), device, direction);
    switch (step.outcome) {
    case VolumeStep::Outcome::Changed: SoundGraph(step.level); break;
    case VolumeStep::Outcome::AtFull:
    case VolumeStep::Outcome::AtMinimum:
        context_.dialogs.MessageDlg(step.message, MessageType::mtInformation, mbOK, 0);
        break;
    case VolumeStep::Outcome::NoDevice: break;
    }
}

void StatusPanel::SoundGraph(int level)
{
    refresh_->stop();
    gauge_.SetProgressText(QString());
    gauge_.SetMaxValue(kVolumeGaugeMax);
    gauge_.SetMinValue(kVolumeGaugeMin);
    gauge_.SetProgress(level);
    gauge_.show();
    eyes_.hide();
    eyes_.SetActive(false);
    pause_->start();
}

} // namespace kex
