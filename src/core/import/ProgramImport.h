// The first start's import: the bar filled from the desktop's program groups, a page
// per group named after it, a button per program. The rules:
// - groups in case-insensitive order of their names (a group that sorts first is
//   imported like every other);
// - a group fills at most three pages; its first page takes its items 1 to 29, the
//   second those up to 59, the third those up to 89, each page at most ButtonsPerPage
//   of them; an item without a command takes no button but counts towards those
//   bounds; a page continues on the next only when it is full and the next item has
//   a command; the next group starts on the page after the group's last;
// - a button stores the item's title ("Names") and command ("Programs"), and its icon
//   ("Icons", with "IconSelection" above 0) only when the item names one other than
//   its command (else its icon is taken from its program);
// - "Pages"/"Count" ends as the last page filled; without any group the count stays as
//   it was, and groups beyond the bar's last possible page are left out.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/import/GroupSource.h"
#include "core/pages/ButtonRecord.h"

namespace kex {

class BarStore;

// The question a first start asks before it fills the bar (Yes, No and Help), its help
// topic, and what is shown when the groups cannot be read at all.
inline constexpr const char* kImportQuestion =
    "Kexbar Auto Installation:\nYes = Create Buttons from Windows Program Manager\nNo = Let me create my own Buttons";
inline constexpr int kImportHelpContext = 19;
inline constexpr const char* kNoProgramGroups = "Can not access Program Manager";

// What an import made.
struct ImportSummary {
    int firstPage = 0;     // the first page filled (0: none)
    int lastPage = 0;      // the last page filled, now the page count (0: none)
    int buttons = 0;       // buttons made
    int groupsLeftOut = 0; // groups for which the bar had no page left
};

// The groups of a source as the import stores them: nothing when the source cannot read
// them; a terminal program's command runs it in the source's terminal emulator.
std::optional<std::vector<ProgramGroup>> ReadImportGroups(GroupSource& source);

// Fills pages from `firstPage` on with the groups through `store` (its document and
// its password carrier: each button made is first cleared of any keys and password
// left on it). Throws std::invalid_argument for buttonsPerPage below 1 or firstPage
// below 1.
ImportSummary ImportGroups(RecordStore& store, std::vector<ProgramGroup> groups, int buttonsPerPage, int firstPage);

// Whether a configuration has any button with a program (on its pages or beyond).
bool HasButtons(const IniDocument& doc);

// The page an import appends after: past the last page and past any record stored
// beyond it (left by a lowered page count), so that none is overwritten.
int LastUsedPage(RecordStore& store, int buttonsPerPage);

// ---- the first start

enum class ImportOutcome {
    NotAsked, // the configuration has buttons already: nothing is asked or changed
    Declined, // the question was answered other than Yes: only "ButtonCount" is stored
    NoAccess, // the groups could not be read: only "ButtonCount" is stored
    Imported,
};

struct FirstStartImport {
    ImportOutcome outcome = ImportOutcome::NotAsked;
    ImportSummary summary;
    std::string message; // what to show the user afterwards; empty: nothing
};

// What the window gives the import: the question (kImportQuestion with Yes, No and
// Help, help topic kImportHelpContext), answering true for Yes, and the busy cursor
// for the time the groups are read and stored (may be empty).
struct ImportPrompts {
    std::function<bool()> askYes;
    std::function<void(bool busy)> busy;
};

// The import of a first start, before the pages are built: stores ButtonsPerPage as
// "ButtonCount", asks, reads the groups and fills the pages in one rewrite. A write
// the file refuses throws EIniWriteError as every store operation does.
FirstStartImport ImportOnFirstStart(BarStore& store, int buttonsPerPage, GroupSource& source,
                                    const ImportPrompts& prompts);

// ---- kexbar-config import-menu

// The group source the tool reads (set by the tool's main; tests give their own).
using GroupSourceOpener = std::function<std::unique_ptr<GroupSource>()>;
void SetConfigGroupSource(GroupSourceOpener opener);

} // namespace kex
