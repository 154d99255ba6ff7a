#include "core/pages/PageCommands.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "core/config/ConfigTool.h"
#include "core/config/Settings.h"
#include "core/launch/CommandLine.h"
#include "core/protect/PasswordStore.h"
#include "core/pages/PageShift.h"
#include "core/pages/Renumber.h"
#include "core/recent/RecentEntries.h"

namespace kex {

namespace {

PasswordStoreOpener& Opener()
{
    static PasswordStoreOpener opener;
    return opener;
}

using Refusal = CommandRefusal;

struct Shape {
    int buttonsPerPage = 16;
    int pages = 10;
};

Shape ReadShape(const IniDocument& doc)
{
    Shape s;
    const int b = ReadButtonsPerPage(doc, {});
    s.buttonsPerPage = b > 0 ? b : 16;
    s.pages = ReadPageCount(doc, {});
    return s;
}

// Stored counts out of range are bounded when read; each command says so once.
void ReportBoundedCounts(const TNewIniFile& ini, std::ostream& err)
{
    std::string notice;
    for (auto read : {ReadButtonsPerPage, ReadPageCount}) {
        read(ini.Document(), ini.FileName(), &notice);
        if (!notice.empty())
            err << notice << "\n";
    }
}

int NumberArg(const std::string& text, const char* what)
{
    int n = 0;
    bool ok = !text.empty() && text.size() <= 9;
    for (char c : text) {
        ok = ok && c >= '0' && c <= '9';
        if (ok)
            n = n * 10 + (c - '0');
    }
    if (!ok || n < 1)
        throw std::invalid_argument(std::string("Not a ") + what + ": " + text);
    return n;
}

// A page count given on the command line: a whole number of 2 to kMaxPageCount (the
// window's typed count is more forgiving; a tool that guessed would hide typing errors).
int PageCountArg(const std::string& text)
{
    const int n = NumberArg(text, "page count");
    if (n < 2 || n > kMaxPageCount)
        throw std::invalid_argument("A page count is 2 to " + std::to_string(kMaxPageCount) + ", not " + text);
    return n;
}

void RequirePage(int p, int pages, int extra = 0)
{
    if (p < 1 || p > pages + extra)
        throw Refusal("There is no page " + std::to_string(p) + " (the bar has " + std::to_string(pages) + " pages)");
}

// A name or description typed for the bar: blanks alone are none.
void RequireText(const std::string& text, const std::string& what)
{
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        throw Refusal("The " + what + " must not be empty");
}

void RequireButton(int n, const Shape& s)
{
    if (n > s.pages * s.buttonsPerPage)
        throw Refusal("There is no button " + std::to_string(n) + " (the bar has "
                      + std::to_string(std::max(0, s.pages * s.buttonsPerPage)) + " buttons)");
}

// The passwords of this file: its password file, moved in one commit with the
// configuration (a store set with SetConfigPasswordStore instead gets the changes
// after the configuration was written). Prepare is the last step of the change.
struct Passwords {
    std::unique_ptr<PasswordCarrier> store;
    std::unique_ptr<PasswordTransaction> transaction;
    explicit Passwords(const std::string& iniFile) : store(Opener() ? Opener()(iniFile) : nullptr)
    {
        if (store)
            transaction = std::make_unique<PasswordBuffer>(store.get());
        else
            transaction = std::make_unique<PasswordFileTransaction>(PasswordStore::ForConfiguration(iniFile));
    }
    PasswordCarrier* Carrier() { return transaction.get(); }
    void Prepare(IniDocument& d) { transaction->Prepare(d); }
    void Commit() { transaction->Commit(); }
};

// Runs one changing command: an optional backup, then the change as one Modify.
// A refusal leaves the file alone and answers kConfigUsage.
int Change(TNewIniFile& ini, std::ostream& err, bool backup, const std::function<void(IniDocument&)>& change,
           const std::function<void(const IniDocument&)>& check)
{
    try {
        // Without a configuration file nothing is renumbered (and none is made).
        if (backup && !std::filesystem::exists(ini.FileName()))
            throw std::runtime_error("Cannot open file " + ini.FileName());
        check(ini.Document()); // refuse before the file is locked
        // The backup is made under the same lock, only when the change is written.
        ini.Modify(
            [&](IniDocument& d) {
                check(d); // the file may have changed since
                change(d);
            },
            backup ? BackupFileName(ini.FileName()) : std::string());
    } catch (const Refusal& r) {
        err << r.what() << "\n";
        return kConfigUsage;
    }
    return kConfigOk;
}

} // namespace

int RunChange(TNewIniFile& ini, std::ostream& out, std::ostream& err, const PageChange& command)
{
    Passwords pw(ini.FileName());
    std::string answer;
    const int rc = Change(
        ini, err, command.backup,
        [&](IniDocument& d) {
            answer = command.change(d, pw.Carrier());
            pw.Prepare(d);
        },
        command.check);
    if (rc == kConfigOk) {
        pw.Commit();
        out << answer;
    }
    return rc;
}

namespace {

// The answer of a command that changes the page count.
std::string PagesAnswer(int pages) { return "pages\t" + std::to_string(pages) + "\n"; }

std::string Shown(std::string v)
{
    for (char& c : v)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return v;
}

// Gives the recent-list entry of a moved button its new number, or drops the entry of
// a removed one (to = 0), as the bar's list does: the entry is the record's label and
// the old number, and its new form goes to the top.
void RenumberRecent(IniDocument& doc, const ButtonRecord& record, int from, int to)
{
    RecentEntries::ReplaceStored(doc, settings::MruSection, kBarRecentSaveCount,
                                 RecentEntryText(record.Description, record.Program, from),
                                 to == 0 ? std::string() : RecentEntryText(record.Description, record.Program, to));
}

int Show(TNewIniFile& ini, std::ostream& out)
{
    IniDocument doc = ini.Document();
    const Shape s = ReadShape(doc);
    RecordStore store(doc);
    store.BeginBatch();
    TabNames names(doc);
    const std::vector<int> numbers = store.StoredNumbers();
    out << "buttons-per-page\t" << s.buttonsPerPage << "\n"
        << "pages\t" << s.pages << "\n";
    auto next = numbers.begin();
    for (int p = 1; p <= s.pages; ++p) {
        out << "page\t" << p << "\t" << Shown(names.Caption(p)) << "\n";
        const long long first = (long long)(p - 1) * s.buttonsPerPage + 1;
        const long long last = (long long)p * s.buttonsPerPage;
        next = std::lower_bound(next, numbers.end(), first);
        for (; next != numbers.end() && *next <= last; ++next) {
            ButtonRecord r = store.Read(*next);
            if (r.Empty())
                continue;
            out << "button\t" << *next << "\t" << Shown(r.Program) << "\t" << Shown(r.Parameters) << "\t"
                << Shown(r.Description) << "\t" << Shown(r.IconFile) << "\t" << r.IconIndex << "\n";
        }
    }
    return kConfigOk;
}

// The changing commands, each from its checked arguments.

PageChange AddPageCommand(const std::vector<std::string>& a)
{
    const int n = NumberArg(a[0], "page number");
    const std::string name = a.size() > 1 ? a[1] : NewPageName(n - 1);
    PageChange change;
    change.backup = true;
    change.check = [n](const IniDocument& d) {
        const int pages = ReadShape(d).pages;
        if (pages >= kMaxPageCount)
            throw Refusal("The bar has " + std::to_string(pages) + " pages, as many as it can have");
        RequirePage(n, pages, 1);
    };
    change.change = [n, name](IniDocument& d, PasswordCarrier* passwords) {
        const Shape s = ReadShape(d);
        RecordStore store(d, passwords);
        InsertPageRecords(store, n - 1, s.pages, s.buttonsPerPage, name);
        d.EraseSection(settings::MruSection);
        return PagesAnswer(s.pages + 1);
    };
    return change;
}

PageChange DeletePageCommand(const std::vector<std::string>& a)
{
    const int n = NumberArg(a[0], "page number");
    PageChange change;
    change.backup = true;
    change.check = [n](const IniDocument& d) {
        const Shape s = ReadShape(d);
        if (!CanDeletePage(s.pages))
            throw Refusal("Cannot delete the only page");
        RequirePage(n, s.pages);
    };
    change.change = [n](IniDocument& d, PasswordCarrier* passwords) {
        const Shape s = ReadShape(d);
        RecordStore store(d, passwords);
        DeletePageRecords(store, n - 1, s.pages, s.buttonsPerPage, false);
        d.EraseSection(settings::MruSection);
        return PagesAnswer(s.pages - 1);
    };
    return change;
}

PageChange MovePageCommand(const std::vector<std::string>& a)
{
    const int from = NumberArg(a[0], "page number");
    const int to = NumberArg(a[1], "page number");
    PageChange change;
    change.backup = true;
    change.check = [from, to](const IniDocument& d) {
        const Shape s = ReadShape(d);
        if (!CanDeletePage(s.pages))
            throw Refusal("Cannot move the only page");
        RequirePage(from, s.pages);
        // Counted among the pages that remain, one more to append.
        RequirePage(to, s.pages - 1, 1);
    };
    change.change = [from, to](IniDocument& d, PasswordCarrier* passwords) {
        const Shape s = ReadShape(d);
        RecordStore store(d, passwords);
        RecordBatch batch(store);
        PageMoveBuffer buffer = DeletePageRecords(store, from - 1, s.pages, s.buttonsPerPage, true);
        InsertPageRecords(store, to - 1, s.pages - 1, s.buttonsPerPage, buffer.Name, &buffer);
        batch.Commit();
        d.EraseSection(settings::MruSection);
        return "page\t" + std::to_string(to) + "\n";
    };
    return change;
}

PageChange RenamePageCommand(const std::vector<std::string>& a)
{
    const int n = NumberArg(a[0], "page number");
    const std::string name = a[1];
    PageChange change;
    change.check = [n, name](const IniDocument& d) {
        RequirePage(n, ReadShape(d).pages);
        RequireText(name, "page name");
    };
    change.change = [n, name](IniDocument& d, PasswordCarrier*) {
        RenamePage(d, n, name);
        return std::string();
    };
    return change;
}

PageChange PageCountCommand(const std::vector<std::string>& a)
{
    const int n = PageCountArg(a[0]);
    PageChange change;
    change.backup = true;
    change.change = [n](IniDocument& d, PasswordCarrier*) {
        d.WriteInteger(settings::PageCount.section, settings::PageCount.key, n);
        d.EraseSection(settings::MruSection);
        return PagesAnswer(n);
    };
    return change;
}

PageChange RemoveButtonCommand(const std::vector<std::string>& a)
{
    const int n = NumberArg(a[0], "button number");
    PageChange change;
    change.check = [n](const IniDocument& d) { RequireButton(n, ReadShape(d)); };
    change.change = [n](IniDocument& d, PasswordCarrier* passwords) {
        RecordStore store(d, passwords);
        RenumberRecent(d, RemoveButtonRecord(store, n), n, 0);
        return std::string();
    };
    return change;
}

PageChange DescribeButtonCommand(const std::vector<std::string>& a)
{
    const int n = NumberArg(a[0], "button number");
    const std::string description = a[1];
    PageChange change;
    change.check = [n, description](const IniDocument& d) {
        RequireButton(n, ReadShape(d));
        RequireText(description, "description");
    };
    change.change = [n, description](IniDocument& d, PasswordCarrier*) {
        const ButtonRecord before = RecordStore(d).Read(n);
        if (before.Empty())
            throw Refusal("Button " + std::to_string(n) + " is empty");
        d.WriteString(settings::NamesSection, ButtonKey(n), description);
        // The entry is renamed with the description as stored, as a launch makes it.
        RecentEntries::ReplaceStored(d, settings::MruSection, kBarRecentSaveCount,
                                     RecentEntryText(before.Description, before.Program, n),
                                     RecentEntryText(RecordStore(d).Read(n).Description, before.Program, n));
        return std::string();
    };
    return change;
}

// move-button and copy-button.
PageChange PutCommand(bool move, const std::vector<std::string>& a)
{
    const int from = NumberArg(a[0], "button number");
    const int to = NumberArg(a[1], "button number");
    PageChange change;
    change.check = [from, to](const IniDocument& d) {
        const Shape s = ReadShape(d);
        RequireButton(from, s);
        RequireButton(to, s);
    };
    change.change = [move, from, to](IniDocument& d, PasswordCarrier* passwords) {
        RecordStore store(d, passwords);
        const ButtonRecord source = store.Read(from);
        PutResult r = move ? MoveButtonRecord(store, from, to) : CopyButtonRecord(store, from, to);
        if (r == PutResult::SourceEmpty)
            throw Refusal("Button " + std::to_string(from) + " is empty");
        if (r == PutResult::TargetTaken)
            throw Refusal("Button " + std::to_string(to) + " is not empty");
        if (move)
            RenumberRecent(d, source, from, to);
        return std::string();
    };
    return change;
}

} // namespace

void SetConfigPasswordStore(PasswordStoreOpener opener) { Opener() = std::move(opener); }

std::vector<ConfigCommand> PageCommands()
{
    using Args = const std::vector<std::string>&;
    std::vector<ConfigCommand> c;
    // A changing command: its arguments checked and turned into a PageChange.
    auto changing = [](std::function<PageChange(Args)> make) {
        return [make = std::move(make)](TNewIniFile& ini, Args a, std::ostream& out, std::ostream& err) {
            return RunChange(ini, out, err, make(a));
        };
    };

    c.push_back(
        {"show", "", 0, 0, [](TNewIniFile& ini, Args, std::ostream& out, std::ostream&) { return Show(ini, out); }});

    c.push_back({"buttons-per-page", "16|21", 1, 1, [](TNewIniFile& ini, Args a, std::ostream& out, std::ostream& err) {
                     if (a[0] != "16" && a[0] != "21")
                         throw std::invalid_argument("Buttons per page are 16 or 21, not " + a[0]);
                     const int wanted = a[0] == "16" ? 16 : 21;
                     if (ReadShape(ini.Document()).buttonsPerPage == wanted) {
                         out << "buttons-per-page\t" << wanted << "\n";
                         return kConfigOk;
                     }
                     PageChange change;
                     change.backup = true;
                     change.change = [wanted](IniDocument& d, PasswordCarrier* passwords) {
                         const Shape s = ReadShape(d);
                         int pages = s.pages;
                         if (s.buttonsPerPage != wanted)
                             pages = ChangeButtonsPerPage(d, passwords, s.buttonsPerPage, wanted, s.pages);
                         return "buttons-per-page\t" + std::to_string(wanted) + "\n" + PagesAnswer(pages);
                     };
                     return RunChange(ini, out, err, change);
                 }});
    c.push_back({"add-page", "N [NAME]", 1, 2, changing(AddPageCommand)});
    c.push_back({"delete-page", "N", 1, 1, changing(DeletePageCommand)});
    c.push_back({"move-page", "FROM TO", 2, 2, changing(MovePageCommand)});
    c.push_back({"rename-page", "N NAME", 2, 2, changing(RenamePageCommand)});
    c.push_back({"page-count", "N", 1, 1, changing(PageCountCommand)});
    c.push_back({"move-button", "FROM TO", 2, 2, changing([](Args a) { return PutCommand(true, a); })});
    c.push_back({"copy-button", "FROM TO", 2, 2, changing([](Args a) { return PutCommand(false, a); })});
    c.push_back({"remove-button", "N", 1, 1, changing(RemoveButtonCommand)});
    c.push_back({"describe-button", "N TEXT", 2, 2, changing(DescribeButtonCommand)});
    c.push_back(ImportMenuCommand());

    for (ConfigCommand& command : c)
        command.run = [run = std::move(command.run)](TNewIniFile& ini, Args a, std::ostream& out, std::ostream& err) {
            ReportBoundedCounts(ini, err);
            return run(ini, a, out, err);
        };
    return c;
}

} // namespace kex
