// BarStore: the one way from the window to its configuration file. The window reads
// and changes records, pages and settings through these typed operations only; each
// operation is one read of the file or one locked, atomic rewrite (TNewIniFile::Modify),
// and no section or key name is spelled outside the catalogue and the store.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
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
struct BarContents {
    std::vector<ButtonRecord> records; // records[n - 1] is button n
    std::vector<std::string> captions; // captions[p - 1] is the stored caption of page p
    std::vector<int> strays;           // numbers that have record keys but no program
};

class BarStore {
public:
    // passwords: where button passwords travel when records change numbers (none yet).
    explicit BarStore(std::string fileName, PasswordCarrier* passwords = nullptr);

    const std::string& FileName() const { return ini_.FileName(); }
    // Where button passwords travel from now on when records change numbers.
    void SetPasswordCarrier(PasswordCarrier* passwords) { passwords_ = passwords; }

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
    // "Default", as one rewrite (nothing when both are empty).
    void Tidy(const std::vector<int>& strays, const std::vector<int>& iconDefaults);
    void SaveProgram(int n, const std::string& program);
    // Empty parameters erase the key.
    void SaveParameters(int n, const std::string& parameters);
    // The icon chosen for a button without one; an index of 0 is not stored.
    void SaveIcon(int n, const std::string& iconFile, int iconIndex);
    void EraseRecord(int n);
    // Puts a moved or copied record onto button n (no password).
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
    // What the file makes of the bar's pages and buttons now.
    PageLayout Layout() const;

private:
    TNewIniFile ini_;
    PasswordCarrier* passwords_;
};

} // namespace kex
