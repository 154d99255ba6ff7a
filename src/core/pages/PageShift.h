// Page operations on one configuration document: deleting a page (or taking it into
// the page-move buffer), inserting one (empty or from the buffer), the page count
// typed by the user, renaming, and the move/copy/remove of single buttons. Each works
// on an in-memory document so that the caller does it as one TNewIniFile::Modify;
// passwords travel through the RecordStore's carrier.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/config/NewIniFile.h"
#include "core/pages/ButtonRecord.h"

namespace kex {

// Pages are never typed above this count (a bar of more pages could not be built).
inline constexpr int kMaxPageCount = 1000;
// The larger of the two page sizes.
inline constexpr int kMaxButtonsPerPage = 21;

// The page-move buffer: the moved page's buttons in slot order, ten strings a button
// (ListBox2: program, parameters, icon file, icon index as decimal text, description,
// shrink, select, working, keyboard-select sound, launch sound; entry 10*i + k is
// field k of slot i), with the page's name (MovedPageName) and the tab index it had.
// The buttons' passwords go with them (slot i's in Passwords[i], empty when it has
// none), so that a moved page keeps its protection.
struct PageMoveBuffer {
    std::string Name;
    int OldIndex = -1;
    int ButtonsPerPage = 0;
    std::vector<std::string> Fields;
    std::vector<std::string> Passwords;

    bool Pending() const { return OldIndex >= 0; }
    void Clear() { *this = PageMoveBuffer(); }
};

// Moves record `from` to number `to` the way page operations move records: read it,
// erase it, clear the target (so that nothing left there mixes in), write it; its
// password goes along. Nothing happens when from == to.
void MoveRecord(RecordStore& store, int from, int to);

// Whether a page of a bar with pageCount pages may be deleted: never the only one.
bool CanDeletePage(int pageCount);

// Deletes page s + 1 (tab index s) of c pages with B buttons per page: the pages
// after it move one place left with their names (an unnamed page is stored as the
// text of its new number), the last page's block and name go, "Pages"/"Count" :=
// c - 1. For a move (forMove) the answer holds the page's buttons in the buffer
// order with their passwords, its name and its index; for a delete the buffer's
// Fields stay empty.
// Throws std::runtime_error "Cannot delete the only page" when c <= 1 and
// std::invalid_argument when s is not a page. Record keys on pages beyond c (left
// by a lowered page count) move along with the pages before them, so that none is
// overwritten or doubled.
PageMoveBuffer DeletePageRecords(RecordStore& store, int s, int c, int buttonsPerPage, bool forMove);

// Inserts a page at tab index s (before page s + 1; s == c appends) of c pages: pages
// from the last down to s + 1 move one place right with their names (an unnamed page
// is stored as the text of its old number), "Pages"/"Count" := c + 1, the new page is
// filled from `fill` when given (empty fields are not written; its buttons get the
// buffer's passwords, and none other) and named `name` ("Page " + (s + 1) when
// empty). Throws std::invalid_argument for an s outside 0..c or a buffer that does
// not fit a page.
void InsertPageRecords(RecordStore& store, int s, int c, int buttonsPerPage, const std::string& name,
                       const PageMoveBuffer* fill = nullptr);

// Puts a pending moved page back where it was taken from (at the end when fewer pages
// remain), for a rebuild or the end of the program before the drop. Answers the tab
// index it went to.
int RestorePage(RecordStore& store, const PageMoveBuffer& buffer, int c, int buttonsPerPage);

// The name AddPage gives a new page at tab index s: "Page " + (s + 1).
std::string NewPageName(int s);

// The counts stored in a file size the bar's memory and work, so they are bounded
// where they are read: the page count to 1..kMaxPageCount (default 10), buttons per
// page to 16 or 21 (0, "not chosen yet", stays 0; any other value gives 16). A stored
// value out of range gives `notice` the text that reports it; else it is left empty.
int ReadPageCount(const IniDocument& doc, const std::string& fileName, std::string* notice = nullptr);
int ReadButtonsPerPage(const IniDocument& doc, const std::string& fileName, std::string* notice = nullptr);

// The page count typed by the user: its leading whole number (digits up to the first
// other character; none gives 0), at least 2, at most kMaxPageCount.
int ParsePageCount(std::string_view text);

// Stores the name of page p ("Tabs"/"PageTab" + p). An empty (or blank) name stores
// nothing and answers false. Throws std::invalid_argument for p < 1.
bool RenamePage(IniDocument& doc, int page, const std::string& name);

// The move/copy/remove protocol of single buttons, each completed at once (as
// kexbar-config does it; the bar arms a move and puts it down later with the same
// steps).
enum class PutResult { Done, SourceEmpty, TargetTaken };
// Moves button `from` (it must have a program) onto the empty button `to`: the source
// is erased with its password, the target's leftover keys are cleared, the record is
// written with WriteMove (no password). Nothing changes unless the answer is Done.
PutResult MoveButtonRecord(RecordStore& store, int from, int to);
// The same without erasing the source.
PutResult CopyButtonRecord(RecordStore& store, int from, int to);
// Erases button n with its password; answers the record it had.
ButtonRecord RemoveButtonRecord(RecordStore& store, int n);

} // namespace kex
