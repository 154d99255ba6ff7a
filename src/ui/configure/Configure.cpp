// The button configurator joined to the window, and the seats of the recent list.
// Until the recent list arrives no recent entries are kept.
#include <QLineEdit>
#include <QScrollBar>

#include "ui/configure/ButtonConfigurator.h"
#include "ui/widgets/SpeedButton.h"
#include "ui/widgets/TabSet.h"
#include "ui/window/MainWindow.h"

namespace kex {

void MainWindow::RecentAdd(const std::string&) {}

void MainWindow::RecentReplace(const std::string&, const std::string&) {}

int MainWindow::PickIcon(const std::string& iconFile) { return configurator_->PickIcon(iconFile); }

void MainWindow::ButtonTextEntered(const std::string& mode, const std::string& text)
{
    configurator_->TextEntered(mode, text);
}

ButtonConfigurator* MainWindow::MakeConfigurator()
{
    ButtonConfigurator::Hooks h;
    h.store = [this]() -> BarStore& { return *store_; };
    h.ensureCurrent = [this] { return EnsureCurrent(); };
    h.noteLayout = [this] { NoteLayout(); };
    h.movePending = [this] { return ScreenCursor() != crDefault; };
    h.modifyLocked = [this] { return ModifyLocked(); };
    h.shrinkSetting = [this] { return settings_.shrinkOnLaunch; };
    h.shrinkTag = [this](int n) { return FindButton(n) ? FindButton(n)->Tag : 100; };
    h.setShrinkTag = [this](int n, int tag) {
        if (TSpeedButton* button = FindButton(n))
            button->Tag = tag;
    };
    h.showButton = [this](int n, const ButtonRecord& r) {
        GlyphFromIcon(FindButton(n), r.Program, r.IconIndex, r.Description, r.IconFile, r.Parameters);
    };
    h.openEditor = [this](const std::string& mode, const std::string& text, const std::string& hint) {
        PageName->setToolTip(QString::fromStdString(hint));
        PageName->setText(QString::fromStdString(text));
        EditMode = mode;
        PageName->show();
        PageName->raise();
        PageName->setFocus();
    };
    h.launch = [this](const TButtonLaunch& l) {
        ShrinkNow = l.shrinkNow;
        CurrentButtonNumber = l.button;
        LaunchSource = TLaunchSource::Button;
        Launch(l.program, l.parameters, l.working, l.description);
    };
    h.broadcast = [this] { BroadcastLoad(); };
    h.descriptionChanged = [this](const std::string& o, const std::string& n) { RecentReplace(o, n); };
    h.dropGrid = [this] {
        return TDropGrid{Panel1->width(), HorzScrollBar->value(), TabSet1->TabIndex(), ButtonsPerPage};
    };
    h.helpFile = [this] { return HelpFileName(); };
    h.guarded = [this](const std::function<void()>& handler) { Guarded(handler); };
    return new ButtonConfigurator(platform_, dialogs_, *this, std::move(h));
}

} // namespace kex
