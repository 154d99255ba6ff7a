// The gauge's frames against reference images, the exclusive-or text, and the eyes'
// repainting. KEX_UPDATE_GOLDEN=1 writes the reference images instead of comparing.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPaintEvent>
#include <QTest>

#include <cstdlib>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

#include "ui/widgets/EnhancedGauge.h"
#include "ui/widgets/Eyes.h"

namespace kex {
namespace {

// The text of the reference images is Liberation Sans from fonts-liberation 1.07.4
// (Debian 12), the metric twin of Arial; another version of the file draws other glyphs.
constexpr const char* kFontFile = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
constexpr const char* kFontSha256 = "f8ace1f892b2bd9dc1792ba7f097fa7588f84fed48321480e04de5390828221f";

// The font of the reference images, or the reason why it cannot be had.
std::optional<QFont> ReferenceFont(std::string& why)
{
    QFile file(kFontFile);
    if (!file.open(QIODevice::ReadOnly)) {
        why = std::string(kFontFile) + " is missing (package fonts-liberation)";
        return std::nullopt;
    }
    if (QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex() != kFontSha256) {
        why = std::string(kFontFile) + " is not the version the reference images were drawn with (1.07.4)";
        return std::nullopt;
    }
    const int id = QFontDatabase::addApplicationFont(kFontFile);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        why = "Qt cannot load " + std::string(kFontFile);
        return std::nullopt;
    }
    QFont font(families.first());
    font.setPixelSize(12);
    return font;
}

const char* KindName(TGaugeKind kind)
{
    switch (kind) {
    case TGaugeKind::gkText: return "text";
    case TGaugeKind::gkHorizontalBar: return "hbar";
    case TGaugeKind::gkVerticalBar: return "vbar";
    case TGaugeKind::gkPie: return "pie";
    case TGaugeKind::gkNeedle: return "needle";
    }
    return "?";
}

// The bar's own gauge (40 x 16, no border, lime on maroon, centred) and a large one
// with a single border and a label, navy on yellow so that the black margin shows.
void Configure(TEnhancedGauge& g, bool large)
{
    g.SetColor(QColor(0xC0, 0xC0, 0xC0));
    if (large) {
        g.resize(100, 100);
        g.SetForeColor(QColor(0, 0, 0x80));
        g.SetBackColor(QColor(0xFF, 0xFF, 0));
        g.SetProgressText("C");
        g.SetAlignment(TAlignment::taCenter);
    } else {
        g.resize(40, 16);
        g.SetBorderStyle(TBorderStyle::bsNone);
        g.SetForeColor(QColor(0, 0xFF, 0));
        g.SetBackColor(QColor(0x80, 0, 0));
        g.SetAlignment(TAlignment::taCenter);
    }
}

TEST(GaugeFrames, EveryKindMatchesItsReferenceImage)
{
    std::string why;
    const std::optional<QFont> font = ReferenceFont(why);
    if (!font)
        GTEST_SKIP() << "the reference images need their font: " << why;
    const bool update = std::getenv("KEX_UPDATE_GOLDEN") != nullptr;
    const QString dir = QString(KEX_TEST_DATA) + "/gauge/";
    QDir().mkpath(dir);
    for (TGaugeKind kind : {TGaugeKind::gkText, TGaugeKind::gkHorizontalBar, TGaugeKind::gkVerticalBar,
                            TGaugeKind::gkPie, TGaugeKind::gkNeedle})
        for (bool large : {false, true})
            for (int percent : {0, 45, 100}) {
                TEnhancedGauge g;
                g.setFont(*font);
                Configure(g, large);
                g.SetKind(kind);
                g.SetProgress(percent);
                const QString name =
                    QString("%1-%2-%3.png").arg(KindName(kind), large ? "100x100" : "40x16").arg(percent);
                SCOPED_TRACE(name.toStdString());
                const QImage frame = g.Frame();
                ASSERT_EQ(frame.format(), QImage::Format_RGB32);
                if (update) {
                    ASSERT_TRUE(frame.save(dir + name));
                    continue;
                }
                QImage reference(dir + name);
                ASSERT_FALSE(reference.isNull()) << "missing " << (dir + name).toStdString();
                reference = reference.convertToFormat(QImage::Format_RGB32);
                ASSERT_EQ(reference.size(), frame.size());
                int differing = 0;
                for (int y = 0; y < frame.height(); ++y)
                    for (int x = 0; x < frame.width(); ++x)
                        differing += frame.pixel(x, y) != reference.pixel(x, y);
                EXPECT_EQ(differing, 0);
            }
}

TEST(GaugeFrames, TextShowsTheInverseOfWhatLiesBeneath)
{
    // Whatever the font: every pixel the text touches is the exact inverse of the
    // frame without text, on the filled part as on the empty one, and nothing else
    // changes.
    for (TGaugeKind kind : {TGaugeKind::gkHorizontalBar, TGaugeKind::gkPie}) {
        SCOPED_TRACE(KindName(kind));
        TEnhancedGauge g;
        Configure(g, true);
        g.SetKind(kind);
        g.SetForeColor(QColor(0x20, 0x60, 0xA0));
        g.SetBackColor(QColor(0xF0, 0xE0, 0x10));
        g.SetProgressText("Memory");
        g.SetProgress(45);
        QFont big = g.font();
        big.setPixelSize(30);
        g.setFont(big);
        const QImage text = g.Frame();
        g.SetShowText(false);
        const QImage plain = g.Frame();
        int onFill = 0, onBack = 0, other = 0;
        for (int y = 0; y < text.height(); ++y)
            for (int x = 0; x < text.width(); ++x) {
                const QRgb t = text.pixel(x, y), p = plain.pixel(x, y);
                if (t == p)
                    continue;
                if (t != (p ^ 0x00FFFFFF))
                    ++other;
                else if (QColor(p) == g.ForeColor())
                    ++onFill;
                else if (QColor(p) == g.BackColor())
                    ++onBack;
            }
        EXPECT_EQ(other, 0);
        EXPECT_GT(onFill, 20);
        EXPECT_GT(onBack, 20);
        for (int y = 0; y < text.height(); ++y)
            EXPECT_EQ(qAlpha(text.pixel(0, y)), 255);
    }
}

// Records the regions painted on a widget.
class PaintLog : public QObject {
public:
    std::vector<QRegion> regions;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

TEST(EyesControl, PupilsFollowThePointerRepaintingOnlyTheirPlaces)
{
    QWidget window;
    window.resize(200, 100);
    QPoint pointer(0, 0);
    TEyes eyes(&window, [&] { return pointer; });
    eyes.setGeometry(10, 20, 40, 16);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint origin = eyes.mapToGlobal(QPoint(0, 0));
    QTest::qWait(50);
    PaintLog log;
    eyes.installEventFilter(&log);

    pointer = origin + QPoint(500, 8); // level with the eyes, far to the right
    eyes.Track();
    QCoreApplication::processEvents();
    ASSERT_TRUE(eyes.Pupils());
    EXPECT_EQ((*eyes.Pupils())[0], QPoint(17, 8));
    EXPECT_EQ((*eyes.Pupils())[1], QPoint(38, 8));
    ASSERT_FALSE(log.regions.empty());

    // A move repaints the old and the new pupils' squares, never the whole control.
    log.regions.clear();
    pointer = origin + QPoint(-500, 8);
    eyes.Track();
    QCoreApplication::processEvents();
    ASSERT_FALSE(log.regions.empty());
    const QRegion expected = QRegion(15, 6, 4, 4) + QRegion(36, 6, 4, 4) + QRegion(0, 6, 4, 4) + QRegion(21, 6, 4, 4);
    for (const QRegion& r : log.regions)
        EXPECT_TRUE((r - expected).isEmpty()) << "painted beyond the pupils";

    // A pointer that stays still draws nothing; nor does re-setting Active.
    log.regions.clear();
    eyes.Track();
    eyes.SetActive(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.regions.empty());

    // Inactive: the next repaint shows the eyes without pupils, and no tick comes.
    eyes.SetActive(false);
    EXPECT_FALSE(eyes.Pupils());
    pointer += QPoint(50, 50);
    QTest::qWait(250);
    EXPECT_FALSE(eyes.Pupils());
    const QImage shot = eyes.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 8), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(23, 8), QColor(Qt::white));

    // Never taller than wide.
    eyes.resize(30, 50);
    EXPECT_EQ(eyes.size(), QSize(30, 30));
}

// A watch of the pointer's motion as the display would give it.
class FakeMotionWatch : public PointerWatch {
public:
    int* arms;
    explicit FakeMotionWatch(int* a) : arms(a) {}
    void Arm() override { ++*arms; }
};

TEST(EyesControl, ThePollSlowsWhileNothingMovesAndAMotionBringsItBack)
{
    for (const bool watched : {true, false}) {
        SCOPED_TRACE(watched ? "with a watch" : "without a watch: the slow poll finds the motion");
        QWidget window;
        window.resize(200, 100);
        QPoint pointer(0, 0);
        int arms = 0;
        std::function<void()> moved;
        TEyes::TMotionWatchMaker maker;
        if (watched)
            maker = [&](std::function<void()> m) {
                moved = std::move(m);
                return std::make_unique<FakeMotionWatch>(&arms);
            };
        TEyes eyes(
            &window, [&] { return pointer; }, maker);
        eyes.setGeometry(10, 20, 40, 16);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        eyes.Track(); // the pupils drawn
        eyes.Track(); // nothing moved
        EXPECT_TRUE(eyes.Resting());
        eyes.Track(); // still nothing: the watch is armed once
        EXPECT_EQ(arms, watched ? 1 : 0);
        // A motion: the poll follows the pointer at once until it rests again.
        pointer = eyes.mapToGlobal(QPoint(0, 0)) + QPoint(500, 8);
        if (watched) {
            moved();
            EXPECT_FALSE(eyes.Resting());
        }
        eyes.Track();
        EXPECT_FALSE(eyes.Resting());
        ASSERT_TRUE(eyes.Pupils());
        EXPECT_EQ((*eyes.Pupils())[0], QPoint(17, 8));
        eyes.Track();
        EXPECT_TRUE(eyes.Resting());
        EXPECT_EQ(arms, watched ? 2 : 0);
        // The window moved under a still pointer: the pupils are placed anew.
        window.move(window.pos() + QPoint(0, 300));
        QCoreApplication::processEvents();
        EXPECT_FALSE(eyes.Resting());
        eyes.Track();
        EXPECT_NE((*eyes.Pupils())[0], QPoint(17, 8));
        // Inactive eyes ignore motions and do not poll.
        eyes.SetActive(false);
        if (watched)
            moved();
        EXPECT_FALSE(eyes.Resting());
        EXPECT_FALSE(eyes.Active());
    }
}

} // namespace
} // namespace kex
