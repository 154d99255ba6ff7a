// The password checks of buttons and the passwords that travel with their records.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <sstream>

#include "IniTestUtil.h"
#include "PageTestUtil.h"
#include "core/bar/BarStore.h"
#include "core/config/ConfigTool.h"
#include "core/protect/PasswordChecks.h"
#include "core/pages/PageShift.h"

using namespace kex;
using kex::testing::Exists;
using kex::testing::MakeRecord;
using kex::testing::ReadBytes;
using kex::testing::RecordIds;
using kex::testing::TempDir;
using kex::testing::WriteBytes;

namespace {

struct Bar {
    TempDir dir;
    std::string ini = dir.File("KX.INI");
    PasswordStore store{dir.Path() + "/", ""};
    PasswordChecks checks{store, ""};
    Bar()
    {
        WriteBytes(ini, "[Location]\n");
        checks.Start(std::nullopt, 16);
    }
    std::string Stored(int n) const { return store.Find(ButtonKey(n)).value_or("<none>"); }
    // Protects button n from its menu with `password`.
    CheckResult Protect(int n, const std::string& password)
    {
        checks.MenuOpened(n);
        EXPECT_EQ(checks.PasswordProtect(n).verdict, Verdict::AskPassword);
        return checks.Enter(password);
    }
};

TEST(PasswordChecks, LaunchAsksOnceAndThePermissionServesOneLaunch)
{
    Bar bar;
    EXPECT_EQ(bar.checks.LaunchGate(5).verdict, Verdict::Launch); // never protected
    EXPECT_EQ(bar.Protect(5, "five"), (CheckResult{Verdict::Protected, 0, 5}));
    EXPECT_EQ(bar.Protect(6, std::string(300, 's')).verdict, Verdict::Protected);
    EXPECT_EQ(bar.Stored(5), "five");

    EXPECT_EQ(bar.checks.LaunchGate(5).verdict, Verdict::AskPassword);
    EXPECT_EQ(bar.checks.Key(), PasswordKey::Button(5));
    EXPECT_EQ(bar.checks.Enter("Five"), (CheckResult{Verdict::IncorrectPassword, kIncorrectButtonHelp, 5}));
    EXPECT_EQ(bar.checks.Enter("five"), (CheckResult{Verdict::Launch, 0, 5}));
    // The click again passes once; the permission is not another button's either.
    EXPECT_EQ(bar.checks.LaunchGate(5).verdict, Verdict::Launch);
    EXPECT_EQ(bar.checks.LaunchGate(5).verdict, Verdict::AskPassword);
    EXPECT_EQ(bar.checks.Enter("five").verdict, Verdict::Launch);
    EXPECT_EQ(bar.checks.LaunchGate(6).verdict, Verdict::AskPassword);
    // A password longer than the file keeps still opens its button.
    EXPECT_EQ(bar.checks.Enter(std::string(300, 's')).verdict, Verdict::Launch);
    // A launch that does not come drops its permission.
    bar.checks.DropPermission();
    EXPECT_EQ(bar.checks.LaunchGate(6).verdict, Verdict::AskPassword);

    // A button whose record holds an empty password is not protected.
    bar.store.Write(ButtonKey(7), "");
    EXPECT_FALSE(bar.checks.MenuOpened(7));
    EXPECT_EQ(bar.checks.LaunchGate(7).verdict, Verdict::Launch);
}

TEST(PasswordChecks, EmptyPromptAndEscapeChangeNothing)
{
    Bar bar;
    bar.Protect(3, "three");
    const std::string before = ReadBytes(bar.store.FileName());
    bar.checks.LockoutModify();
    EXPECT_EQ(bar.checks.Enter(""), CheckResult{});
    EXPECT_FALSE(bar.checks.Locked());
    // "Password Protect", then Escape: the mark is flipped but nothing stored, and
    // the next menu sets it afresh from the file.
    EXPECT_TRUE(bar.checks.MenuOpened(3));
    bar.checks.PasswordProtect(3);
    EXPECT_FALSE(bar.checks.ProtectMark());
    EXPECT_EQ(bar.checks.Enter(""), CheckResult{});
    EXPECT_EQ(ReadBytes(bar.store.FileName()), before);
    EXPECT_TRUE(bar.checks.MenuOpened(3));
}

TEST(PasswordChecks, TwoButtonsWithTheSamePasswordStayIndependent)
{
    Bar bar;
    bar.Protect(3, "same");
    bar.Protect(7, "same");
    // Unprotecting 3 with a wrong password keeps it; with the right one frees it.
    EXPECT_EQ(bar.Protect(3, "other").verdict, Verdict::IncorrectPassword);
    EXPECT_TRUE(bar.checks.ProtectMark());
    EXPECT_EQ(bar.Protect(3, "same"), (CheckResult{Verdict::Unprotected, 0, 3}));
    EXPECT_EQ(bar.Stored(3), "");
    EXPECT_EQ(bar.Stored(7), "same");
    EXPECT_EQ(bar.checks.LaunchGate(3).verdict, Verdict::Launch);
    EXPECT_EQ(bar.checks.LaunchGate(7).verdict, Verdict::AskPassword);
    // The lock is another record: setting it leaves the buttons alone.
    bar.checks.LockoutModify();
    EXPECT_EQ(bar.checks.Enter("same").verdict, Verdict::Locked);
    EXPECT_EQ(bar.Stored(7), "same");
    // Unlocked with the right password, the next lockout sets a new one.
    bar.checks.LockoutModify();
    EXPECT_EQ(bar.checks.Enter("same").verdict, Verdict::Unlocked);
    bar.checks.LockoutModify();
    EXPECT_EQ(bar.checks.Enter("new").verdict, Verdict::Locked);
    EXPECT_EQ(bar.store.Find("Main"), "new");
}

// --------------------------------------------------------- passwords and records

// Three pages of 16 with buttons 4, 20 and 36; 20 and 36 protected.
struct PagedBar : Bar {
    PagedBar()
    {
        TNewIniFile(ini).Modify([](IniDocument& d) {
            d.WriteString("Location", "ButtonCount", "16");
            d.WriteString("Pages", "Count", "3");
            RecordStore s(d);
            for (int n : {4, 20, 36})
                s.Write(n, MakeRecord(n));
        });
        store.Write(ButtonKey(20), "pw20");
        store.Write(ButtonKey(36), "pw36");
    }
    int Run(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {"kexbar-config", ini};
        argv.insert(argv.end(), args.begin(), args.end());
        std::ostringstream out, err;
        const int rc = RunConfigTool(argv, out, err);
        errors = err.str();
        return rc;
    }
    std::string errors; // what the last Run wrote to stderr
    std::map<int, int> Records()
    {
        IniDocument d = TNewIniFile(ini).Document();
        return RecordIds(d);
    }
};

TEST(PasswordCarrier, DeletingPageOneMovesPasswordsWithTheirRecords)
{
    PagedBar bar;
    ASSERT_EQ(bar.Run({"delete-page", "1"}), kConfigOk);
    EXPECT_EQ(bar.Records(), (std::map<int, int>{{4, 20}, {20, 36}}));
    EXPECT_EQ(bar.Stored(4), "pw20");
    EXPECT_EQ(bar.Stored(20), "pw36");
    for (int n = 33; n <= 48; ++n)
        EXPECT_EQ(bar.store.Find(ButtonKey(n)).value_or(""), "") << n;
    EXPECT_FALSE(Exists(bar.store.PendingFileName()));
}

// A moved page takes its buttons' passwords along; the pages it passes keep theirs.
TEST(PasswordCarrier, AMovedPageKeepsItsPasswords)
{
    PagedBar bar;
    bar.store.Write(ButtonKey(4), "pw4");
    ASSERT_EQ(bar.Run({"move-page", "1", "3"}), kConfigOk);
    EXPECT_EQ(bar.Records(), (std::map<int, int>{{4, 20}, {20, 36}, {36, 4}}));
    EXPECT_EQ(bar.Stored(4), "pw20");
    EXPECT_EQ(bar.Stored(20), "pw36");
    EXPECT_EQ(bar.Stored(36), "pw4");
    EXPECT_FALSE(Exists(bar.store.PendingFileName()));
}

TEST(PasswordCarrier, AMovedButtonArrivesUnprotected)
{
    PagedBar bar;
    ASSERT_EQ(bar.Run({"move-button", "20", "5"}), kConfigOk);
    EXPECT_EQ(bar.Records(), (std::map<int, int>{{4, 4}, {5, 20}, {36, 36}}));
    EXPECT_EQ(bar.Stored(5), "<none>");
    EXPECT_EQ(bar.Stored(20), ""); // erased at the source
    EXPECT_EQ(bar.Stored(36), "pw36");
}

// A button that gets a program (browsed for, or a file dropped on it) starts
// unprotected, whatever was left for its number; one filled meanwhile by another bar
// keeps its own.
TEST(PasswordCarrier, AFilledButtonStartsUnprotected)
{
    struct Row {
        const char* what;
        int button;
        std::function<void(BarStore&, int)> fill;
        const char* after;
    } rows[] = {
        {"browsed for", 5, [](BarStore& s, int n) { s.SaveProgram(n, "/bin/five"); }, ""},
        {"a file dropped on it", 5,
         [](BarStore& s, int n) {
             EXPECT_TRUE(s.FillButton(n, {"/bin/five", "", "", 0}));
         },
         ""},
        {"dropped on a button filled meanwhile", 20,
         [](BarStore& s, int n) {
             EXPECT_FALSE(s.FillButton(n, {"/bin/five", "", "", 0}));
         },
         "pw20"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PagedBar bar;
        bar.store.Write(ButtonKey(5), "left behind");
        BarStore store(bar.ini, [&] { return std::make_unique<PasswordFileTransaction>(bar.store); });
        row.fill(store, row.button);
        EXPECT_EQ(bar.Stored(row.button), row.after);
        EXPECT_EQ(bar.Stored(36), "pw36");
    }
}

// Passwords left for the bar's empty buttons (a restored or hand-edited file, an older
// version) go at the start, whatever "User" says; a button with a program, one beyond
// the bar's pages, and a record that is no button's name keep theirs.
TEST(PasswordChecks, AStartErasesThePasswordsOfEmptyButtons)
{
    for (const std::optional<std::string>& user : {std::optional<std::string>(":1"), std::optional<std::string>()}) {
        SCOPED_TRACE(user ? "current file" : "conversion asked for");
        PagedBar bar;
        for (const char* name : {"SpeedButton5", "SpeedButton48", "SpeedButton49", "speedbutton6"})
            bar.store.Write(name, "left");
        PasswordChecks checks(bar.store, "");
        EXPECT_FALSE(checks.Start(user, 16).error);
        EXPECT_EQ(bar.Stored(5), "");
        EXPECT_EQ(bar.Stored(48), "");
        EXPECT_EQ(bar.Stored(49), "left");
        EXPECT_EQ(bar.store.Find("speedbutton6"), "left");
        EXPECT_EQ(bar.Stored(20), "pw20");
        EXPECT_EQ(bar.Stored(36), "pw36");
        EXPECT_FALSE(checks.MenuOpened(5));
        EXPECT_TRUE(checks.MenuOpened(20));
    }
}

TEST(PasswordCarrier, ACommandIsRefusedWhenThePasswordFileCannotBeRead)
{
    PagedBar bar;
    const std::string before = ReadBytes(bar.ini);
    ::unlink(bar.store.FileName().c_str());
    ASSERT_EQ(::mkfifo(bar.store.FileName().c_str(), 0600), 0);
    EXPECT_EQ(bar.Run({"delete-page", "1"}), kConfigRefused);
    EXPECT_EQ(ReadBytes(bar.ini), before);
    // A command that moves no password does not need the file.
    EXPECT_EQ(bar.Run({"rename-page", "1", "Tools"}), kConfigOk);
    ::unlink(bar.store.FileName().c_str());
}

// A password file holds at most a record for every button of 1000 pages of 21 and the
// master record. One beyond that is damaged: it is said so, and nothing changes it
// (no page command, no password write, not the start); one at the bound works.
TEST(PasswordStore, AFileBeyondTheBoundIsReportedAndLeftAsItIs)
{
    // Every button of the largest bar has a record (20 and 36 a password), and the
    // master record.
    PasswordRecords full{{"Main", "NilK305"}};
    for (std::size_t n = 1; n < kMaxPasswordRecords; ++n)
        full.push_back({ButtonKey(int(n)), n == 20 || n == 36 ? "pw" + std::to_string(n) : ""});
    const std::string largest = EncodePasswordRecords(full);
    struct Row {
        const char* what;
        std::string bytes;
        bool damaged;
    } rows[] = {
        {"as many records as a bar can have", largest, false},
        {"one record more", largest + EncodePasswordRecords({{"", ""}}), true},
        {"larger than such a file can be", largest + std::string(kMaxPasswordFileSize - largest.size() + 1, 'x'), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PagedBar bar;
        WriteBytes(bar.store.FileName(), row.bytes);
        const std::string ini = ReadBytes(bar.ini);
        EXPECT_EQ(bar.store.Read().format,
                  row.damaged ? PasswordStore::Format::Damaged : PasswordStore::Format::Current);
        if (!row.damaged) {
            ASSERT_EQ(bar.Run({"move-page", "1", "3"}), kConfigOk);
            EXPECT_EQ(bar.Stored(4), "pw20");
            // A name no bar gives would take it beyond the bound.
            EXPECT_THROW(bar.store.Write("Gen", "x"), EIniWriteError);
            EXPECT_EQ(bar.store.Find("Gen"), std::nullopt);
            continue;
        }
        const std::string message = bar.store.DamagedMessage();
        EXPECT_NE(message.find(bar.store.FileName() + " is damaged"), std::string::npos);
        EXPECT_EQ(bar.Run({"move-page", "1", "3"}), kConfigRefused);
        EXPECT_EQ(bar.errors, message + "\n");
        try {
            bar.store.Write(ButtonKey(5), "x");
            ADD_FAILURE() << "a damaged file was written";
        } catch (const EIniWriteError& e) {
            EXPECT_EQ(e.what(), message);
        }
        PasswordChecks checks(bar.store, "");
        EXPECT_EQ(checks.Start(std::nullopt, 16).error, message);
        EXPECT_EQ(ReadBytes(bar.ini), ini);
        EXPECT_EQ(ReadBytes(bar.store.FileName()), row.bytes);
        EXPECT_FALSE(Exists(bar.store.PendingFileName()));
    }
}

// A crash of the writer between the two files: before the configuration is written
// nothing has changed, after it the passwords follow their records.
TEST(PasswordCarrier, ACrashAroundTheConfigurationCommitNeverMisplacesAPassword)
{
    for (bool afterConfiguration : {false, true}) {
        SCOPED_TRACE(afterConfiguration ? "killed after the configuration" : "killed before it");
        PagedBar bar;
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            PasswordFileTransaction passwords(bar.store);
            TNewIniFile(bar.ini).Modify([&](IniDocument& d) {
                RecordStore s(d, &passwords);
                DeletePageRecords(s, 0, 3, 16, false);
                passwords.Prepare(d);
                if (!afterConfiguration)
                    ::_exit(0);
            });
            ::_exit(0); // before Commit
        }
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);
        ASSERT_TRUE(Exists(bar.store.PendingFileName()));
        // Every reader sees the passwords that belong to the records it sees.
        const std::map<int, int> records = bar.Records();
        for (const auto& [n, id] : records)
            EXPECT_EQ(bar.Stored(n), id == 4 ? "<none>" : "pw" + std::to_string(id)) << n;
        EXPECT_EQ(records.count(4) ? records.at(4) : 0, afterConfiguration ? 20 : 4);
        // The next writer settles the pending change, then makes its own.
        bar.store.Write("Main", "NilK305");
        EXPECT_FALSE(Exists(bar.store.PendingFileName()));
        EXPECT_EQ(bar.Stored(afterConfiguration ? 4 : 20), "pw20");
        EXPECT_EQ(bar.Stored(afterConfiguration ? 20 : 36), "pw36");
    }
}

} // namespace
