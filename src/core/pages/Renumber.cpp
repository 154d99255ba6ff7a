#include "core/pages/Renumber.h"

#include <stdexcept>

#include "core/config/Settings.h"
#include "core/pages/PageShift.h"

namespace kex {

namespace {

// "PageTab" + a number spelled as PageTabKey spells it (letter case aside), or -1.
int PageTabNumber(std::string_view key) { return NumberedKey(key, settings::PageTabPrefix); }

std::string StoredForm(const std::string& name)
{
    std::string v = name;
    for (char& c : v)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::size_t a = v.find_first_not_of(" \t");
    if (a == std::string::npos)
        return std::string();
    std::size_t e = v.find_last_not_of(" \t");
    return v.substr(a, e - a + 1).substr(0, kMaxValueLength);
}

void RequirePositive(int oldB, int newB)
{
    if (oldB < 1 || newB < 1)
        throw std::invalid_argument("Buttons per page must be at least 1");
}

// Page p lost its last record: the captions of the pages after it move one place
// down (a page without a stored name is stored as the text of its new number) and
// the last page's name goes.
void RemovePageName(TabNames& names, int page, int count)
{
    for (int q = page; q <= count; ++q)
        names.Set(q, names.Stored(q + 1).value_or(std::to_string(q)));
    names.Erase(count);
}

std::vector<std::string> Captions(const TabNames& names, int pages)
{
    std::vector<std::string> captions;
    captions.reserve(std::size_t(pages > 0 ? pages : 0));
    for (int p = 1; p <= pages; ++p)
        captions.push_back(names.Caption(p));
    return captions;
}

void SpreadPages(RecordStore& store, int blockSize, int oldB, int pages, const std::vector<std::string>& captions)
{
    const int gap = blockSize - oldB;
    for (int p = pages; p >= 1; --p) {
        const int last = p * blockSize - gap - gap * SameNameRun(captions, p);
        for (int j = oldB; j >= 1; --j)
            MoveRecord(store, (p - 1) * oldB + j, last - (oldB - j));
    }
}

// The pages whose flag is false were removed: their slots are cleared and the pages
// after each one move down, in order. Removing pages one at a time, each time moving
// every later page, gives the same records in the same places; this does it in one
// pass.
void Compact(RecordStore& store, const std::vector<bool>& kept, int perPage)
{
    const int pages = int(kept.size());
    for (int p = 1; p <= pages; ++p)
        if (!kept[std::size_t(p - 1)])
            for (int i = 1; i <= perPage; ++i)
                store.Erase((p - 1) * perPage + i);
    int place = 0;
    for (int p = 1; p <= pages; ++p) {
        if (!kept[std::size_t(p - 1)])
            continue;
        ++place;
        if (place != p)
            for (int i = 1; i <= perPage; ++i)
                MoveRecord(store, (p - 1) * perPage + i, (place - 1) * perPage + i);
    }
}

void StorePageCount(IniDocument& doc, int count)
{
    if (!doc.Get(settings::PageCount.section, settings::PageCount.key)
        || doc.ReadInteger(settings::PageCount.section, settings::PageCount.key, settings::PageCount.DefaultInt())
               != count)
        doc.WriteInteger(settings::PageCount.section, settings::PageCount.key, count);
}

} // namespace

// ---------------------------------------------------------------------- TabNames

TabNames::TabNames(IniDocument& doc) : doc_(doc)
{
    for (const auto& [key, value] : doc_.ReadSection(settings::TabsSection)) {
        int p = PageTabNumber(key);
        if (p >= 0)
            original_.emplace(p, value);
    }
    names_ = original_;
}

std::optional<std::string> TabNames::Stored(int page) const
{
    auto it = names_.find(page);
    if (it == names_.end())
        return std::nullopt;
    return it->second;
}

std::string TabNames::Caption(int page) const { return Stored(page).value_or(DefaultPageName(page)); }

void TabNames::Set(int page, const std::string& name) { names_[page] = StoredForm(name); }

void TabNames::Erase(int page) { names_.erase(page); }

int TabNames::HighestStored() const { return names_.empty() ? 0 : names_.rbegin()->first; }

void TabNames::Flush()
{
    for (const auto& [p, v] : original_)
        if (!names_.count(p))
            doc_.EraseKey(settings::TabsSection, PageTabKey(p));
    for (const auto& [p, v] : names_) {
        auto it = original_.find(p);
        if (it == original_.end() || it->second != v)
            doc_.WriteString(settings::TabsSection, PageTabKey(p), v);
    }
    original_ = names_;
}

// ---------------------------------------------------------------- renumbering

int SameNameRun(const std::vector<std::string>& captions, int page)
{
    if (page < 1 || page > int(captions.size()))
        return 0;
    int run = 0;
    for (int q = page - 1; q >= 1 && captions[std::size_t(q - 1)] == captions[std::size_t(page - 1)]; --q)
        ++run;
    return run;
}

int PagesToRenumber(RecordStore& store, int buttonsPerPage, int tabs)
{
    const int highest = store.HighestStored();
    const int used = buttonsPerPage > 0 ? (highest + buttonsPerPage - 1) / buttonsPerPage : 0;
    return std::max(tabs, used);
}

void AddButtons(RecordStore& store, int blockSize, int oldB, int tabs)
{
    RequirePositive(oldB, blockSize);
    if (blockSize < oldB)
        throw std::invalid_argument("A block must hold a whole page");
    RecordBatch batch(store);
    TabNames names(store.Document());
    SpreadPages(store, blockSize, oldB, tabs, Captions(names, tabs));
    batch.Commit();
}

int ExpandButtons(RecordStore& store, int oldB, int newB, int tabs)
{
    RequirePositive(oldB, newB);
    if (newB <= oldB)
        throw std::invalid_argument("ExpandButtons needs more buttons per page");
    RecordBatch batch(store);
    IniDocument& doc = store.Document();
    TabNames names(doc);
    const int pages = PagesToRenumber(store, oldB, tabs);
    const std::vector<std::string> captions = Captions(names, pages);
    const int d = newB - oldB;
    std::vector<bool> kept(std::size_t(pages), true);
    int count = pages;
    for (int p = pages; p >= 1; --p) {
        const int last = p * newB - d - d * SameNameRun(captions, p);
        for (int j = oldB; j >= 1; --j)
            MoveRecord(store, (p - 1) * oldB + j, last - (oldB - j));
        // Pages after p have already been removed where they were empty; the ones
        // before it are untouched, so page p's slots are still at their place here.
        if (count > 1 && store.SlotsEmpty((p - 1) * newB + 1, p * newB)) {
            kept[std::size_t(p - 1)] = false;
            RemovePageName(names, p, count);
            --count;
        }
    }
    Compact(store, kept, newB);
    if (count != tabs || pages != tabs)
        StorePageCount(doc, count);
    names.Flush();
    batch.Commit();
    return count;
}

int LessButtons(RecordStore& store, int oldB, int newB, int tabs)
{
    RequirePositive(oldB, newB);
    if (newB >= oldB)
        throw std::invalid_argument("LessButtons needs fewer buttons per page");
    int k = oldB / newB;
    const int rest = oldB - k * newB;
    if (rest * 1000 > newB) // a fraction above 0.001
        ++k;
    RecordBatch batch(store);
    IniDocument& doc = store.Document();
    TabNames names(doc);
    const int pages = PagesToRenumber(store, oldB, tabs);
    const std::vector<std::string> captions = Captions(names, pages);
    SpreadPages(store, k * newB, oldB, pages, captions);

    // The new pages in their order; removing one moves every later page down one
    // place, so the next probe at the same place looks at the page that moved in.
    std::vector<int> order;
    for (int p = 1; p <= k * pages; ++p)
        order.push_back(p);
    std::size_t m = 0; // place of the page probed next, from 0
    for (int i = 0; i < pages; ++i)
        for (int r = 0; r < k && m < order.size(); ++r) {
            const int page = order[m];
            if (!store.SlotsEmpty((page - 1) * newB + 1, page * newB)) {
                names.Set(int(m) + 1, captions[std::size_t(i)]);
                ++m;
            } else if (order.size() > 1) {
                order.erase(order.begin() + std::ptrdiff_t(m));
            } else {
                ++m; // nothing holds a record: the one remaining page stays as it is
            }
        }
    std::vector<bool> kept(std::size_t(k * pages), false);
    for (int p : order)
        kept[std::size_t(p - 1)] = true;
    Compact(store, kept, newB);
    const int count = int(order.size());
    StorePageCount(doc, count);
    names.Flush();
    batch.Commit();
    return count;
}

int ChangeButtonsPerPage(IniDocument& doc, PasswordCarrier* passwords, int oldB, int newB, int tabs)
{
    RequirePositive(oldB, newB);
    doc.WriteInteger(settings::ButtonCount.section, settings::ButtonCount.key, newB);
    RecordStore store(doc, passwords);
    int pages = tabs;
    if (oldB < newB)
        pages = ExpandButtons(store, oldB, newB, tabs);
    else if (newB < oldB)
        pages = LessButtons(store, oldB, newB, tabs);
    doc.EraseSection(settings::MruSection);
    return pages;
}

std::string BackupFileName(const std::string& iniFile)
{
    const std::size_t slash = iniFile.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (iniFile.size() >= nameStart + 4 && SameName(std::string_view(iniFile).substr(iniFile.size() - 4), ".INI"))
        return iniFile.substr(0, iniFile.size() - 4) + ".BAK";
    return iniFile + ".BAK";
}

} // namespace kex
