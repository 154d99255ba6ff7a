// The recently launched list's entries and their section of the configuration file.
#include "core/recent/RecentEntries.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "core/config/Settings.h"

namespace kex {

RecentEntries::RecentEntries(SameEntry same) : same_(std::move(same))
{
    if (!same_)
        same_ = [](std::string_view a, std::string_view b) { return SameName(a, b); };
}

void RecentEntries::SetMaxSaveCount(int count)
{
    maxSave_ = std::max(count, 0);
    if (entries_.size() > Limit())
        entries_.resize(Limit());
}

void RecentEntries::SetStore(std::string fileName, std::string section)
{
    fileName_ = std::move(fileName);
    section_ = std::move(section);
    stored_.reset();
    unsaved_ = false;
}

int RecentEntries::IndexOf(std::string_view item) const
{
    const std::string text = StoredEntry(item);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (same_(entries_[i].text, text))
            return int(i);
    return -1;
}

void RecentEntries::Add(std::string_view item, bool toTop)
{
    const std::string text = StoredEntry(item);
    if (text.empty())
        return;
    Change(
        [&] {
            int i = IndexOf(text);
            if (i < 0) {
                if (entries_.size() > std::size_t(maxSave_))
                    entries_.resize(maxSave_);
                entries_.push_back({text, false});
                i = int(entries_.size()) - 1;
            }
            if (toTop) {
                std::rotate(entries_.begin(), entries_.begin() + i, entries_.begin() + i + 1);
                i = 0;
            }
            entries_[i].marked = true;
        },
        saveOnChange_);
}

void RecentEntries::Unmark(std::string_view item)
{
    if (item.empty())
        return;
    const int i = IndexOf(item);
    if (i >= 0)
        entries_[i].marked = false;
}

bool RecentEntries::Replace(std::string_view oldItem, std::string_view newItem)
{
    const std::string text = StoredEntry(newItem);
    bool found = false;
    Change([&] { found = ReplaceEntry(oldItem, text); }, true);
    return found;
}

bool RecentEntries::ReplaceEntry(std::string_view oldItem, const std::string& text)
{
    const int i = IndexOf(oldItem);
    if (i < 0)
        return false;
    entries_.erase(entries_.begin() + i);
    if (!text.empty()) {
        std::erase_if(entries_, [&](const RecentEntry& e) { return same_(e.text, text); });
        entries_.insert(entries_.begin(), {text, false});
    }
    ClearMarksAndFilter();
    return true;
}

bool RecentEntries::ReplaceStored(IniDocument& doc, std::string_view section, int maxSaveCount,
                                  std::string_view oldItem, std::string_view newItem)
{
    RecentEntries list;
    list.SetMaxSaveCount(maxSaveCount);
    for (std::string& text : ReadEntries(doc, section, list.Limit()))
        list.entries_.push_back({std::move(text), false});
    if (!list.ReplaceEntry(oldItem, StoredEntry(newItem)))
        return false;
    WriteEntries(doc, section, list.Texts());
    return true;
}

void RecentEntries::Clear()
{
    entries_.clear();
    stored_ = std::vector<std::string>{};
    unsaved_ = false;
}

void RecentEntries::Load()
{
    if (!HasStore())
        return;
    const std::vector<std::string> onFile = ReadEntries(TNewIniFile(fileName_).Document(), section_, Limit());
    entries_.clear();
    for (const std::string& text : onFile)
        entries_.push_back({text, false});
    ClearMarksAndFilter();
    stored_ = onFile;
    unsaved_ = false;
}

void RecentEntries::Save()
{
    if (!HasStore())
        return;
    const std::vector<std::string> texts = Texts();
    try {
        TNewIniFile(fileName_).Modify([&](IniDocument& doc) { WriteEntries(doc, section_, texts); });
    } catch (...) {
        unsaved_ = true;
        throw;
    }
    stored_ = texts;
    unsaved_ = false;
}

bool RecentEntries::ReloadIfChanged()
{
    if (!HasStore() || !saveOnChange_ || !stored_)
        return false;
    const std::vector<std::string> onFile = ReadEntries(TNewIniFile(fileName_).Document(), section_, Limit());
    if (onFile == *stored_)
        return false;
    Adopt(onFile);
    return true;
}

void RecentEntries::SavePending()
{
    if (!HasStore() || !saveOnChange_ || !unsaved_)
        return;
    const std::vector<std::string> texts = Texts();
    bool written = false;
    TNewIniFile(fileName_).Modify([&](IniDocument& doc) {
        written = !stored_ || ReadEntries(doc, section_, Limit()) == *stored_;
        if (written)
            WriteEntries(doc, section_, texts);
    });
    if (written)
        stored_ = texts;
    unsaved_ = false;
}

std::string RecentEntries::StoredEntry(std::string_view item)
{
    const std::string flat = StoredValue(item);
    const std::string_view cut = TrimBlanks(flat).substr(0, kMaxValueLength);
    return std::string(TrimBlanks(cut));
}

std::vector<std::string> RecentEntries::ReadEntries(const IniDocument& doc, std::string_view section, std::size_t limit)
{
    std::vector<std::string> entries;
    const int count = doc.ReadInteger(section, settings::MruCount.key, 0);
    if (count <= 0)
        return entries;
    // The numbered keys the section holds, in the form a number is written in.
    std::set<int> numbers;
    for (const auto& [key, value] : doc.ReadSection(section)) {
        int k = 0;
        const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), k);
        if (ec == std::errc() && end == key.data() + key.size() && k >= 1 && k <= count && std::to_string(k) == key)
            numbers.insert(k);
    }
    for (int k : numbers) {
        if (entries.size() >= limit)
            break;
        std::string text = doc.ReadString(section, std::to_string(k), "");
        if (!text.empty())
            entries.push_back(std::move(text));
    }
    return entries;
}

void RecentEntries::WriteEntries(IniDocument& doc, std::string_view section, const std::vector<std::string>& entries)
{
    doc.EraseSection(section);
    doc.WriteInteger(section, settings::MruCount.key, int(entries.size()));
    for (std::size_t k = 0; k < entries.size(); ++k)
        doc.WriteString(section, std::to_string(k + 1), entries[k]);
}

std::vector<std::string> RecentEntries::Texts() const
{
    std::vector<std::string> texts;
    texts.reserve(entries_.size());
    for (const RecentEntry& e : entries_)
        texts.push_back(e.text);
    return texts;
}

void RecentEntries::Adopt(const std::vector<std::string>& onFile)
{
    std::vector<RecentEntry> entries;
    for (const std::string& text : onFile) {
        if (keep_ && !keep_(text))
            continue;
        const bool marked = std::any_of(entries_.begin(), entries_.end(),
                                        [&](const RecentEntry& e) { return e.marked && e.text == text; });
        entries.push_back({text, marked});
    }
    entries_ = std::move(entries);
    stored_ = onFile;
}

void RecentEntries::ClearMarksAndFilter()
{
    for (RecentEntry& e : entries_)
        e.marked = false;
    if (keep_)
        std::erase_if(entries_, [&](const RecentEntry& e) { return !keep_(e.text); });
}

void RecentEntries::Change(const std::function<void()>& change, bool write)
{
    if (!write || !HasStore()) {
        change();
        return;
    }
    bool changed = false;
    try {
        TNewIniFile(fileName_).Modify([&](IniDocument& doc) {
            if (!changed) {
                const std::vector<std::string> onFile = ReadEntries(doc, section_, Limit());
                if (saveOnChange_ && stored_ && onFile != *stored_)
                    Adopt(onFile);
                change();
                changed = true;
            }
            WriteEntries(doc, section_, Texts());
        });
    } catch (...) {
        if (!changed)
            change();
        unsaved_ = true;
        throw;
    }
    stored_ = Texts();
    unsaved_ = false;
}

} // namespace kex
