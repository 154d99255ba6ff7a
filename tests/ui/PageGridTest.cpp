// The page grid on the real window: numbering and geometry of the buttons across
// pages, the tab strip, and loading every button's record, picture, hint and tag.
#include <QAction>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QStackedWidget>
#include <QTextDocument>
#include <QToolTip>

#include <cstdio>
#include <map>

#include "FormFixture.h"
#include "ui/widgets/Pictures.h"
#include "core/pages/ButtonRecord.h"
#include "ui/widgets/SpeedButton.h"
#include "core/config/Settings.h"
#include "ui/widgets/TabSet.h"

namespace kex {
namespace {

const char* const kRecordSections[] = {"Programs", "Parameters", "Icons",   "IconSelection", "Names",
                                       "Shrink",   "Select",     "Working", "SoundSelect",   "SoundLaunch"};

// An INI text of a head and the given records, written as the bar writes records.
std::string WithRecords(const std::string& head, const std::vector<std::pair<int, ButtonRecord>>& records)
{
    IniDocument doc = IniDocument::Parse(head);
    RecordStore store(doc);
    for (const auto& [n, r] : records)
        store.Write(n, r);
    return doc.Serialize();
}

ButtonRecord Program(const std::string& program)
{
    ButtonRecord r;
    r.Program = program;
    return r;
}

QImage Solid(int size, QRgb colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// The glyph a button shows, as an image of its glyph size.
QImage Glyph(const TSpeedButton* button)
{
    return button->icon().pixmap(button->iconSize()).toImage().convertToFormat(QImage::Format_ARGB32);
}

using PageGridTest = FormTest;

TEST_F(PageGridTest, ButtonsAreNumberedThroughThePagesInRows)
{
    struct Case {
        int perPage, pages;
        int firstOfPage2, lastOfPage2, lastLeft;
    } cases[] = {{16, 10, 17, 32, 540}, {21, 10, 22, 42, 720}, {16, 3, 17, 32, 540}, {21, 1, 0, 0, 720}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pages << " pages of " << c.perPage);
        WriteIni("[Location]\nTop=100\nButtonCount=" + std::to_string(c.perPage)
                 + "\n[Pages]\nCount=" + std::to_string(c.pages) + "\n");
        MainWindow& f = Start();
        ASSERT_EQ(Pages(f).ButtonsPerPage(), c.perPage);
        ASSERT_EQ(Child<QStackedWidget>(f, "Notebook1")->count(), c.pages);

        const int total = c.pages * c.perPage;
        EXPECT_EQ(int(f.findChildren<TSpeedButton*>().size()), total);
        for (int n = 1; n <= total; ++n) {
            TSpeedButton* b = Pages(f).FindButton(n);
            ASSERT_NE(b, nullptr) << n;
            const int page = (n - 1) / c.perPage, slot = (n - 1) % c.perPage;
            EXPECT_EQ(b->objectName(), QString("SpeedButton%1").arg(n));
            EXPECT_EQ(b->Number(), n);
            ASSERT_NE(b->parentWidget(), nullptr);
            EXPECT_EQ(b->parentWidget()->objectName(), QString("Page%1").arg(page)) << n;
            EXPECT_EQ(b->parentWidget(), Child<QStackedWidget>(f, "Notebook1")->widget(page)) << n;
            EXPECT_EQ(b->geometry(), QRect(36 * slot, 0, 37, 37)) << n;
        }
        EXPECT_EQ(Pages(f).FindButton(total + 1), nullptr);
        EXPECT_EQ(f.findChild<TSpeedButton*>(QString("SpeedButton%1").arg(total + 1)), nullptr);
        EXPECT_EQ(Pages(f).FindButton(total)->x(), c.lastLeft);
        if (c.firstOfPage2 > 0) {
            EXPECT_EQ(Pages(f).FindButton(c.firstOfPage2)->parentWidget()->objectName(), "Page1");
            EXPECT_EQ(Pages(f).FindButton(c.firstOfPage2)->x(), 0);
            EXPECT_EQ(Pages(f).FindButton(c.lastOfPage2)->parentWidget()->objectName(), "Page1");
            EXPECT_EQ(Pages(f).FindButton(c.lastOfPage2)->x(), c.lastLeft);
            EXPECT_EQ(Pages(f).FindButton(c.firstOfPage2 - 1)->parentWidget()->objectName(), "Page0");
        }
        // The design-time page is gone; the tab strip shows exactly the pages.
        for (int i = 0; i < Child<QStackedWidget>(f, "Notebook1")->count(); ++i)
            EXPECT_EQ(Child<QStackedWidget>(f, "Notebook1")->widget(i)->objectName(), QString("Page%1").arg(i));
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Count(), c.pages);
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->TabIndex(), 0);
        EXPECT_EQ(Child<QStackedWidget>(f, "Notebook1")->currentIndex(), 0);
        form.reset();
    }
}

TEST_F(PageGridTest, TabsShowTheStoredPageNamesOrPageAndNumber)
{
    WriteIni("[Location]\nTop=100\n[Pages]\nCount=4\n[Tabs]\nPageTab1=Tools\nPageTab3=Games & Fun\n"
             "PageTab5=Beyond the pages\npagetab4=Office\n");
    MainWindow& f = Start();
    EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Tabs(), QStringList({"Tools", "Page2", "Games & Fun", "Office"}));
    EXPECT_EQ(Child<QStackedWidget>(f, "Notebook1")->count(), 4);
    EXPECT_EQ(Child<QStackedWidget>(f, "Notebook1")->widget(3)->objectName(), "Page3");
}

// Counts in the file size the bar: out of range they are bounded at load and reported
// once (not at every rebuild).
TEST_F(PageGridTest, StoredCountsOutOfRangeAreBoundedAndReportedOnce)
{
    struct Case {
        const char* ini;
        int pages, perPage;
    };
    const std::vector<Case> cases = {
        {"[Location]\nTop=100\n[Pages]\nCount=-9\n", 1, 16},
        {"[Location]\nTop=100\nButtonCount=21\n[Pages]\nCount=0\n", 1, 21},
        {"[Location]\nTop=100\nButtonCount=99999\n[Pages]\nCount=2\n", 2, 16},
        {"[Location]\nTop=100\n[Pages]\nCount=1001\n", 1000, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        dialogs.notices.clear();
        WriteIni(c.ini);
        MainWindow& f = Start();
        EXPECT_EQ(Child<QStackedWidget>(f, "Notebook1")->count(), c.pages);
        EXPECT_EQ(Pages(f).ButtonsPerPage(), c.perPage);
        ASSERT_EQ(dialogs.notices.size(), 1u);
        EXPECT_NE(dialogs.notices[0].find("is out of range"), std::string::npos) << dialogs.notices[0];
        if (c.pages <= 2) {
            Pages(f).Rebuild(); // a rebuild reads the file again
            EXPECT_EQ(dialogs.notices.size(), 1u);
        }
        form.reset();
    }
}

TEST_F(PageGridTest, RecordWithoutProgramLosesItsKeysAtLoad)
{
    // Button 5 has every key but a program, button 6 an empty program; button 7 is a
    // real record; 161 lies beyond the last button and is never read.
    std::string text = "; kept comment\n[Location]\nTop=100\n[Other]\nSpeedButton5=not a record\n";
    for (const char* section : kRecordSections) {
        text += std::string("[") + section + "]\n";
        if (std::string(section) != "Programs")
            text += "SpeedButton5=v5\n";
        text += std::string("SpeedButton6=") + (std::string(section) == "Names" ? "Six" : "") + "\n";
        text += std::string("SpeedButton7=") + (std::string(section) == "IconSelection" ? "1" : "v7") + "\n";
        text += "SpeedButton161=v161\n";
    }
    WriteIni(text);
    MainWindow& f = Start();
    for (const char* section : kRecordSections) {
        SCOPED_TRACE(section);
        EXPECT_EQ(Value(section, "SpeedButton5"), "<absent>");
        EXPECT_EQ(Value(section, "SpeedButton6"), "<absent>");
        EXPECT_NE(Value(section, "SpeedButton7"), "<absent>");
        EXPECT_EQ(Value(section, "SpeedButton161"), "v161");
    }
    EXPECT_EQ(Value("Other", "SpeedButton5"), "not a record");
    EXPECT_EQ(IniText().rfind("; kept comment\n", 0), 0u);
    EXPECT_FALSE(Pages(f).FindButton(5)->HasGlyph());
    EXPECT_FALSE(Pages(f).FindButton(6)->HasGlyph());
    EXPECT_TRUE(Pages(f).FindButton(7)->HasGlyph());
}

// The button paints its glyph itself (not through its icon, whose pixmap-cache entries
// piled up at every rebuild): a shown glyph is in the middle of the painted button,
// shifted when the button is down.
TEST(SpeedButtonPaint, GlyphIsPaintedInTheMiddle)
{
    TSpeedButton button(1);
    button.SetGlyph(Solid(32, qRgb(255, 0, 0)));
    QImage shot = button.grab().toImage();
    EXPECT_EQ(shot.pixelColor(18, 18), QColor(255, 0, 0));
    EXPECT_NE(shot.pixelColor(0, 0), QColor(255, 0, 0)); // the frame stays the style's
    button.SetDown(true);
    EXPECT_EQ(button.grab().toImage().pixelColor(18, 18), QColor(255, 0, 0));
    button.SetGlyph(QImage());
    EXPECT_NE(button.grab().toImage().pixelColor(18, 18), QColor(255, 0, 0));
}

TEST_F(PageGridTest, HintsOfLoadedButtons)
{
    struct Case {
        std::string program, parameters, description, hint;
    } cases[] = {
        {"/usr/bin/gimp", "", "", "gimp"},
        {"/opt/tools/run.sh", "--fast x.txt", "", "run --fast x.txt"},
        {"/opt/tools/run.sh", "--fast", "Runs fast", "Runs fast"},
        {"/opt/tools/edit.bin", "", "Editor~for text~files", "Editor\nfor text\nfiles"},
        {"/opt/tools/edit.bin", "", "1~2~3~4~5~6~7~8~9~10", "1\n2\n3\n4\n5\n6\n7\n8~9~10"},
        {"'/opt/my apps/Tool Box.sh'", "", "", "Tool Box"},
        {"/usr/local/bin/make-it", "", "", "make-it"},
    };
    std::vector<std::pair<int, ButtonRecord>> records;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ButtonRecord r = Program(cases[i].program);
        r.Parameters = cases[i].parameters;
        r.Description = cases[i].description;
        records.emplace_back(int(i) + 1, r);
    }
    WriteIni(WithRecords("[Location]\nTop=100\nShowHint=Yes\n", records));
    MainWindow& f = Start();
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Pages(f).FindButton(int(i) + 1)->toolTip().toStdString(), cases[i].hint) << cases[i].program;
    // An empty button keeps the hint given at creation (the general hints are on).
    EXPECT_EQ(Pages(f).FindButton(20)->toolTip().toStdString(), f.State().ButtonHintText);
    EXPECT_NE(f.State().ButtonHintText, "");
}

// What a tooltip shows: the text of the tooltip label as the user reads it.
QString ShownToolTip(QWidget* widget)
{
    QHelpEvent event(QEvent::ToolTip, QPoint(4, 4), widget->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(widget, &event);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* label = qobject_cast<QLabel*>(top); label && top->objectName() == "qtooltip_label") {
            if (!Qt::mightBeRichText(label->text()))
                return label->text();
            QTextDocument shown;
            shown.setHtml(label->text());
            return shown.toPlainText();
        }
    return "<no tooltip>";
}

TEST_F(PageGridTest, HintsShowTheirTextNeverMarkup)
{
    const std::vector<std::pair<std::string, QString>> cases = {
        {"<b>bold</b> & <i>more</i>", "<b>bold</b> & <i>more</i>"},
        {"<p>Two~lines  with blanks</p>", "<p>Two\nlines  with blanks</p>"},
        {"Plain~text", "Plain\ntext"},
    };
    std::vector<std::pair<int, ButtonRecord>> records;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        ButtonRecord r = Program("/usr/bin/gimp");
        r.Description = cases[i].first;
        records.emplace_back(int(i) + 1, r);
    }
    WriteIni(WithRecords("[Location]\nTop=100\n", records));
    MainWindow& f = Start();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(ShownToolTip(Pages(f).FindButton(int(i) + 1)), cases[i].second) << cases[i].first;
    QToolTip::hideText();
}

TEST_F(PageGridTest, EmptyButtonsHaveNoHintWhenGeneralHintsAreOff)
{
    WriteIni("[Location]\nTop=100\nShowHint=No\n");
    MainWindow& f = Start();
    EXPECT_EQ(Pages(f).FindButton(1)->toolTip(), "");
    EXPECT_EQ(Pages(f).FindButton(160)->toolTip(), "");
}

TEST_F(PageGridTest, TagFollowsTheShrinkChoice)
{
    struct Case {
        std::string shrink;
        std::optional<bool> choice;
    } cases[] = {{"No", false}, {"Yes", true}, {"", std::nullopt}, {"yes", std::nullopt}, {"Maybe", std::nullopt}};
    std::vector<std::pair<int, ButtonRecord>> records;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ButtonRecord r = Program("/bin/prog" + std::to_string(i));
        r.Shrink = cases[i].shrink;
        records.emplace_back(int(i) + 1, r);
    }
    WriteIni(WithRecords("[Location]\nTop=100\n", records));
    MainWindow& f = Start();
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Pages(f).FindButton(int(i) + 1)->Shrink, cases[i].choice) << "Shrink=" << cases[i].shrink;
}

TEST_F(PageGridTest, IconFromIconFileThenProgramThenBuiltIn)
{
    const QRgb red = 0xFFFF0000, blue = 0xFF0000FF, green = 0xFF00FF00;
    platform.icons[{"/icons/a.ico", 2}] = Solid(32, red);
    platform.icons[{"/icons/a.ico", 0}] = Solid(32, green); // not the chosen index
    platform.icons[{"/bin/two", 0}] = Solid(32, blue);
    platform.icons[{"/my icons/b.ico", 0}] = Solid(32, green);
    platform.icons[{"/icons/small.png", 0}] = Solid(16, red);
    platform.icons[{"/bin/four", 0}] = Solid(32, blue); // "Default" is no icon file: the program's icon

    auto rec = [](const std::string& program, const std::string& icon, int index) {
        ButtonRecord r = Program(program);
        r.IconFile = icon;
        r.IconIndex = index;
        return r;
    };
    WriteIni(WithRecords("[Location]\nTop=100\n", {{1, rec("/bin/one", "/icons/a.ico", 2)},
                                                   {2, rec("/bin/two", "/icons/none.ico", 0)},
                                                   {3, rec("/bin/three", "", 0)},
                                                   {4, rec("/bin/four", "Default", 0)},
                                                   {5, rec("/bin/five", "'/my icons/b.ico'", 0)},
                                                   {6, rec("/bin/six", "/icons/small.png", 0)},
                                                   {7, rec("/bin/seven", "/icons/none.ico", 3)}}));
    const std::string before = IniText();
    MainWindow& f = Start();
    // Loading never asks for an icon.
    EXPECT_TRUE(dialogs.openDialogs.empty());

    const QImage builtin = BuiltinIcon("ICON_2").convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(builtin.isNull());
    struct Expect {
        int n;
        QSize glyphSize;
        std::optional<QRgb> colour; // none: the built-in icon
        std::string icons;          // "Icons" afterwards
    } expects[] = {{1, {32, 33}, red, "/icons/a.ico"},        {2, {32, 33}, blue, "/icons/none.ico"},
                   {3, {32, 33}, std::nullopt, "Default"},    {4, {32, 33}, blue, "Default"},
                   {5, {32, 33}, green, "'/my icons/b.ico'"}, {6, {16, 17}, red, "/icons/small.png"},
                   {7, {32, 33}, std::nullopt, "Default"}};
    for (const Expect& e : expects) {
        SCOPED_TRACE(e.n);
        TSpeedButton* b = Pages(f).FindButton(e.n);
        ASSERT_TRUE(b->HasGlyph());
        EXPECT_EQ(b->iconSize(), e.glyphSize);
        const QImage glyph = Glyph(b);
        ASSERT_EQ(glyph.size(), e.glyphSize);
        if (e.colour) {
            EXPECT_EQ(glyph.pixel(e.glyphSize.width() / 2, e.glyphSize.width() / 2), *e.colour);
        } else {
            int differing = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    differing += qAlpha(builtin.pixel(x, y)) == 255 && glyph.pixel(x, y) != builtin.pixel(x, y);
            EXPECT_EQ(differing, 0);
        }
        // The glyph's extra bottom row is the button face.
        EXPECT_EQ(QColor(glyph.pixel(0, e.glyphSize.height() - 1)), f.palette().color(QPalette::Button));
        EXPECT_EQ(Value("Icons", ButtonKey(e.n)), e.icons);
    }
    // Only the records found without an icon changed in the file.
    form.reset();
    IniDocument was = IniDocument::Parse(before), now = IniDocument::Parse(IniText());
    for (int n = 1; n <= 7; ++n) {
        for (const char* section : kRecordSections) {
            if (std::string(section) != "Icons" || (n != 3 && n != 7)) {
                EXPECT_EQ(now.Get(section, ButtonKey(n)), was.Get(section, ButtonKey(n))) << section << n;
            }
        }
    }
}

TEST_F(PageGridTest, ButtonWithoutIconOutsideLoadingAsksForOne)
{
    // Button 3 had its program's icon when it was loaded; the put below finds none any
    // more (the program's icon is gone), so the icon is asked for.
    struct Case {
        std::string name;
        std::vector<std::string> chosen; // empty: cancelled
        std::string stored;              // "Icons" of the target afterwards
        std::optional<QRgb> colour;      // none: the built-in icon
    } cases[] = {
        {"chosen", {"/icons/pick.ico"}, "/icons/pick.ico", 0xFF00FF00},
        {"chosen with a blank", {"/my icons/pick.ico"}, "'/my icons/pick.ico'", 0xFF0000FF},
        {"cancelled", {}, "Default", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.icons.clear();
        platform.icons[{"/opt/app/tool.bin", 0}] = Solid(32, 0xFFFF0000);
        platform.icons[{"/icons/pick.ico", 0}] = Solid(32, 0xFF00FF00);
        platform.icons[{"/my icons/pick.ico", 0}] = Solid(32, 0xFF0000FF);
        dialogs.openDialogs.clear();
        WriteIni(WithRecords("[Location]\nTop=100\n", {{3, Program("/opt/app/tool.bin")}}));
        MainWindow& f = Start();
        ASSERT_TRUE(Pages(f).FindButton(3)->HasGlyph());
        ASSERT_EQ(Value("Icons", "SpeedButton3"), "<absent>");
        ASSERT_TRUE(dialogs.openDialogs.empty());

        platform.icons.erase({"/opt/app/tool.bin", 0});
        if (!c.chosen.empty())
            dialogs.files.push_back(c.chosen);
        ChooseOnButton(f, 3, "MoveButton1");
        Pages(f).FindButton(40)->click();

        ASSERT_EQ(dialogs.openDialogs.size(), 1u);
        EXPECT_EQ(dialogs.openDialogs[0].title, "tool has no Icon. Select a seperate Icon OR Cancel for default");
        EXPECT_FALSE(dialogs.openDialogs[0].multiSelect);
        EXPECT_EQ(Value("Programs", "SpeedButton40"), "/opt/app/tool.bin");
        EXPECT_EQ(Value("Icons", "SpeedButton40"), c.stored);
        EXPECT_EQ(Value("IconSelection", "SpeedButton40"), "<absent>");
        TSpeedButton* b = Pages(f).FindButton(40);
        ASSERT_TRUE(b->HasGlyph());
        if (c.colour) {
            EXPECT_EQ(Glyph(b).pixel(16, 16), *c.colour);
        } else {
            EXPECT_EQ(Glyph(b).pixel(16, 16),
                      BuiltinIcon("ICON_2").convertToFormat(QImage::Format_ARGB32).pixel(16, 16));
        }
        // A reload finds the stored icon and asks nothing.
        Pages(f).Load();
        EXPECT_EQ(dialogs.openDialogs.size(), 1u);
        EXPECT_EQ(Value("Icons", "SpeedButton40"), c.stored);
        form.reset();
    }
}

TEST_F(PageGridTest, ReloadPicksUpAnotherInstancesChanges)
{
    platform.icons[{"/bin/one", 0}] = Solid(32, 0xFFFF0000);
    platform.icons[{"/bin/two", 0}] = Solid(32, 0xFF00FF00);
    ButtonRecord one = Program("/bin/one");
    one.Description = "First";
    WriteIni(WithRecords("[Location]\nTop=100\n[Tabs]\nPageTab2=Before\n", {{1, one}, {2, Program("/bin/two")}}),
             "desk");
    MainWindow& f = Start({"/m", "desk"});
    ASSERT_TRUE(f.State().SyncMode);
    ASSERT_EQ(Pages(f).FindButton(1)->toolTip().toStdString(), "First");
    ASSERT_TRUE(Pages(f).FindButton(2)->HasGlyph());

    // Another instance of "desk" removes button 2, renames button 1 and page 2, adds
    // button 150, then tells every instance.
    TNewIniFile(Ini("desk")).Modify([](IniDocument& d) {
        RecordStore store(d);
        store.Erase(2);
        d.WriteString("Names", "SpeedButton1", "Renamed~twice");
        d.WriteString("Programs", "SpeedButton150", "/bin/two");
        d.WriteString("Shrink", "SpeedButton150", "No");
        d.WriteString("Tabs", "PageTab2", "After");
    });
    platform.BroadcastMessage({"UKexbarother", 1}); // not ours
    Pump();
    EXPECT_EQ(Pages(f).FindButton(1)->toolTip().toStdString(), "First");
    platform.BroadcastMessage({"UKexbardesk", 0}); // not a reload
    Pump();
    EXPECT_EQ(Pages(f).FindButton(1)->toolTip().toStdString(), "First");
    // A change to another directory's configuration of the same suffix.
    platform.BroadcastMessage({"UKexbardesk", 1, ConfigurationIdentity(platform.appDir + "other/KXdesk.INI")});
    Pump();
    EXPECT_EQ(Pages(f).FindButton(1)->toolTip().toStdString(), "First");

    // The older form names no file: every bar of the suffix takes it.
    platform.BroadcastMessage({"UKexbardesk", 1});
    Pump();
    EXPECT_EQ(Pages(f).FindButton(1)->toolTip(), "Renamed\ntwice");
    EXPECT_FALSE(Pages(f).FindButton(2)->HasGlyph());
    EXPECT_EQ(Pages(f).FindButton(2)->toolTip(), "Mouse: Left=Load/Launch  Right=Options");
    EXPECT_TRUE(Pages(f).FindButton(150)->HasGlyph());
    EXPECT_EQ(Pages(f).FindButton(150)->Shrink, std::optional<bool>(false));
    EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Tabs().value(1), "After");
    // The reload is over: the bar is not left showing the hourglass.
    EXPECT_EQ(f.ScreenCursor(), crDefault);
}

// ---- switching between 16 and 21 buttons per page

class ButtonsPerPageTest : public FormTest {
protected:
    // Chooses an item of the page menu with a right press on the first tab.
    void PageMenu(MainWindow& f, const std::string& item)
    {
        dialogs.popupChoices = {item};
        const QRect tab = Child<TTabSet>(f, "TabSet1")->ItemRect(0);
        ASSERT_FALSE(tab.isEmpty());
        QTest::mousePress(Child<TTabSet>(f, "TabSet1"), Qt::RightButton, {}, tab.center());
        ASSERT_EQ(dialogs.popups.size(), 1u);
        EXPECT_EQ(dialogs.popups[0].menu, "PopupMenu2");
    }
    std::string Bak() const
    {
        std::ifstream in(platform.appDir + "KX.BAK", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return in ? ss.str() : "<absent>";
    }
    void ExpectTheQuestion()
    {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "This may take several minutes or much longer!    Proceed?");
        EXPECT_EQ(dialogs.messages[0].type, MessageType::mtWarning);
        EXPECT_EQ(dialogs.messages[0].buttons, unsigned(mbYes | mbNo | mbHelp));
        EXPECT_EQ(dialogs.messages[0].helpContext, 39);
    }
};

// A bar whose records tell where they were first stored: button n runs /bin/p<n>
// and is described as "N<n>".
std::string NumberedBar(int perPage, const std::vector<std::string>& tabs, const std::vector<int>& buttons)
{
    std::string head = "[Location]\nTop=100\nButtonCount=" + std::to_string(perPage) + "\n[Tabs]\n";
    for (std::size_t p = 0; p < tabs.size(); ++p)
        head += PageTabKey(int(p) + 1) + "=" + tabs[p] + "\n";
    head += "[MRU]\nCount=1\nItem0=N3  |3\n";
    std::vector<std::pair<int, ButtonRecord>> records;
    for (int n : buttons) {
        ButtonRecord r = Program("/bin/p" + std::to_string(n));
        r.Description = "N" + std::to_string(n);
        r.IconIndex = n % 2;
        records.emplace_back(n, r);
    }
    return WithRecords(head, records);
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> v;
    for (int n = first; n <= last; ++n)
        v.push_back(n);
    return v;
}

TEST_F(ButtonsPerPageTest, DeclinedSwitchChangesNothing)
{
    for (ModalResult answer : {ModalResult::mrNo, ModalResult::mrNone, ModalResult::mrCancel}) {
        dialogs.messages.clear();
        dialogs.popups.clear();
        WriteIni(NumberedBar(16, {"Tools", "Tools"}, Range(1, 19)));
        MainWindow& f = Start();
        const std::string before = IniText();
        TSpeedButton* first = Pages(f).FindButton(1);
        dialogs.answers = {answer};
        PageMenu(f, "PButton21");
        ExpectTheQuestion();
        EXPECT_EQ(IniText(), before);
        EXPECT_EQ(Bak(), "<absent>");
        EXPECT_EQ(Pages(f).ButtonsPerPage(), 16);
        EXPECT_EQ(Pages(f).RequestedButtons(), 16);
        EXPECT_EQ(Pages(f).FindButton(1), first) << "not rebuilt";
        EXPECT_EQ(Pages(f).PageCount(), 10);
        EXPECT_EQ(f.ScreenCursor(), crDefault);
        form.reset();
    }
}

TEST_F(ButtonsPerPageTest, ChoosingTheCurrentCountAsksNothing)
{
    WriteIni(NumberedBar(16, {}, {1}));
    MainWindow& f = Start();
    const std::string before = IniText();
    PageMenu(f, "PButton16");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(IniText(), before);
    EXPECT_EQ(Bak(), "<absent>");
}

TEST_F(ButtonsPerPageTest, SwitchRenumbersAndRebuildsTheBar)
{
    struct Case {
        std::string name;
        int from, to;
        std::vector<std::string> tabs;
        std::vector<int> buttons;
        std::map<int, int> moved; // old number → new number where it changes
        QStringList captions;     // the tabs afterwards
    } cases[] = {
        {"16 to 21, one group on two pages", 16, 21, {"Tools", "Tools"}, Range(1, 19), {}, {"Tools"}},
        {"16 to 21, two groups",
         16,
         21,
         {"Tools", "Games"},
         Range(1, 19),
         {{17, 22}, {18, 23}, {19, 24}},
         {"Tools", "Games"}},
        {"21 to 16, one full page", 21, 16, {"Tools"}, Range(1, 21), {}, {"Tools", "Tools"}},
        {"16 to 21, used pages apart", 16, 21, {"A", "B", "C"}, {1, 2, 33, 34}, {{33, 22}, {34, 23}}, {"A", "C"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        dialogs.popups.clear();
        std::remove((platform.appDir + "KX.BAK").c_str());
        WriteIni(NumberedBar(c.from, c.tabs, c.buttons));
        MainWindow& f = Start();
        f.show(); // the rebuild happens on a bar the user sees
        // The backup is the file exactly as it was before the switch.
        const std::string expectedBak = IniText();
        dialogs.answers = {ModalResult::mrYes};
        PageMenu(f, c.to == 21 ? "PButton21" : "PButton16");
        ExpectTheQuestion();

        EXPECT_EQ(Bak(), expectedBak);
        EXPECT_EQ(Value("Location", "ButtonCount"), std::to_string(c.to));
        EXPECT_EQ(Value("Pages", "Count"), std::to_string(c.captions.size()));
        EXPECT_EQ(Value("MRU", "Count"), "<absent>");
        EXPECT_EQ(Value("MRU", "Item0"), "<absent>");
        const IniDocument doc = IniDocument::Parse(IniText());
        EXPECT_EQ(doc.ReadSection("Programs").size(), c.buttons.size());
        for (int old : c.buttons) {
            const int now = c.moved.count(old) ? c.moved.at(old) : old;
            SCOPED_TRACE(testing::Message() << old << " -> " << now);
            EXPECT_EQ(Value("Programs", ButtonKey(now)), "/bin/p" + std::to_string(old));
            EXPECT_EQ(Value("Names", ButtonKey(now)), "N" + std::to_string(old));
            EXPECT_EQ(Value("IconSelection", ButtonKey(now)), old % 2 ? "1" : "<absent>");
            if (now != old) {
                EXPECT_EQ(Value("Programs", ButtonKey(old)), "<absent>");
                EXPECT_EQ(Value("Names", ButtonKey(old)), "<absent>");
            }
            ASSERT_NE(Pages(f).FindButton(now), nullptr);
            EXPECT_TRUE(Pages(f).FindButton(now)->HasGlyph());
            EXPECT_EQ(Pages(f).FindButton(now)->toolTip().toStdString(), "N" + std::to_string(old));
        }
        // The window stands rebuilt with the new row length.
        EXPECT_EQ(Pages(f).ButtonsPerPage(), c.to);
        EXPECT_EQ(Pages(f).RequestedButtons(), c.to);
        EXPECT_EQ(Pages(f).PageCount(), int(c.captions.size()));
        EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Tabs(), c.captions);
        const int total = int(c.captions.size()) * c.to;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the old pages
        EXPECT_EQ(int(f.findChildren<TSpeedButton*>().size()), total);
        EXPECT_NE(Pages(f).FindButton(total), nullptr);
        EXPECT_EQ(Pages(f).FindButton(total + 1), nullptr);
        EXPECT_EQ(Pages(f).FindButton(c.to + 1) ? Pages(f).FindButton(c.to + 1)->x() : 0, 0);
        EXPECT_EQ(Pages(f).FindButton(c.to)->x(), 36 * (c.to - 1));
        EXPECT_EQ(f.ScreenCursor(), crDefault);
        // The shown page's buttons are on screen, not only in the widget tree.
        for (int n = 1; n <= c.to; ++n)
            EXPECT_TRUE(Pages(f).FindButton(n)->isVisible()) << n;
        // A new start finds the same bar.
        form.reset();
        MainWindow& again = Start();
        EXPECT_EQ(Pages(again).ButtonsPerPage(), c.to);
        EXPECT_EQ(Child<TTabSet>(again, "TabSet1")->Tabs(), c.captions);
        form.reset();
    }
}

TEST_F(ButtonsPerPageTest, RebuildWithoutConfigurationFileStopsWithAnError)
{
    WriteIni(NumberedBar(16, {"Tools"}, {1, 2}));
    MainWindow& f = Start();
    TSpeedButton* first = Pages(f).FindButton(1);
    ASSERT_EQ(std::remove(Ini().c_str()), 0);
    // Another instance asks for a rebuild.
    platform.BroadcastMessage({"UKXForm", 1});
    Pump();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Cannot open file " + Ini());
    EXPECT_EQ(dialogs.messages[0].type, MessageType::mtError);
    EXPECT_EQ(Bak(), "<absent>");
    EXPECT_EQ(IniText(), "") << "no file is made up";
    // The bar stands as it was.
    EXPECT_EQ(Pages(f).FindButton(1), first);
    EXPECT_TRUE(first->HasGlyph());
    EXPECT_EQ(Pages(f).PageCount(), 10);
    EXPECT_EQ(Child<TTabSet>(f, "TabSet1")->Tabs().value(0), "Tools");
}

} // namespace
} // namespace kex
