// Pages and buttons of the main window: creating them, loading every button's
// picture and hint from its record.
#include <QAction>
#include <QPainter>
#include <QStackedWidget>

#include "ui/dialogs/Dialogs.h"
#include "ui/widgets/Pictures.h"
#include "core/config/Settings.h"
#include "ui/window/MainWindow.h"
#include "core/launch/CommandLine.h"
#include "core/pages/Grid.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
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

int MainWindow::PageCount() const { return Notebook1->count(); }

TSpeedButton* MainWindow::FindButton(int n) const
{
    auto it = buttons_.find(n);
    return it == buttons_.end() ? nullptr : it->second;
}


void MainWindow::ClearPages()
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

void MainWindow::CreateButtons()
{
    // The page count, bounded (a stored count out of range is reported once, not at
    // every rebuild); the old pages go (at start the design-time page).
    std::string notice;
    const int pages = store_->PageCount(&notice);
    NotifyOnce(notice);
    ClearPages();
    // Pages "Page" + i, each with its tab and its row of buttons.
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

void MainWindow::Load()
{
    // The bar is loading under the hourglass.
    StartingUp = 0;
    Loading = true;
    // A reload (the reload message, also the sender's own) gives back the cursor it
    // found: a pending move or copy keeps its drag cursor, an idle bar the default
    // one. Within the start-up pass and a rebuild that is the hourglass, which their
    // end takes away.
    const int cursorBefore = ScreenCursor();
    SetScreenCursor(crHourGlass);
    // Every record and tab caption from one read of the file.
    const int last = PageCount() * ButtonsPerPage;
    const BarContents contents = store_->Contents(last);
    for (int n = 1; n <= last; ++n) {
        const ButtonRecord& r = contents.records[std::size_t(n - 1)];
        TSpeedButton* button = FindButton(n);
        if (r.Program.empty()) {
            if (button && button->HasGlyph()) // a button that was loaded before is blanked
                GlyphFromIcon(button, "", 0, "", "", "");
        } else if (button) {
            button->Tag = r.Shrink == "Yes" ? 1 : r.Shrink == "No" ? 0 : 100;
            GlyphFromIcon(button, r.Program, r.IconIndex, r.Description, r.IconFile, r.Parameters);
        }
    }
    for (std::size_t p = 0; p < contents.captions.size() && int(p) < TabSet1->Count(); ++p)
        TabSet1->SetTabCaption(int(p), QString::fromStdString(contents.captions[p]));
    // Records without a program lose their keys, and icons found missing are marked
    // "Default", in one rewrite.
    WriteReportedOnce(
        [&] { store_->Tidy(contents.strays, std::vector<int>(iconDefaults_.begin(), iconDefaults_.end())); });
    iconDefaults_.clear();
    // Loading is over.
    Loading = false;
    NoteLayout();
    SetScreenCursor(cursorBefore);
}

void MainWindow::GlyphFromIcon(TSpeedButton* button, const std::string& program, int iconIndex,
                           const std::string& description, const std::string& iconFile,
                           const std::string& parameters)
{
    if (!button)
        return;
    // The name shown when the program has no icon.
    std::string name = program.empty() ? std::string() : NameWithoutExtension(FileNamePart(program));
    // The icon: the chosen icon file, else the program's own.
    // "Default" names the built-in icon, which comes last.
    QImage icon = (iconFile.empty() || iconFile == "Default") ? QImage()
                                                               : platform_.ExtractIcon(ProgramOf(iconFile), iconIndex);
    if (icon.isNull() && !program.empty())
        icon = platform_.ExtractIcon(ProgramOf(program), 0);
    // What is learnt about the icon is stored in one write; a refused write (a
    // read-only configuration) is shown and the button still gets its picture.
    if (icon.isNull() && !program.empty()) {
        const int n = button->Number();
        const std::string& stored = iconFile; // as the record holds it
        std::string file = iconFile;
        int index = iconIndex;
        std::optional<std::string> storeIcon;
        if (stored.empty() && !Loading) {
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
                if (Loading)
                    iconDefaults_.insert(n);
                else
                    storeIcon = std::string(settings::IconDefault);
            }
        }
        if (storeIcon)
            WriteReportedOnce([&] { store_->SaveIcon(n, *storeIcon, index); });
    }
    // The picture on the button's face.
    button->SetGlyph(icon.isNull() ? QImage() : MakeGlyph(icon, palette().color(QPalette::Button)));
    // The hint: the description, else the program's name.
    button->setToolTip(QString::fromStdString(ButtonHint(program, description, parameters)));
}

} // namespace kex
