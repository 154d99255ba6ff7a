// Pages and buttons of the main window: creating them, loading every button's
// picture and hint from its record.
#include <QAction>
#include <algorithm>
#include <QPainter>
#include <QStackedWidget>

#include "app/Dialogs.h"
#include "app/Pictures.h"
#include "app/Settings.h"
#include "pages/PageShift.h"
#include "app/UKexbar.h"
#include "launch/CommandLine.h"
#include "pages/Grid.h"
#include "pages/SpeedButton.h"
#include "pages/TabSet.h"
#include "platform/TPlatform.h"

namespace kex {

namespace {
// A glyph: the icon on the button-face colour, one pixel taller than the icon.
QImage MakeGlyph(const QImage& icon, const QColor& face)
{
    QImage glyph(icon.width(), icon.height() + 1, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(face);
    QPainter p(&glyph);
    p.drawImage(0, 0, icon);
    return glyph;
}
} // namespace

int TForm1::PageCount() const { return Notebook1->count(); }

TSpeedButton* TForm1::FindButton(int n) const
{
    auto it = buttons_.find(n);
    return it == buttons_.end() ? nullptr : it->second;
}

TSpeedButton* TForm1::FindButton(const std::string& name) const { return FindButton(NumberFromName(name)); }

void TForm1::ClearPages()
{
    buttons_.clear();
    while (Notebook1->count() > 0) {
        QWidget* page = Notebook1->widget(Notebook1->count() - 1);
        Notebook1->removeWidget(page);
        page->hide();
        page->deleteLater(); // a handler of one of its buttons may still be running
    }
    TabSet1->SetTabs({});
}

void TForm1::CreateButtons()
{
    // 1. The page count; the old pages go (at start the design-time page).
    // A stored count out of range is bounded and reported once, not at every rebuild.
    std::string notice;
    const int pages = ReadPageCount(TNewIniFile(IniFileName()).Document(), IniFileName(), &notice);
    NotifyOnce(notice);
    ClearPages();
    // 2. Pages "Page" + i, each with its tab and its row of buttons.
    QStringList tabs;
    const QString hint = QString::fromStdString(ButtonHintText);
    for (int i = 0; i < pages; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QString("Page%1").arg(i));
        page->setAutoFillBackground(true); // the selection edit lies behind the pages
        tabs << QString::fromStdString(DefaultPageName(i + 1));
        for (int n = FirstButtonOfPage(i, ButtonsPerPage); n <= (i + 1) * ButtonsPerPage; ++n) {
            auto* button = new TSpeedButton(n, page);
            button->setGeometry(ButtonLeft(SlotOfButton(n, ButtonsPerPage)), 0, kButtonSize, kButtonSize);
            button->setToolTip(hint);
            connect(button, &QToolButton::clicked, this, [this, button] { Guarded([&] { ButtonClick(button); }); });
            connect(button, &TSpeedButton::RightMouseDown, this, [this, button](Qt::MouseButton b, int x, int y) {
                Guarded([&] { SpeedRightMouseDown(button, b, x, y); });
            });
            buttons_[n] = button;
        }
        // Added with its buttons, so that they show also on a bar that is already shown.
        Notebook1->addWidget(page);
    }
    TabSet1->SetTabs(tabs);
    if (pages > 0) {
        TabSet1->SetTabIndex(0);
        Notebook1->setCurrentIndex(0);
    }
}

void TForm1::Load()
{
    // 1.
    ListBox3.clear();
    StartingUp = 0;
    Loading = "Yes";
    // A reload (the reload message, also the sender's own) gives back the cursor it
    // found: a pending move or copy keeps its drag cursor, an idle bar the default
    // one. Within the start-up pass and a rebuild that is the hourglass, which their
    // end takes away.
    const int cursorBefore = ScreenCursor();
    SetScreenCursor(crHourGlass);
    ListBox3.emplace_back(); // "SpeedButton0": no button bears it, no password
    // 2. One open of the file for every record.
    TNewIniFile ini(IniFileName());
    IniDocument doc = ini.Document();
    RecordStore store(doc);
    store.BeginBatch(); // every record from one pass over the text
    const std::vector<int> stored = store.StoredNumbers();
    const int pageCount = ReadPageCount(doc, IniFileName());
    const int last = PageCount() * ButtonsPerPage;
    std::vector<int> toErase;
    for (int n = 1; n <= last; ++n) {
        ListBox3.emplace_back();
        ButtonRecord r = store.Read(n);
        TSpeedButton* button = FindButton(n);
        if (r.Program.empty()) {
            if (std::binary_search(stored.begin(), stored.end(), n))
                toErase.push_back(n);
            if (button && button->HasGlyph()) // a button that was loaded before is blanked
                GlyphFromIcon(button, "", 0, "", "", "");
        } else if (button) {
            button->Tag = r.Shrink == "Yes" ? 1 : r.Shrink == "No" ? 0 : 100;
            GlyphFromIcon(button, r.Program, r.IconIndex, r.Description, r.IconFile, r.Parameters);
        }
        if (n <= pageCount && n - 1 < TabSet1->Count())
            TabSet1->SetTabCaption(n - 1, QString::fromStdString(doc.ReadString(
                                              settings::TabsSection, PageTabKey(n), DefaultPageName(n))));
    }
    store.DiscardBatch();
    // Records without a program lose their keys, and icons found missing are marked
    // "Default", in one rewrite.
    if (!toErase.empty() || !iconDefaults_.empty()) {
        std::vector<int> defaults(iconDefaults_.begin(), iconDefaults_.end());
        WriteReportedOnce([&] {
            ini.Modify([&](IniDocument& d) {
                RecordStore s(d);
                for (int n : toErase)
                    s.Erase(n);
                for (int n : defaults)
                    d.WriteString("Icons", ButtonKey(n), "Default");
            });
        });
    }
    iconDefaults_.clear();
    // 3. The protected-button table covers twice the buttons.
    while (int(ListBox3.size()) <= TabSet1->Count() * ButtonsPerPage * 2)
        ListBox3.emplace_back();
    // 4.
    Loading = "No";
    NoteLayout();
    SetScreenCursor(cursorBefore);
}

void TForm1::GlyphFromIcon(TSpeedButton* button, const std::string& program, int iconIndex,
                           const std::string& description, const std::string& iconFile,
                           const std::string& parameters)
{
    if (!button)
        return;
    // 1.
    std::string name = program.empty() ? std::string() : NameWithoutExtension(FileNamePart(program));
    // 2.
    // "Default" names the built-in icon, which comes last.
    QImage icon = (iconFile.empty() || iconFile == "Default") ? QImage()
                                                               : platform_.ExtractIcon(ProgramOf(iconFile), iconIndex);
    if (icon.isNull() && !program.empty())
        icon = platform_.ExtractIcon(ProgramOf(program), 0);
    // 3. What is learnt about the icon is stored in one write; a refused write (a
    // read-only configuration) is shown and the button still gets its picture.
    if (icon.isNull() && !program.empty()) {
        const std::string key = ButtonKey(button->Number());
        std::string stored = TNewIniFile(IniFileName()).ReadString("Icons", key, "");
        std::string file = iconFile;
        int index = iconIndex;
        std::optional<std::string> storeIcon;
        if (stored.empty() && Loading == "No") {
            TOpenDialogOptions options;
            options.title = name + " has no Icon. Select a seperate Icon OR Cancel for default";
            options.filter = "Icon File Types|*.ico;*.exe;*.dll;*.png;*.svg;*.xpm;*.bmp;*.desktop|All Files|*.*";
            auto chosen = dialogs_.OpenFile(options);
            file = chosen ? ShortPathOf(*chosen) : std::string();
            index = 0;
            if (!file.empty() && platform_.IconCount(ProgramOf(file)) > 1)
                index = PickIcon(file);
            storeIcon = file;
        }
        if (!file.empty() && file != "Default")
            icon = platform_.ExtractIcon(ProgramOf(file), index);
        if (icon.isNull()) {
            icon = BuiltinIcon("ICON_2");
            if (stored != "Default") {
                if (Loading == "Yes")
                    iconDefaults_.insert(button->Number());
                else
                    storeIcon = "Default";
            }
        }
        if (storeIcon)
            WriteReportedOnce([&] {
                TNewIniFile(IniFileName()).Modify([&](IniDocument& d) {
                    d.WriteString("Icons", key, *storeIcon);
                    if (index > 0)
                        d.WriteInteger("IconSelection", key, index);
                });
            });
    }
    // 4.
    button->SetGlyph(icon.isNull() ? QImage() : MakeGlyph(icon, palette().color(QPalette::Button)));
    // 5.
    button->setToolTip(QString::fromStdString(ButtonHint(program, description, parameters)));
}

} // namespace kex
