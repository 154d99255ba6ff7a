// ButtonConfigurator: the commands of the button menu's "&Configure Button" submenu
// (icon, description, parameter, shrink on launch, working directory, files on launch,
// the two button sounds; also the clock's two sound items), files dropped on the bar,
// and the icon picker. It reaches the rest of the bar only through the page bar's narrow
// faces, the button faces and the hooks its owner gives it; every change is one write
// of the configuration, made at once.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/bar/BarStore.h"
#include "core/configure/DropTarget.h"
#include "core/pages/ButtonRecord.h"
#include "ui/pages/PageHooks.h"

class QAction;
class QDropEvent;
class QMimeData;

namespace kex {

class BarMenus;
class BarStore;
class ButtonFaces;
class TDialogs;
class IconIndexPicker;
struct BarContext;
struct StartupSettings;
class TPlatform;

class ButtonConfigurator : public QObject {
    Q_OBJECT
public:
    // Serves the configure items of `menus` and shows them. `settings`: the bar's
    // "shrink on launch"; `pages`: the freshness check, the pending move, the modify
    // gate, the buttons, the button the menu is for and where the buttons lie;
    // `prompt`: the editor for the description and the parameter; `picker`: the icon
    // index of a file with several icons.
    ButtonConfigurator(BarContext& context, const StartupSettings& settings, const BarMenus& menus, LaunchPages& pages,
                       InlinePrompt& prompt, ButtonFaces& faces, IconIndexPicker& picker, QObject* parent);
    ~ButtonConfigurator() override;

    // The button menu opens on button n with this record: the configure items show
    // its settings.
    void MenuAboutToShow(int n, const ButtonRecord& record);

    // The configure commands, for the button the menu was opened on.
    void ChangeIcon();
    void ChangeName();
    void ChangeParameter();
    // Each checkable item's command is given the check mark the click gave it.
    void ShrinkOnLaunch(bool on);
    // "Select &Working Directory" and "Select &Files on Launch".
    void SelectDirectory(QAction* item, bool on);
    // A sound item: the caption without a file, and where the file is kept.
    struct SoundItem {
        const char* caption;
        enum { Button, HourChime, HalfHourChime } kind;
        ButtonSetting setting;
    };
    // The two button sounds and the clock's hour and half-hour sounds.
    void SoundSelect(QAction* item, bool on, const SoundItem& sound);
    // Enter in the editor with a text, for button n.
    void DescriptionEntered(int n, const std::string& text);
    void ParameterEntered(int n, const std::string& text);
    // A drag entering the bar, moving over it or dropped on it, as the window receives
    // it (its position in the window's client coordinates): accepted or ignored here;
    // the files of an accepted drop are taken once the drop is over.
    void TakeDrag(QDropEvent& event);
    // Files dropped at x (client coordinates of the window).
    void DropFiles(const std::vector<std::string>& files, int x);

Q_SIGNALS:
    // Starts configured button n with the dropped files as its parameters, in its
    // working directory, with the button's shrink choice (none: the setting's).
    void LaunchWithFilesRequested(int n, const ButtonRecord& record, const std::string& files,
                                  std::optional<bool> shrink);
    // The configuration changed a button: the other bars of this file reload.
    void FileChanged();
    // Button n's description changed: its face anew, its recent-list entry renamed.
    void DescriptionChanged(int n, const ButtonRecord& before, const ButtonRecord& after);
    // The clock's hour or half-hour sound was switched on or off.
    void ChimeSoundChanged(bool halfHour, bool on);

private:
    // A sound item's check mark and caption for a sound file (none: empty).
    static void ShowSound(QAction* item, const char* caption, const std::string& file);
    void Connect(QAction* item, std::function<void(QAction*, bool)> handler);
    // The current button's record; nothing happens for a button without a program.
    bool LoadedButton(int& n, ButtonRecord& record);
    // Button n's record, when the button still has a program and the bar still shows
    // the file's buttons (the check before a change is written).
    bool StillLoaded(int n, ButtonRecord& record);
    void FillFromDrop(int n, const std::string& file);
    // Whether a file name is refused for the configuration (the user is told why).
    bool RefusedName(const std::string& name);
    // Whether a drag may end here (x, when given, must lie on a button).
    bool Acceptable(const QMimeData* mime, const int* x) const;

    BarContext& context_;
    BarStore& store_;
    TPlatform& platform_;
    TDialogs& dialogs_;
    const StartupSettings& settings_;
    const BarMenus& menus_;
    LaunchPages& pages_;
    InlinePrompt& prompt_;
    ButtonFaces& faces_;
    IconIndexPicker& picker_;
};

// The local files of a drop, in order: file: URLs of this machine only (no host, or
// "localhost"); other URLs are left out.
std::vector<std::string> DroppedFiles(const QMimeData* mime);

} // namespace kex
