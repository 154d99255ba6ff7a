// The recently launched list as data: its entries, top first, each with a mark for the
// current entry; the limit of kept entries; and its section of the configuration file,
// which holds "Count" and the entries under "1" .. "Count", top first.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/NewIniFile.h"

namespace kex {

// The bar's list keeps 30 entries saved, so up to 31 in memory and in its section;
// kexbar-config keeps the same number when it renames or drops an entry.
inline constexpr int kBarRecentSaveCount = 30;

struct RecentEntry {
    std::string text;
    bool marked = false;
    bool operator==(const RecentEntry&) const = default;
};

class RecentEntries {
public:
    // Whether two entry texts name the same entry. The owner gives the comparison of
    // its user's locale (a case-insensitive one); without it, ASCII letters match
    // without regard to case.
    using SameEntry = std::function<bool(std::string_view, std::string_view)>;
    // Whether an entry read from the file is taken into the list.
    using Keep = std::function<bool(std::string_view)>;

    static constexpr int kDefaultMaxSaveCount = 50;

    explicit RecentEntries(SameEntry same = {});

    // The list holds at most MaxSaveCount + 1 entries: a new entry pushes the last one
    // out only once the list holds more than MaxSaveCount. A lower limit cuts the list
    // at once; a negative one counts as 0.
    int MaxSaveCount() const { return maxSave_; }
    void SetMaxSaveCount(int count);
    std::size_t Limit() const { return std::size_t(maxSave_) + 1; }

    void SetKeep(Keep keep) { keep_ = std::move(keep); }

    // The file and section the list lives in; without a section the list is kept in
    // memory only (Load and Save do nothing). A new place is not read by itself.
    void SetStore(std::string fileName, std::string section);
    const std::string& FileName() const { return fileName_; }
    const std::string& Section() const { return section_; }
    bool HasStore() const { return !section_.empty() && !fileName_.empty(); }

    // With saving on change, every change of the entries is written at once in one
    // rewrite of the section, made on the list the file holds when another bar
    // changed it since this list last read or wrote it. A write that is refused
    // throws (EIniWriteError) after the change was made in memory.
    void SetSaveOnChange(bool on) { saveOnChange_ = on; }
    bool SaveOnChange() const { return saveOnChange_; }

    const std::vector<RecentEntry>& Entries() const { return entries_; }
    // Index of the first entry that is the same as `item` in the form the store
    // keeps it, or -1.
    int IndexOf(std::string_view item) const;

    // Puts the entry in the list (appended when new, after the last entry was pushed
    // out of a full list), moves it to the top when asked, and marks it. An empty
    // entry is not added.
    void Add(std::string_view item, bool toTop);
    // Clears the mark of the entry that is the same as `item`.
    void Unmark(std::string_view item);
    // The entry that is the same as `oldItem` becomes `newItem` at the top; an empty
    // `newItem` removes it, and another entry that is the same as `newItem` goes. The
    // marks are cleared and the kept entries filtered as a reload does. Written to the
    // store even without saving on change. Answers whether `oldItem` was found.
    bool Replace(std::string_view oldItem, std::string_view newItem);
    // Empties the list in memory, for a caller that erases the section in its own
    // rewrite of the file (the page rebuild, whose button numbers change).
    void Clear();

    // Reads the list from the store: the marks are cleared and the kept entries
    // filtered. Nothing without a store.
    void Load();
    // Writes the whole list to the store as one rewrite of the section.
    void Save();
    // With saving on change: when another bar changed the list in the file since this
    // list last read or wrote it, takes the file's list (marks of the entries that
    // are still there are kept). Answers whether it did.
    bool ReloadIfChanged();
    // With saving on change, at the end: writes a change whose write was refused,
    // unless another bar wrote its list since.
    void SavePending();

    // An entry as the store keeps and gives it back: line breaks as blanks, without
    // surrounding blanks, cut to the store's value length.
    static std::string StoredEntry(std::string_view item);
    // The entries a configuration holds in `section`: keys "1" .. "Count" in order,
    // empty and missing ones skipped, at most `limit` of them. A huge "Count" costs
    // no more than the keys the section holds.
    static std::vector<std::string> ReadEntries(const IniDocument& doc, std::string_view section, std::size_t limit);
    // Replaces the section by "Count" and the entries.
    static void WriteEntries(IniDocument& doc, std::string_view section, const std::vector<std::string>& entries);
    // Replace on the list a configuration holds in `section` (entries compared
    // ignoring ASCII case), written back when `oldItem` was there. Answers whether it was.
    static bool ReplaceStored(IniDocument& doc, std::string_view section, int maxSaveCount, std::string_view oldItem,
                              std::string_view newItem);

private:
    std::vector<std::string> Texts() const;
    // Takes the entries a file holds, keeping the marks of those still there.
    void Adopt(const std::vector<std::string>& onFile);
    void ClearMarksAndFilter();
    // Replace in memory, `text` in its stored form.
    bool ReplaceEntry(std::string_view oldItem, const std::string& text);
    // Runs a change of the entries; with `write`, as one rewrite of the store.
    void Change(const std::function<void()>& change, bool write);

    SameEntry same_;
    Keep keep_;
    int maxSave_ = kDefaultMaxSaveCount;
    std::string fileName_, section_;
    bool saveOnChange_ = false;
    std::vector<RecentEntry> entries_;
    // What the store held when the list last read or wrote it; nothing before that.
    std::optional<std::vector<std::string>> stored_;
    // A change whose write was refused.
    bool unsaved_ = false;
};

} // namespace kex
