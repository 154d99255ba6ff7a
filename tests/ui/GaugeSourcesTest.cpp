// The gauge panel's sources through the real window over fake meters: what each
// source shows on the gauge or the panel, the chime and the volume pausing the
// refresh, and a volume that never answers leaving the bar responsive.
#include <QAction>
#include <QLabel>
#include <QLocale>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "FormFixture.h"
#include "platform/Drives.h"

namespace kex {
namespace {

using GaugeSourcesTest = FormTest;

constexpr const char* kRootMount = "36 25 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";

QString Caption(const MainWindow& f) { return Child<QLabel>(f, "Panel1Caption")->text(); }
TEnhancedGauge& Gauge(const MainWindow& f) { return *Child<TEnhancedGauge>(f, "Gauge1"); }
QTimer& Refresh(const MainWindow& f) { return *Child<QTimer>(f, "Timer1"); }
QTimer& Pause(const MainWindow& f) { return *Child<QTimer>(f, "Timer3"); }

TEST_F(GaugeSourcesTest, SelectedSourcesReadingReachesTheGaugeOrThePanel)
{
    const std::string sep = QLocale::system().groupSeparator().toStdString();
    const QString driveHint =
        QString::fromStdString("C: HardDrive Space Available 1" + sep + "000 of 4" + sep + "000\n/");
    const QString memoryHint = QString::fromStdString("Memory Load 40%: Total RAM 16" + sep + "777" + sep + "216");
    platform.drives.SetMountTable(kRootMount);
    platform.drives.space["/"] = {4000, 1000};
    platform.memory.memInfo = "MemTotal:  16384 kB\nMemFree: 100 kB\nMemAvailable:  9830 kB\n";
    const QDateTime start(QDate(2026, 12, 7), QTime(21, 5, 0));

    struct Case {
        const char* item;   // chosen from the menu, or none: the stored type
        std::string stored; // "Gauge"/"Type" and more settings
        int laterSeconds;   // the clock moves on before the refresh (no chime on the way)
        bool gaugeShown;
        int progress;
        QString text, hint, caption;
        QColor color;
    } cases[] = {
        {"CHardDrive", "", 0, true, 25, "C", driveHint, "", Qt::yellow},
        {"SystemMemory1", "", 0, true, 40, "", memoryHint, "", QColor(0, 0xFF, 0)},
        {nullptr, "[Gauge]\nType=CHardDrive\n", 0, true, 25, "C", {}, "", Qt::yellow},
        {"ShowTime1", "", 0, false, 0, {}, {}, "9:05 P", {}},
        {"ShowTime1", "[Time]\n12Hour=No\n", 0, false, 0, {}, {}, "21:05", {}},
        {nullptr, "[Gauge]\nType=ProgTime1\n[Time]\nDisplay=No\n", 3600 + 7 * 60 + 9, false, 0, {}, {}, "1:07:09", {}},
        {"ProgTime1", "[Time]\nDisplay=No\n", 25 * 3600, false, 0, {}, {}, "1:00:00", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item ? c.item : "stored ") + c.stored);
        platform.now = start;
        WriteIni("[Location]\nTop=100\n" + c.stored);
        MainWindow& f = Start();
        EXPECT_TRUE(f.MenuItem("CHardDrive")->isVisible()); // the one volume's item
        if (c.item) {
            f.MenuItem(c.item)->trigger();
            EXPECT_EQ(Value("Gauge", "Type"), c.item);
        }
        platform.now = start.addSecs(c.laterSeconds);
        f.Status().RefreshGauge();
        EXPECT_EQ(!Gauge(f).isHidden(), c.gaugeShown);
        if (c.gaugeShown) {
            EXPECT_EQ(Gauge(f).Progress(), c.progress);
            EXPECT_EQ(Gauge(f).ProgressText(), c.text);
            if (!c.hint.isEmpty()) { // the reading's hint, then the panel's mouse line
                EXPECT_EQ(Gauge(f).toolTip(), c.hint + "\n" + QString::fromStdString(f.State().GaugeMouseHint));
            }
            EXPECT_EQ(Gauge(f).ForeColor(), c.color);
            EXPECT_TRUE(Caption(f).isEmpty());
        } else {
            EXPECT_EQ(Caption(f), c.caption);
        }
        form.reset();
    }

    // The hour: the clock shows whatever the source, the warning sound plays for an
    // hour sound without a file, and the refresh pauses for one tick of "Timer3".
    WriteIni("[Location]\nTop=100\n[Gauge]\nType=CHardDrive\n[Time]\nSound=Yes\n");
    platform.now = QDateTime(QDate(2026, 12, 7), QTime(10, 59, 59));
    MainWindow& f = Start();
    f.Status().RefreshGauge();
    EXPECT_EQ(platform.beeps, 0);
    platform.now = platform.now.addSecs(2);
    f.Status().RefreshGauge();
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(Caption(f), "11:00 A");
    EXPECT_TRUE(Gauge(f).isHidden());
    EXPECT_FALSE(Refresh(f).isActive());
    EXPECT_TRUE(Pause(f).isActive());
    for (int i = 0; i < 300 && !Refresh(f).isActive(); ++i)
        QTest::qWait(100);
    EXPECT_TRUE(Refresh(f).isActive());
    EXPECT_FALSE(Pause(f).isActive());
    f.Status().RefreshGauge(); // the drive again, and no second chime for the same hour
    EXPECT_FALSE(Gauge(f).isHidden());
    EXPECT_EQ(Gauge(f).ProgressText(), "C");
    EXPECT_EQ(platform.beeps, 1);

    // A volume key: the gauge shows the level on its own range, the refresh pauses,
    // and the next refresh gives the gauge back to the drive.
    platform.mixer.devices[kVolumeMaster] = 0x80008000u;
    f.Status().VolAdj(kVolumeMaster, VolumeDirection::Up);
    ASSERT_EQ(platform.mixer.writes.size(), 1u);
    EXPECT_EQ(platform.mixer.writes[0].second, 0x84008400u);
    EXPECT_EQ(Gauge(f).MinValue(), kVolumeGaugeMin);
    EXPECT_EQ(Gauge(f).MaxValue(), kVolumeGaugeMax);
    EXPECT_EQ(Gauge(f).Progress(), VolumeLevel(0x84008400u));
    EXPECT_TRUE(Gauge(f).ProgressText().isEmpty());
    EXPECT_FALSE(Refresh(f).isActive());
    EXPECT_TRUE(Pause(f).isActive());
    f.Status().RefreshGauge();
    EXPECT_EQ(Gauge(f).MaxValue(), 100);
    EXPECT_EQ(Gauge(f).MinValue(), 0);
    EXPECT_EQ(Gauge(f).Progress(), 25);
    // The clock's options are stored as they are ticked; the two chime items exclude
    // each other, and the hour chime's sound item shows.
    EXPECT_TRUE(f.MenuItem("TimeSound1")->isVisible());
    f.MenuItem("OnHalfHour1")->trigger();
    EXPECT_FALSE(f.MenuItem("OnHour1")->isChecked());
    EXPECT_EQ(Value("Time", "Display"), "HalfHour");
    f.MenuItem("OnHalfHour1")->trigger();
    EXPECT_EQ(Value("Time", "Display"), "No");
    f.MenuItem("Clock1")->trigger();
    EXPECT_EQ(Value("Time", "12Hour"), "No");
    // At the top: the message, and nothing written.
    platform.mixer.devices[kVolumeMaster] = 0xFFFFFFFFu;
    f.Status().VolAdj(kVolumeMaster, VolumeDirection::Up);
    EXPECT_EQ(platform.mixer.writes.size(), 1u);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, "You are at full volume!");
}

// statvfs of "/" blocks until released; every other mount answers at once.
struct BlockingRoot {
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::optional<VolumeSpace> Stat(const std::string& path)
    {
        if (path != "/")
            return VolumeSpace{1000, 500};
        std::unique_lock lock(mutex);
        released.wait(lock, [this] { return release; });
        return std::nullopt;
    }
    void Release()
    {
        {
            std::lock_guard lock(mutex);
            release = true;
        }
        released.notify_all();
    }
};

TEST_F(GaugeSourcesTest, AVolumeWhoseStatvfsNeverReturnsLeavesTheBarAnswering)
{
    auto root = std::make_shared<BlockingRoot>(); // the probe keeps it while it waits
    LinuxDrives drives(LinuxDrives::kSpaceTimeout, [root](const std::string& path) { return root->Stat(path); });
    platform.volumes = &drives;
    // A bar that never came back would hang the test: after 30 s the volume answers,
    // and the test fails instead.
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
    bool timedOut = false;
    std::thread watchdog([&] {
        std::unique_lock lock(doneMutex);
        if (!doneChanged.wait_for(lock, std::chrono::seconds(30), [&] { return done; })) {
            timedOut = true;
            root->Release();
        }
    });

    WriteIni("[Location]\nTop=100\n[Gauge]\nType=CHardDrive\n[Programs]\nSpeedButton1=/bin/true\n");
    MainWindow& f = Start();
    EXPECT_FALSE(f.MenuItem("CHardDrive")->isVisible()); // a volume of unknown size is not offered
    Gauge(f).SetProgress(70);
    for (int i = 0; i < 3; ++i)
        f.Status().RefreshGauge();
    // The refreshes came back, the reading unknown: the gauge keeps what it showed.
    EXPECT_EQ(Gauge(f).Progress(), 70);
    EXPECT_TRUE(Gauge(f).ProgressText().isEmpty());
    // And the bar still answers a click.
    QTest::mouseClick(Pages(f).FindButton(1), Qt::LeftButton);
    EXPECT_EQ(platform.started.size(), 1u);

    {
        std::lock_guard lock(doneMutex);
        done = true;
    }
    doneChanged.notify_all();
    watchdog.join();
    EXPECT_FALSE(timedOut) << "a refresh waited on the hung volume";
    form.reset();
    root->Release();
}

} // namespace
} // namespace kex
