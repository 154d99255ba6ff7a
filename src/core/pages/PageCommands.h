// kexbar-config's page and button commands (PageCommands() in app/ConfigTool.h).
//
// Every changing command is one TNewIniFile::Modify (one locked, atomic rewrite);
// a refused command changes nothing, writes its reason to err and answers
// kConfigUsage. Buttons per page come from "Location"/"ButtonCount" (16 unless 21),
// the page count from "Pages"/"Count" (default 10, bounded to 1..1000); a stored count
// out of range is reported on err once per command. Commands that renumber buttons
// (buttons-per-page, add-page, delete-page, move-page, page-count) copy the file to
// its ".BAK" backup in the same locked rewrite (only when the change is written) and
// erase the section "MRU", as the bar's page rebuild does.
//
//   show                    the bar as it is stored, one line each, fields separated
//                           by a tab (tabs and line breaks inside values show as a
//                           blank):
//                             buttons-per-page <B>
//                             pages <P>
//                             page <p> <caption>                       (p = 1..P)
//                             button <n> <program> <parameters> <description> <icon file> <icon index>
//                           the buttons with a program follow the line of their page.
//   buttons-per-page 16|21  renumbers every record for the new count.
//   add-page N [NAME]       inserts a page before page N (N = P + 1 appends), named
//                           NAME, default "Page " + N.
//   delete-page N           deletes page N with its buttons (never the only page).
//   move-page FROM TO       takes page FROM out, then inserts it before page TO
//                           counted among the remaining pages (TO = P appends); its
//                           buttons keep their slots and lose their passwords.
//   rename-page N NAME      names page N (an empty name is refused).
//   page-count N            stores the page count N, a whole number of 2 to 1000.
//   move-button FROM TO     moves a button onto an empty one (passwords stay behind);
//                           its recent-list entry takes the new number, at the top.
//   copy-button FROM TO     copies a button onto an empty one.
//   remove-button N         erases a button and drops its recent-list entry.
//   describe-button N TEXT  gives a button with a program the description TEXT (not
//                           empty); its recent-list entry takes it, at the top.
//   import-menu [--yes] [--append]
//                           fills the pages from the desktop's program groups as the
//                           first start does (core/import/ImportCommand.cpp).
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/pages/ButtonRecord.h"

namespace kex {

// Button passwords move with their records in the configuration's password file
// (its name with ".DAT" for ".INI"), committed with the configuration; a command that
// would move records while that file exists but cannot be read is refused. An opener
// set here hands out another store instead, which gets the changes once the
// configuration is written (nullptr: the password file again).
using PasswordStoreOpener = std::function<std::unique_ptr<PasswordCarrier>(const std::string& iniFile)>;
void SetConfigPasswordStore(PasswordStoreOpener opener);

// A command that cannot be done as asked; thrown inside a change so that the file is
// left exactly as it was. The tool writes its text to err and answers kConfigUsage.
struct CommandRefusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A changing command on the skeleton every one shares: the file opened once by the
// tool, `check` refuses before the lock is taken and again under it, `change` makes
// the change with the passwords carried along and answers what the tool prints, and
// the configuration and the password file are committed once (with `backup`, the
// ".BAK" copy is written in the same locked rewrite; the file must exist).
struct PageChange {
    bool backup = false;
    std::function<void(const IniDocument&)> check = [](const IniDocument&) {};
    std::function<std::string(IniDocument&, PasswordCarrier*)> change;
};
int RunChange(TNewIniFile& ini, std::ostream& out, std::ostream& err, const PageChange& command);

} // namespace kex
