#include "core/pages/PageShift.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <stdexcept>

#include "core/config/Settings.h"
#include "core/pages/Renumber.h"

namespace kex {

namespace {

void RequirePageSize(int buttonsPerPage)
{
    if (buttonsPerPage < 1)
        throw std::invalid_argument("Buttons per page must be at least 1");
}

// The last page a shift moves: the bar's last page, or beyond it the last page that
// still holds record keys or a stored name (left there by a lowered page count), so
// that those move along instead of being overwritten.
int ShiftRange(RecordStore& store, const TabNames& names, int buttonsPerPage, int c)
{
    const int highest = store.HighestStored();
    return std::max({c, (highest + buttonsPerPage - 1) / buttonsPerPage, names.HighestStored()});
}

// Page q's name goes to page `to`. A shown page without a stored name is stored as
// the text of `number`; beyond the shown pages names are copied as they are.
void CarryName(TabNames& names, int from, int to, bool shown, int number)
{
    auto name = names.Stored(from);
    if (name)
        names.Set(to, *name);
    else if (shown)
        names.Set(to, std::to_string(number));
    else
        names.Erase(to);
}

} // namespace

void MoveRecord(RecordStore& store, int from, int to)
{
    if (from == to)
        return;
    ButtonRecord r = store.Read(from);
    store.Erase(from);
    store.Erase(to);
    store.Write(to, r);
}

bool CanDeletePage(int pageCount) { return pageCount > 1; }

PageMoveBuffer DeletePageRecords(RecordStore& store, int s, int c, int buttonsPerPage, bool forMove)
{
    RequirePageSize(buttonsPerPage);
    if (!CanDeletePage(c))
        throw std::runtime_error("Cannot delete the only page");
    if (s < 0 || s >= c)
        throw std::invalid_argument("There is no page " + std::to_string(s + 1) + " of " + std::to_string(c));
    const int b = buttonsPerPage;
    RecordBatch batch(store);
    IniDocument& doc = store.Document();
    TabNames names(doc);
    PageMoveBuffer buffer;
    buffer.Name = names.Caption(s + 1);
    buffer.OldIndex = s;
    buffer.ButtonsPerPage = b;
    const int last = ShiftRange(store, names, b, c);
    for (int q = s + 1; q <= last; ++q) {
        // The last page's name goes: the page after it has none to give.
        CarryName(names, q + 1, q, q + 1 <= c, q);
        for (int i = 0; i < b; ++i) {
            const int d = (q - 1) * b + 1 + i;
            const int e = q * b + 1 + i;
            if (forMove && q == s + 1) {
                ButtonRecord r = store.Read(d);
                for (int k = 0; k < 10; ++k)
                    buffer.Fields.push_back(r.Field(k));
                buffer.Passwords.push_back(store.HeldPassword);
            }
            store.Erase(d);
            if (q < last) {
                ButtonRecord r = store.Read(e);
                store.Write(d, r);
            }
        }
    }
    doc.WriteInteger(settings::PageCount.section, settings::PageCount.key, c - 1);
    names.Flush();
    batch.Commit();
    return buffer;
}

void InsertPageRecords(RecordStore& store, int s, int c, int buttonsPerPage, const std::string& name,
                       const PageMoveBuffer* fill)
{
    RequirePageSize(buttonsPerPage);
    const int b = buttonsPerPage;
    if (s < 0 || s > c)
        throw std::invalid_argument("Cannot insert a page at place " + std::to_string(s + 1) + " of "
                                    + std::to_string(c + 1));
    if (fill
        && (fill->Fields.size() % 10 != 0 || fill->Fields.size() > 10 * std::size_t(b)
            || fill->Passwords.size() > fill->Fields.size() / 10))
        throw std::invalid_argument("The moved page does not fit a page of " + std::to_string(b) + " buttons");
    RecordBatch batch(store);
    IniDocument& doc = store.Document();
    TabNames names(doc);
    const int last = ShiftRange(store, names, b, c);
    // From the last page towards the new one, so that no record is overwritten
    // before it has moved.
    for (int q = last; q >= s + 1; --q) {
        CarryName(names, q, q + 1, q <= c, q);
        for (int i = 0; i < b; ++i)
            MoveRecord(store, (q - 1) * b + 1 + i, q * b + 1 + i);
    }
    doc.WriteInteger(settings::PageCount.section, settings::PageCount.key, c + 1);
    if (fill) {
        const int slots = int(fill->Fields.size() / 10);
        for (int i = 0; i < slots; ++i) {
            ButtonRecord r;
            for (int k = 0; k < 10; ++k)
                r.SetField(k, fill->Fields[10 * std::size_t(i) + std::size_t(k)]);
            const int n = s * b + 1 + i;
            store.Erase(n);
            // The slot's own password, never one left behind by another record.
            store.HeldPassword = std::size_t(i) < fill->Passwords.size() ? fill->Passwords[std::size_t(i)] : "";
            store.Write(n, r);
        }
    }
    names.Set(s + 1, name.empty() ? NewPageName(s) : name);
    names.Flush();
    batch.Commit();
}

int RestorePage(RecordStore& store, const PageMoveBuffer& buffer, int c, int buttonsPerPage)
{
    if (!buffer.Pending())
        throw std::invalid_argument("No page move is pending");
    const int s = std::clamp(buffer.OldIndex, 0, std::max(c, 0));
    InsertPageRecords(store, s, std::max(c, 0), buttonsPerPage, buffer.Name, &buffer);
    return s;
}

std::string NewPageName(int s) { return "Page " + std::to_string(s + 1); }

namespace {
int BoundedSetting(const IniDocument& doc, const Setting& setting, const std::string& fileName, std::string* notice,
                   const std::function<int(int)>& bound, const std::string& what)
{
    const int stored = ReadSettingInt(doc, setting);
    const int value = bound(stored);
    if (notice)
        *notice = value == stored ? std::string()
                                  : fileName + ": " + std::string(setting.section) + "/" + std::string(setting.key)
                                        + "=" + doc.ReadString(setting.section, setting.key, "") + " is out of range; "
                                        + std::to_string(value) + " " + what + " used.";
    return value;
}
} // namespace

int ReadPageCount(const IniDocument& doc, const std::string& fileName, std::string* notice)
{
    return BoundedSetting(
        doc, settings::PageCount, fileName, notice, [](int n) { return std::clamp(n, 1, kMaxPageCount); }, "pages are");
}

int ReadButtonsPerPage(const IniDocument& doc, const std::string& fileName, std::string* notice)
{
    return BoundedSetting(
        doc, settings::ButtonCount, fileName, notice, [](int b) { return b == 0 || b == 21 ? b : 16; },
        "buttons per page are");
}

int ParsePageCount(std::string_view text)
{
    long long n = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            break;
        n = n * 10 + (ch - '0');
        if (n > kMaxPageCount)
            n = kMaxPageCount + 1; // keeps counting digits without overflowing
    }
    return int(std::clamp<long long>(n, 2, kMaxPageCount));
}

bool RenamePage(IniDocument& doc, int page, const std::string& name)
{
    if (page < 1)
        throw std::invalid_argument("There is no page " + std::to_string(page));
    if (name.find_first_not_of(" \t\r\n") == std::string::npos)
        return false;
    doc.WriteString(settings::TabsSection, PageTabKey(page), name);
    return true;
}

PutResult CopyButtonRecord(RecordStore& store, int from, int to)
{
    ButtonRecord source = store.Read(from);
    if (source.Empty())
        return PutResult::SourceEmpty;
    if (!store.Read(to).Empty())
        return PutResult::TargetTaken;
    store.Erase(to);
    store.WriteMove(to, source);
    return PutResult::Done;
}

PutResult MoveButtonRecord(RecordStore& store, int from, int to)
{
    ButtonRecord source = store.Read(from);
    if (source.Empty())
        return PutResult::SourceEmpty;
    if (!store.Read(to).Empty())
        return PutResult::TargetTaken;
    store.Erase(from);
    store.Erase(to);
    store.WriteMove(to, source);
    return PutResult::Done;
}

ButtonRecord RemoveButtonRecord(RecordStore& store, int n)
{
    ButtonRecord r = store.Read(n);
    store.Erase(n);
    return r;
}

} // namespace kex
