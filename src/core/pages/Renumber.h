// Renumbering of the stored button records when the bar switches between 16 and 21
// buttons per page. Everything works on one in-memory document, so that the bar (and
// kexbar-config) can do the whole switch as one locked, atomic rewrite of the file:
//
//   CopyFileBytes(iniFile, BackupFileName(iniFile));          // "Cannot open file %s"
//   PasswordBuffer passwords(realStore);
//   ini.Modify([&](IniDocument& d) { ChangeButtonsPerPage(d, &passwords, 16, 21, tabs); });
//   passwords.Commit();
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/config/NewIniFile.h"
#include "core/pages/ButtonRecord.h"

namespace kex {

// The page names of one document ("Tabs"/"PageTab" + p), read once and written back
// together by Flush (names that did not change are not rewritten).
class TabNames {
public:
    explicit TabNames(IniDocument& doc);
    // The stored name of page p, nothing when it has none.
    std::optional<std::string> Stored(int page) const;
    // The tab's caption: the stored name, else "Page" + p.
    std::string Caption(int page) const;
    void Set(int page, const std::string& name);
    void Erase(int page);
    // The highest page with a stored name (0 when none).
    int HighestStored() const;
    void Flush();

private:
    IniDocument& doc_;
    std::map<int, std::string> original_;
    std::map<int, std::string> names_;
};

// The same-name run of page p (pages from 1; captions[0] is page 1's caption): the
// number of consecutive pages just before p whose caption equals p's, counted from
// p - 1 backwards up to the first page with another caption.
int SameNameRun(const std::vector<std::string>& captions, int page);

// The pages a renumbering works on: the `tabs` pages of the bar and, beyond them, any
// page (at `buttonsPerPage`) that still holds record keys, left there by a lowered
// page count. Those are renumbered with the others, so that no record is overwritten
// or mixed with another, and show again afterwards.
int PagesToRenumber(RecordStore& store, int buttonsPerPage, int tabs);

// More buttons per page (oldB < newB): each old page p, from the last down, moves to
// the targets ending at p*newB - d - d*run (d = newB - oldB, run = its same-name run);
// a page that ends up without a record is removed (captions shift down, a shifted
// unnamed page is stored as the text of its new number). One page always remains.
// Answers the new page count, also stored as "Pages"/"Count".
int ExpandButtons(RecordStore& store, int oldB, int newB, int tabs);

// Fewer buttons per page (newB < oldB): every old page spreads into k = oldB / newB
// (rounded up; a fraction of 0.001 or less counts as none) new pages with AddButtons,
// then the new pages are walked: a page with a record gets its old page's caption, an
// empty one is removed. One page always remains. Answers and stores the page count.
int LessButtons(RecordStore& store, int oldB, int newB, int tabs);

// Spreads pages of oldB records into blocks of blockSize numbers, from the last page
// down, same-name runs kept together.
void AddButtons(RecordStore& store, int blockSize, int oldB, int tabs);

// What a change of buttons per page does to the file: "Location"/"ButtonCount" :=
// newB, the records renumbered (nothing when newB == oldB), the section "MRU" erased
// (its entries carry button numbers). Answers the page count afterwards. Throws
// std::invalid_argument for counts below 1.
int ChangeButtonsPerPage(IniDocument& doc, PasswordCarrier* passwords, int oldB, int newB, int tabs);

// The backup written before every page rebuild: the configuration file's name with
// its ".INI" extension (any letter case) replaced by ".BAK", or ".BAK" appended.
std::string BackupFileName(const std::string& iniFile);

} // namespace kex
