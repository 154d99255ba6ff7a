// BarStore: the one way from the window to its configuration file. The window reads
// and changes records, pages and settings through these typed operations only; each
// operation is one read of the file or one locked, atomic rewrite (TNewIniFile::Modify),
// and no section or key name is spelled outside the catalogue and the store.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
#include "core/import/ProgramImport.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/PageShift.h"
#include "core/window/StartupSettings.h"

namespace kex {

// A clicked button's record (its parameters whole, as long as they are stored, so
// that they are neither cut nor written back cut) and the shrink value its launch
// goes by: the stored "Shrink" value ("Yes" or "No"; any other stored value, even an
// empty one, leaves the decision to the global setting at the launch), or, when the
// key is absent, the global setting.
struct ClickedButton {
    ButtonRecord record;
    std::optional<bool> shrink;
};

// Every record of the bar's buttons and the captions of its tabs, read in one pass.
// The settings of a button that the configure submenu writes one at a time, by their
// place in the record.
enum class ButtonSetting { Description = 4, Shrink = 5, Select = 6, Working = 7, SoundSelect = 8, SoundLaunch = 9 };

// What a dropped file gives an empty button.
struct DroppedButton {
    std::string program;
    std::string parameters; // the document, empty when the file is itself the program
    std::string iconFile;   // from a shortcut; empty: none
    int iconIndex = 0;
};

struct BarContents {
    std::vector<ButtonRecord> records; // records[n - 1] is button n
    std::vector<std::string> captions; // captions[p - 1] is the stored caption of page p
    std::vector<int> strays;           // numbers that have record keys but no program
    PageLayout layout;                 // the layout of the very text these were read from
    int pages = 0;                     // its page count, bounded
};

// A new carrier for one change of the configuration: the passwords of the records it
// reads, writes and erases follow them, committed with the configuration's rewrite.
using PasswordTransactions = std::function<std::unique_ptr<PasswordTransaction>()>;

class BarStore {
public:
    // passwords: gives each change that reads, writes or erases records its carrier
    // (none given, or none given back: no button carries a password).
    explicit BarStore(std::string fileName, PasswordTransactions passwords = nullptr);

    const std::string& FileName() const { return ini_.FileName(); }

    // ---- settings
    StartupSettings ReadStartup(const StartupMachine& machine) const;
    // Notes the start in the file ("Run" = "Yes") and, on a first start without a
    // stored count, the buttons per page it chose, so that the next start shows the
    // buttons where this one put them.
    void NoteStart(const StartupSettings& started);
    // The page count, bounded; a stored count out of range is reported in `notice`.
    int PageCount(std::string* notice = nullptr) const;
    void SaveLocation(int top, int left, bool minimised);
    void SaveWindowState(bool minimised);
    void SaveGaugeType(const std::string& gaugeType);
    // The stay-on-top state ("Stay on &Top", F2).
    void SaveOnTop(bool onTop);
    // The small-mode options of the gauge menu, each one rewrite: "StaySmall"; "Shrink"
    // and "Hide" together (the two launch choices exclude each other); "LockedGraph"
    // with the locked place "ShrinkX", "ShrinkY"; "IconState".
    void SaveStaySmall(bool on);
    void SaveLaunchChoice(bool shrink, bool hide);
    void SaveGraphLock(bool locked, int left, int top);
    void SaveAnimateTray(bool on);
    // The exit question ("Show Exit &Options") and the general hints ("Show General &Hints").
    void SaveCheckExit(bool on);
    void SaveShowHint(bool on);
    // The colour dialog's sixteen custom colours (colour values 0x00BBGGRR).
    std::array<int, 16> CustomColors() const;
    // A tab colour chosen in the colour dialog, with the dialog's custom colours.
    void SaveTabColor(bool selected, int colour, const std::array<int, 16>& customColors);

    // ---- records
    ButtonRecord Record(int n) const;
    ClickedButton Clicked(int n, bool shrinkOnLaunch) const;
    // Buttons 1..last with the captions of the stored pages.
    BarContents Contents(int last) const;
    // Erases the keys of records without a program and marks the given buttons' icons
    // "Default", as one rewrite (nothing when both are empty), on the file the bar
    // loaded as `loaded`. Answers the layout the bar shows from now on: the tidied
    // file's; or, when the file was changed since the load (the strays may hold
    // programs by now), nothing is tidied and the answer is `loaded`, so that the
    // freshness check sees the change.
    PageLayout Tidy(const std::vector<int>& strays, const std::vector<int>& iconDefaults, const PageLayout& loaded);
    // The program browsed for button n. A button filled so (empty until now) starts
    // unprotected: a password left behind for its number is erased with it.
    void SaveProgram(int n, const std::string& program);
    // Empty parameters erase the key.
    void SaveParameters(int n, const std::string& parameters);
    // A button's icon file and index; an index of 0 is not stored (an index stored
    // before is erased).
    void SaveIcon(int n, const std::string& iconFile, int iconIndex);
    void EraseRecord(int n);
    // Puts a moved or copied record onto button n; it arrives unprotected, even where
    // a password was left behind for n.
    void PutRecord(int n, const ButtonRecord& record);
    // A moved record that was never put down goes back to button `source`, or, when
    // that button is gone or filled meanwhile, onto the first empty one (the bar grows
    // a page when every button is taken).
    void ReturnRecord(int source, const ButtonRecord& record, int buttonsPerPage);

    // ---- pages
    void SavePageName(int page, const std::string& name);
    void SavePageCount(int count);
    // Inserts a page at tab index s of c pages, named `name`, filled from `fill` when given.
    void InsertPage(int s, int c, int buttonsPerPage, const std::string& name, const PageMoveBuffer* fill);
    // Deletes page s + 1 of c pages; for a move the answer holds the page.
    PageMoveBuffer DeletePage(int s, int c, int buttonsPerPage, bool forMove);
    // Puts a page taken for a move back where it was.
    void RestorePage(const PageMoveBuffer& buffer, int buttonsPerPage);
    // The ".BAK" copy of the file, made before a change that leads to a rebuild.
    void Backup();
    // The page rebuild's change: the records renumbered for a new count of buttons
    // per page (or, with the count unchanged, the recent list cleared), as one rewrite.
    void Renumber(int oldButtonsPerPage, int newButtonsPerPage, int tabs);
    // What the file makes of the bar's pages and buttons now (the answer holds until
    // the next call).
    const PageLayout& Layout() const;

    // ---- button configuration
    // One setting of button n, stored as it is (an empty value stays, empty).
    void SaveButtonSetting(int n, ButtonSetting setting, const std::string& value);
    // Button n's shrink choice ("Yes" or "No").
    void SaveButtonShrink(int n, bool shrink) { SaveButtonSetting(n, ButtonSetting::Shrink, shrink ? "Yes" : "No"); }
    // Fills button n from a dropped file, as one rewrite: the program, the parameters
    // when there are any, the icon file and index when a shortcut gave them; the
    // button starts unprotected (a password left behind for its number is erased).
    // Nothing is written, and the answer is false, when the file's button n has a
    // program by now (another bar filled it).
    bool FillButton(int n, const DroppedButton& dropped);
    // The hour's or the half hour's sound: whether it plays and its file.
    void SaveClockSound(bool halfHour, bool on, const std::string& file);
    // The clock's 12-hour form, and when it chimes ("Display").
    void SaveTwelveHour(bool twelveHour);
    void SaveClockDisplay(ClockDisplay display);
    // The hour's and the half hour's sound files as the file holds them now (another
    // bar, or the sound items, may have changed them since the start).
    struct ClockSoundFiles {
        std::string hour, halfHour;
    };
    ClockSoundFiles ClockSounds() const;

    // ---- the first start's import (ImportOnFirstStart)
    // Whether any button has a program, on the pages or beyond them.
    bool HasButtons() const;
    // "ButtonCount": the buttons per page in effect.
    void SaveButtonsPerPage(int buttonsPerPage);
    // Stores "ButtonCount" and fills the pages from the first with the groups, as one
    // rewrite. Nothing but "ButtonCount" is written, and the answer is nothing, when
    // the file has buttons by now (another bar filled it).
    std::optional<ImportSummary> ImportGroups(const std::vector<ProgramGroup>& groups, int buttonsPerPage);

private:
    // One rewrite of records with their passwords carried along.
    void ModifyRecords(const std::function<void(RecordStore&)>& change);
    // The layout of one read of the file (kept with that read).
    const PageLayout& LayoutOf(std::shared_ptr<const IniDocument> doc) const;

    TNewIniFile ini_;
    PasswordTransactions passwords_;
    // The layout of the file's text last asked about, kept with that text.
    mutable std::shared_ptr<const IniDocument> layoutOf_;
    mutable PageLayout layout_;
};

} // namespace kex
