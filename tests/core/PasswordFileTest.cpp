// The password file: its bytes, the start-up and lockout table, a killed rewrite.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "IniTestUtil.h"
#include "Rounds.h"
#include "core/protect/PasswordChecks.h"

using namespace kex;
using kex::testing::Exists;
using kex::testing::ReadBytes;
using kex::testing::TempDir;
using kex::testing::WriteBytes;

namespace {

// An independent reader of the format: flag byte, then complemented length and
// characters of the name and of the password.
PasswordRecords ReadByHand(const std::string& bytes)
{
    PasswordRecords out;
    std::size_t p = 0;
    auto counted = [&](std::string& s) {
        if (p >= bytes.size())
            return false;
        std::size_t n = std::uint8_t(0xFF - std::uint8_t(bytes[p++]));
        if (bytes.size() - p < n)
            return false;
        for (std::size_t i = 0; i < n; ++i)
            s += char(0xFF - std::uint8_t(bytes[p++]));
        return true;
    };
    while (p < bytes.size()) {
        PasswordRecord r;
        ++p;
        if (!counted(r.Name) || !counted(r.Password))
            break;
        out.push_back(r);
    }
    return out;
}

TEST(PasswordFormat, RecordsRoundTripAndACutLastRecordIsLeftOut)
{
    const std::string binary("\x00\x01\xFE\xFF a", 6);
    const PasswordRecords records = {
        {"Main", "NilK305"},         {"SpeedButton20", ""}, {"", binary}, {"SpeedButton7", std::string(255, 'x')},
        {"SpeedButton20", "second"}, // a later duplicate never wins a lookup
    };
    const std::string bytes = EncodePasswordRecords(records);
    EXPECT_EQ(bytes.substr(0, 7), std::string("\x00\xFB\xB2\x9E\x96\x91\xF8", 7)); // flag 0, ~4, ~"Main"
    EXPECT_EQ(ReadByHand(bytes), records);
    DecodedPasswords whole = DecodePasswordRecords(bytes);
    EXPECT_EQ(whole.Records, records);
    EXPECT_FALSE(whole.Truncated);
    EXPECT_EQ(FindPassword(records, "SpeedButton20"), "");
    EXPECT_EQ(FindPassword(records, "speedbutton7"), std::nullopt);

    // Cut anywhere: the whole records before the cut, nothing of the cut one.
    std::size_t boundary = 0, complete = 0;
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        DecodedPasswords d = DecodePasswordRecords(std::string_view(bytes).substr(0, cut));
        if (complete < records.size() && cut == boundary + EncodePasswordRecords({records[complete]}).size())
            boundary = cut, ++complete;
        ASSERT_EQ(d.Records, PasswordRecords(records.begin(), records.begin() + long(complete))) << "cut " << cut;
        EXPECT_EQ(d.Truncated, cut != boundary) << "cut " << cut;
    }

    // Longer values are cut to 255 bytes; a rewrite keeps the others in order and
    // puts the new record last, once.
    PasswordRecords r = records;
    SetPassword(r, "SpeedButton20", std::string(300, 'y'));
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].Name, "Main");
    EXPECT_EQ(r[1].Name, "");
    EXPECT_EQ(r[3], (PasswordRecord{"SpeedButton20", std::string(255, 'y')}));
}

// Decoding stops at a bound: a whole record beyond it makes the bytes too many, a cut
// one after the last allowed record is only a cut.
TEST(PasswordFormat, DecodingStopsAtTheBound)
{
    const std::string three = EncodePasswordRecords({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    const std::string fourth = EncodePasswordRecords({{"d", "4"}});
    struct Row {
        std::string bytes;
        std::size_t records;
        bool truncated, tooMany;
    } rows[] = {
        {three, 3, false, false},
        {three + fourth.substr(0, 3), 3, true, false},
        {three + fourth, 3, false, true},
    };
    for (const Row& row : rows) {
        const DecodedPasswords d = DecodePasswordRecords(row.bytes, 3);
        EXPECT_EQ(d.Records.size(), row.records);
        EXPECT_EQ(d.Truncated, row.truncated);
        EXPECT_EQ(d.TooMany, row.tooMany);
    }
}

// The indexed table answers as the plain records do under the file's rules (first
// match, a rewrite drops every record of its name and comes last), also for the
// duplicates of a file written by hand and for names longer than the file keeps.
TEST(PasswordFormat, TheIndexedTableKeepsTheFileRules)
{
    PasswordRecords plain = {{"Main", "m"}, {"SpeedButton1", "a"}, {"", "x"}, {"SpeedButton1", "dup"}};
    PasswordTable table(plain);
    const std::string longName(300, 'n');
    const std::vector<std::string> names = {"Main", "SpeedButton1", "SpeedButton2",
                                            "",     longName,       longName.substr(0, 255)};
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        const std::string& name = names[rng() % names.size()];
        const std::string password = rng() % 3 ? std::to_string(rng() % 4) : "";
        const PasswordRecords before = plain;
        SetPassword(plain, name, password);
        ASSERT_EQ(table.Set(name, password), plain != before) << i;
        ASSERT_EQ(table.Records(), plain) << i;
        for (const std::string& n : names)
            ASSERT_EQ(table.Find(n), FindPassword(plain, n)) << i << " " << n;
    }
    EXPECT_EQ(table.Size(), plain.size());
    EXPECT_EQ(table.Encode(), EncodePasswordRecords(plain));
}

// The older format: length byte, then character i stored as code + i.
TEST(PasswordFormat, LegacyBlockIsRecognisedOnlyWhenItIsNotRecords)
{
    const std::string block = EncodeLegacyPassword("Ab\xFF");
    ASSERT_EQ(block.size(), 257u);
    EXPECT_EQ(block.substr(0, 4), std::string("\x03\x42\x64\x02", 4));
    EXPECT_TRUE(IsLegacyPasswordFile(block));
    EXPECT_EQ(DecodeLegacyPassword(block), "Ab\xFF");
    // A current-format file of exactly 257 bytes reads as records.
    const std::string current = EncodePasswordRecords({{"SpeedButton1", std::string(242, 'p')}});
    ASSERT_EQ(current.size(), 257u);
    EXPECT_FALSE(IsLegacyPasswordFile(current));
    EXPECT_FALSE(IsLegacyPasswordFile(block.substr(0, 256)));
}

// ------------------------------------------------------------ start-up and lockout

enum class DatFile { None, Legacy, LegacyEmpty, Marker, Real, ButtonsOnly, Current257 };

std::string DatBytes(DatFile kind)
{
    switch (kind) {
    case DatFile::None: return {};
    case DatFile::Legacy: return EncodeLegacyPassword("old pass");
    case DatFile::LegacyEmpty: return EncodeLegacyPassword("");
    case DatFile::Marker: return EncodePasswordRecords({{"SpeedButton3", "b3"}, {"Main", "NilK305"}});
    case DatFile::Real: return EncodePasswordRecords({{"Main", "master"}, {"SpeedButton3", "b3"}});
    case DatFile::ButtonsOnly: return EncodePasswordRecords({{"SpeedButton3", "b3"}});
    case DatFile::Current257: return EncodePasswordRecords({{"SpeedButton1", std::string(242, 'p')}});
    }
    return {};
}

TEST(PasswordStartup, StartAndLockoutTable)
{
    const std::optional<std::string> missing;
    const std::string ours = "net:1";
    struct Row {
        const char* what;
        DatFile dat;
        std::optional<std::string> user;
        LockState atStart;
        StartupAction action;
        const char* typed; // then "Lockout &Modify" with this text (nullptr: none)
        Verdict verdict;
        LockState after;
        PasswordRecords file; // the password file at the end
    };
    const PasswordRecords b3 = {{"SpeedButton3", "b3"}};
    const PasswordRecord marker{"Main", "NilK305"};
    const std::vector<Row> rows = {
        {"current, marker",
         DatFile::Marker,
         ours,
         LockState::Unlocked,
         StartupAction::None,
         nullptr,
         {},
         LockState::Unlocked,
         {b3[0], marker}},
        {"current, no file",
         DatFile::None,
         ours,
         LockState::Unlocked,
         StartupAction::None,
         nullptr,
         {},
         LockState::Unlocked,
         {}},
        {"current, real master: locked, no message",
         DatFile::Real,
         ours,
         LockState::Locked,
         StartupAction::None,
         nullptr,
         {},
         LockState::Locked,
         {{"Main", "master"}, b3[0]}},
        {"missing, no file: created",
         DatFile::None,
         missing,
         LockState::Unlocked,
         StartupAction::Created,
         nullptr,
         {},
         LockState::Unlocked,
         {marker}},
        {"missing, legacy file: converted and locked",
         DatFile::Legacy,
         missing,
         LockState::Locked,
         StartupAction::Converted,
         nullptr,
         {},
         LockState::Locked,
         {{"Main", "old pass"}}},
        {"bare suffix, legacy without password",
         DatFile::LegacyEmpty,
         std::string("net"),
         LockState::Unlocked,
         StartupAction::Converted,
         nullptr,
         {},
         LockState::Unlocked,
         {marker}},
        {"missing, current 257-byte file: never converted",
         DatFile::Current257,
         missing,
         LockState::Unlocked,
         StartupAction::Completed,
         nullptr,
         {},
         LockState::Unlocked,
         {{"SpeedButton1", std::string(242, 'p')}, marker}},
        {"missing, current file without master keeps its buttons",
         DatFile::ButtonsOnly,
         missing,
         LockState::Unlocked,
         StartupAction::Completed,
         nullptr,
         {},
         LockState::Unlocked,
         {b3[0], marker}},
        {"missing, current file with master: locked",
         DatFile::Real,
         missing,
         LockState::Locked,
         StartupAction::Completed,
         nullptr,
         {},
         LockState::Locked,
         {{"Main", "master"}, b3[0]}},
        {"another suffix counts as missing",
         DatFile::Legacy,
         std::string("other:1"),
         LockState::Locked,
         StartupAction::Converted,
         nullptr,
         {},
         LockState::Locked,
         {{"Main", "old pass"}}},
        {"a record name counts as missing",
         DatFile::None,
         std::string("Main"),
         LockState::Unlocked,
         StartupAction::Created,
         nullptr,
         {},
         LockState::Unlocked,
         {marker}},
        {"lockout while unlocked: typed password locks",
         DatFile::Marker,
         ours,
         LockState::Unlocked,
         StartupAction::None,
         "s3cret",
         Verdict::Locked,
         LockState::Locked,
         {b3[0], {"Main", "s3cret"}}},
        {"lockout with no master record locks too",
         DatFile::ButtonsOnly,
         ours,
         LockState::Unlocked,
         StartupAction::None,
         "s3cret",
         Verdict::Locked,
         LockState::Locked,
         {b3[0], {"Main", "s3cret"}}},
        {"lockout while locked, right password: marker stored",
         DatFile::Real,
         ours,
         LockState::Locked,
         StartupAction::None,
         "master",
         Verdict::Unlocked,
         LockState::Unlocked,
         {b3[0], marker}},
        {"lockout while locked, wrong password",
         DatFile::Real,
         ours,
         LockState::Locked,
         StartupAction::None,
         "Master",
         Verdict::IncorrectPassword,
         LockState::Locked,
         {{"Main", "master"}, b3[0]}},
        {"the marker cannot become a password",
         DatFile::Marker,
         ours,
         LockState::Unlocked,
         StartupAction::None,
         "NilK305",
         Verdict::Nothing,
         LockState::Unlocked,
         {b3[0], marker}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string ini = dir.File("KXnet.INI");
        const std::string dat = dir.File("KXnet.DAT");
        // Buttons 1 and 3 have programs: their passwords are no leftovers.
        WriteBytes(ini, (row.user ? "[Location]\nUser=" + *row.user + "\n" : "[Location]\n")
                            + "[Programs]\nSpeedButton1=/bin/one\nSpeedButton3=/bin/three\n");
        if (row.dat != DatFile::None)
            WriteBytes(dat, DatBytes(row.dat));
        PasswordChecks checks(PasswordStore(dir.Path() + "/", "net"), "net");
        StartupResult start = checks.Start(row.user, 16);
        EXPECT_EQ(start.lock, row.atStart);
        EXPECT_EQ(start.action, row.action);
        EXPECT_FALSE(start.error);
        if (row.typed) {
            EXPECT_EQ(checks.LockoutModify().verdict, Verdict::AskPassword);
            CheckResult r = checks.Enter(row.typed);
            EXPECT_EQ(r.verdict, row.verdict);
            EXPECT_EQ(r.helpContext, row.verdict == Verdict::IncorrectPassword ? kIncorrectMasterHelp : 0);
        }
        EXPECT_EQ(checks.Lock(), row.after);
        EXPECT_EQ(ReadByHand(ReadBytes(dat)), row.file);
        const bool userWritten = row.action != StartupAction::None || row.verdict == Verdict::Unlocked;
        EXPECT_EQ(TNewIniFile(ini).ReadString("Location", "User", "?"), userWritten ? ours : row.user.value_or("?"));
        struct stat st {};
        if (Exists(dat) && ReadBytes(dat) != DatBytes(row.dat)) { // rewritten: private
            EXPECT_TRUE(::stat(dat.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600);
        }
    }
}

// A password file that cannot be written is reported, and the bar does not act as if
// it were locked.
TEST(PasswordStartup, WriteFailuresAreReportedAndChangeNoState)
{
    TempDir dir;
    WriteBytes(dir.File("KX.INI"), "[Location]\n");
    PasswordChecks checks(PasswordStore(dir.Path() + "/", ""), "");
    // A directory where the temporary file goes stops every write, also root's.
    ASSERT_EQ(::mkdir(dir.File("KX.$$$").c_str(), 0700), 0);
    StartupResult start = checks.Start(std::nullopt, 16);
    EXPECT_EQ(start.error, "Unable to write to " + dir.File("KX.DAT"));
    EXPECT_EQ(start.lock, LockState::Unlocked);
    EXPECT_EQ(TNewIniFile(dir.File("KX.INI")).ReadString("Location", "User", "?"), "?"); // tried again next time
    checks.LockoutModify();
    EXPECT_THROW(checks.Enter("s3cret"), EIniWriteError);
    EXPECT_EQ(checks.Lock(), LockState::Unlocked);
    EXPECT_FALSE(Exists(dir.File("KX.DAT")));
    ::rmdir(dir.File("KX.$$$").c_str());
    // A file that is not a regular file is neither read nor replaced.
    ASSERT_EQ(::mkfifo(dir.File("KX.DAT").c_str(), 0600), 0);
    EXPECT_EQ(PasswordStore(dir.Path() + "/", "").Read().format, PasswordStore::Format::Unreadable);
    EXPECT_THROW(PasswordStore(dir.Path() + "/", "").Write("Main", "x"), EIniWriteError);
    ::unlink(dir.File("KX.DAT").c_str());
    // The temporary file is made anew, never followed through a planted link.
    ASSERT_EQ(::symlink(dir.File("elsewhere").c_str(), dir.File("KX.$$$").c_str()), 0);
    PasswordStore(dir.Path() + "/", "").Write("Main", "x");
    EXPECT_FALSE(Exists(dir.File("elsewhere")));
    EXPECT_FALSE(Exists(dir.File("KX.$$$")));
    EXPECT_EQ(ReadByHand(ReadBytes(dir.File("KX.DAT"))), (PasswordRecords{{"Main", "x"}}));
}

// Password writes share the configuration's lock: one held by another program refuses
// the write after the store's bounded wait, with its message, and changes nothing. A
// read-only password file is still replaced, with mode 0600.
TEST(PasswordStore, HeldLockRefusesTheWriteAfterTheBoundedWait)
{
    TempDir dir;
    const std::string ini = dir.File("KX.INI"), dat = dir.File("KX.DAT");
    WriteBytes(ini, "[Location]\n");
    PasswordStore store(dir.Path() + "/", "");
    store.Write("SpeedButton1", "b1");
    const std::string before = ReadBytes(dat);

    const int held = ::open((ini + ".lock").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    struct WaitGuard {
        WaitGuard() { SetLockWait(std::chrono::milliseconds(300)); }
        ~WaitGuard() { SetLockWait(std::chrono::milliseconds(5000)); }
    } wait;
    try {
        store.Write("Main", "x");
        ADD_FAILURE() << "the write went through a held lock";
    } catch (const EIniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), dat + " is locked by another program");
    }
    ::close(held);
    EXPECT_EQ(ReadBytes(dat), before);
    EXPECT_FALSE(Exists(dir.File("KX.$$$")));

    ASSERT_EQ(::chmod(dat.c_str(), 0400), 0);
    store.Write("Main", "x");
    struct stat st {};
    ASSERT_EQ(::stat(dat.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadByHand(ReadBytes(dat)), (PasswordRecords{{"SpeedButton1", "b1"}, {"Main", "x"}}));
}

// A writer killed at any moment of a rewrite leaves the file as it was before or after
// one of its writes, never cut short.
TEST(PasswordStore, KilledRewriteLeavesAWholeFile)
{
    TempDir dir;
    WriteBytes(dir.File("KX.INI"), "[Location]\n");
    PasswordStore store(dir.Path() + "/", "");
    // Generation g stores "g" for Gen and a long password for button g % 50.
    auto pad = [](int g) { return std::string(200, char('a' + g % 26)) + std::to_string(g); };
    std::mt19937 rng(std::random_device{}());
    int last = -1;
    const int rounds = testing_rounds::Rounds(30, 10);
    for (int round = 0; round < rounds; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int g = last + 1;; ++g) {
                store.Write("SpeedButton" + std::to_string(g % 50), pad(g));
                store.Write("Gen", std::to_string(g));
                if (::write(ready[1], "w", 1) != 1)
                    ::_exit(4);
            }
        }
        ::close(ready[1]);
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 5000)(rng)));
        ::kill(child, SIGKILL);
        ::close(ready[0]);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);

        const std::string bytes = ReadBytes(dir.File("KX.DAT"));
        DecodedPasswords d = DecodePasswordRecords(bytes);
        ASSERT_FALSE(d.Truncated) << "round " << round;
        const int gen = std::stoi(FindPassword(d.Records, "Gen").value_or("-1"));
        ASSERT_GE(gen, last);
        // (button gen + 1 may hold the next generation already)
        for (int g = std::max(0, gen - 48); g <= gen; ++g)
            ASSERT_EQ(FindPassword(d.Records, "SpeedButton" + std::to_string(g % 50)), pad(g)) << "round " << round;
        last = gen;
    }
    EXPECT_GT(last, 0);
}

} // namespace
