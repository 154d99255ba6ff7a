// ButtonConfigurator: the commands of the button menu's "&Configure Button" submenu
// (icon, description, parameter, shrink on launch, working directory, files on launch,
// the two button sounds; also the clock's two sound items), files dropped on the bar,
// and the icon picker. It reaches the rest of the bar only through the hooks its owner
// gives it; every change is one write of the configuration, made at once.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

#include "core/configure/DropTarget.h"
#include "core/pages/ButtonRecord.h"

class QAction;
class QMimeData;
class QWidget;

namespace kex {

class BarStore;
class TDialogs;
class TForm2;
class TPlatform;

// A configured button started with dropped files.
struct TButtonLaunch {
    int button = 0;
    std::string program;    // as stored
    std::string parameters; // the dropped files, each after one blank
    std::string working;    // the button's working directory as stored
    std::string description;
    std::string shrinkNow;  // "Yes" or "No"
};

class ButtonConfigurator : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<BarStore&()> store;
        // Whether the bar shows the file's pages and buttons; when not, the bar reloads,
        // tells the user, and the answer is false (nothing may be changed).
        std::function<bool()> ensureCurrent;
        // The bar changed a button's program itself: its layout is the file's again.
        std::function<void()> noteLayout;
        // A button move or copy waits to be put down.
        std::function<bool()> movePending;
        // Modification is locked out (passwords).
        std::function<bool()> modifyLocked;
        // The bar's "shrink on launch" setting.
        std::function<bool()> shrinkSetting;
        // The shrink choice kept with button n (1 "Yes", 0 "No", else the setting).
        std::function<int(int n)> shrinkTag;
        std::function<void(int n, int tag)> setShrinkTag;
        // Button n's picture and hint from its record.
        std::function<void(int n, const ButtonRecord& record)> showButton;
        // Opens the in-place editor on `text` for `mode` ("Button": description,
        // "Parameter"); Enter comes back through TextEntered.
        std::function<void(const std::string& mode, const std::string& text, const std::string& hint)> openEditor;
        std::function<void(const TButtonLaunch& launch)> launch;
        // The reload message, in synchronised mode.
        std::function<void()> broadcast;
        // A button's description changed: its recent-list entry is renamed.
        std::function<void(const std::string& oldEntry, const std::string& newEntry)> descriptionChanged;
        // Where the shown page's buttons lie.
        std::function<TDropGrid()> dropGrid;
        // The help file the dialogs' Help buttons open.
        std::function<std::string()> helpFile;
        // Runs a handler; an error escaping it is shown and the bar goes on.
        std::function<void(const std::function<void()>&)> guarded;
    };

    // Serves the configure items found among `window`'s menus (by their object names)
    // and shows them; takes the drops on `window`.
    ButtonConfigurator(TPlatform& platform, TDialogs& dialogs, QWidget& window, Hooks hooks);
    ~ButtonConfigurator() override;

    // The button menu opens on button n with this record: the configure items are for
    // it and show its settings.
    void MenuAboutToShow(int n, const ButtonRecord& record);

    // The configure commands, for the button the menu was opened on.
    void ChangeIcon();
    void ChangeName();
    void ChangeParameter();
    void ShrinkOnLaunch(QAction* item);
    // "Select &Working Directory" and "Select &Files on Launch".
    void SelectDirectory(QAction* item);
    // The two button sounds and the clock's hour and half-hour sounds.
    void SoundSelect(QAction* item);
    // Enter in the in-place editor with a text, in mode "Button" or "Parameter".
    void TextEntered(const std::string& mode, const std::string& text);
    // The icon picker on a file with several icons: the chosen index (0 when the file
    // holds one icon or the picker was closed without a choice).
    int PickIcon(const std::string& iconFile);

    // Files dropped at x (client coordinates of the window).
    void DropFiles(const std::vector<std::string>& files, int x);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* Item(const char* name) const;
    // A sound item's check mark and caption for a sound file (none: empty).
    static void ShowSound(QAction* item, const char* caption, const std::string& file);
    void Connect(const char* name, std::function<void(QAction*)> handler);
    // The current button's record; nothing happens for a button without a program.
    bool LoadedButton(int& n, ButtonRecord& record);
    void FillFromDrop(int n, const std::string& file);
    // Whether a drag may end here (x, when given, must lie on a button).
    bool Acceptable(const QMimeData* mime, const int* x) const;

    TPlatform& platform_;
    TDialogs& dialogs_;
    QWidget& window_;
    Hooks hooks_;
    QPointer<TForm2> picker_;
    int menuButton_ = 0; // the button the button menu was opened on
};

// The local files of a drop, in order: file: URLs of this machine only (no host, or
// "localhost"); other URLs are left out.
std::vector<std::string> DroppedFiles(const QMimeData* mime);

} // namespace kex
