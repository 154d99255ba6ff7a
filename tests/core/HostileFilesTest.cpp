// kexbar-config and the store on files that a hostile or clumsy owner of the
// configuration's directory prepared: planted symbolic links, FIFOs, a held lock,
// out-of-range counts, refused commands and the backup they must not touch.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "IniTestUtil.h"
#include "ToolRun.h"
#include "core/config/ConfigTool.h"
#include "core/config/NewIniFile.h"

namespace kex {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// A user id that owns no files here: the owner of the directory root is asked to work in.
constexpr uid_t kUser = 65534;

const std::string kConfig = "[Location]\nButtonCount=16\n[Pages]\nCount=3\n[Programs]\nSpeedButton1=/bin/true\n";
const std::string kSecret = "[Secret]\nroot-only=yes\n";

mode_t ModeOf(const std::string& f)
{
    struct stat st {};
    return ::lstat(f.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

uid_t OwnerOf(const std::string& f)
{
    struct stat st {};
    return ::lstat(f.c_str(), &st) == 0 ? st.st_uid : uid_t(-1);
}

// Root runs kexbar-config in a directory that a user owns and has prepared: every
// planted link points at a root-only file outside it (or at a name there that does
// not exist yet). Nothing outside the directory may be read, created, changed,
// chowned or disclosed.
TEST(HostileFiles, PlantedLinksReachNoFileOutsideTheDirectory)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the attack is root working in a user's directory";
    struct Case {
        const char* name;
        const char* link;   // the planted link in the user's directory
        bool missingTarget; // the link names a file that does not exist yet
        std::vector<std::string> command;
    };
    const std::vector<Case> cases = {
        {"lock link, set", "KX.INI.lock", false, {"set", "S", "K", "V"}},
        {"lock link to a missing file, set", "KX.INI.lock", true, {"set", "S", "K", "V"}},
        {"backup link, add-page", "KX.BAK", false, {"add-page", "1"}},
        {"backup link to a missing file, add-page", "KX.BAK", true, {"add-page", "1"}},
        {"configuration link, add-page", "KX.INI", false, {"add-page", "1"}},
        {"configuration link, set", "KX.INI", false, {"set", "S", "K", "V"}},
        {"configuration link, get", "KX.INI", false, {"get", "Secret", "root-only"}},
        {"configuration link, show", "KX.INI", false, {"show"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir user, outside;
        const std::string secret = outside.File("secret");
        if (!c.missingTarget) {
            WriteBytes(secret, kSecret);
            ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
        }
        const std::string ini = user.File("KX.INI");
        if (std::string(c.link) != "KX.INI")
            WriteBytes(ini, kConfig);
        ASSERT_EQ(::symlink(secret.c_str(), user.File(c.link).c_str()), 0);
        for (const std::string& name : user.List())
            ASSERT_EQ(::lchown(user.File(name).c_str(), kUser, kUser), 0);
        ASSERT_EQ(::chown(user.Path().c_str(), kUser, kUser), 0);

        std::vector<std::string> args = {ini};
        args.insert(args.end(), c.command.begin(), c.command.end());
        const ToolRun r = RunTool(user, args);

        EXPECT_EQ(r.out.find("root-only"), std::string::npos) << "the secret was disclosed";
        if (c.missingTarget) {
            EXPECT_FALSE(Exists(secret)) << "a file outside the directory was created";
        } else {
            EXPECT_EQ(ReadBytes(secret), kSecret);
            EXPECT_EQ(OwnerOf(secret), 0u);
            EXPECT_EQ(ModeOf(secret), 0600u);
        }
        for (const std::string& name : user.List()) {
            struct stat st {};
            if (name[0] != '.' && ::lstat(user.File(name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                EXPECT_EQ(ReadBytes(user.File(name)).find("root-only"), std::string::npos) << name << " discloses it";
            }
        }
        const std::string link = c.link;
        if (link == "KX.BAK") {
            EXPECT_EQ(r.rc, kConfigOk) << r.err; // the planted link is replaced, not followed
        } else {
            // A linked configuration or lock is refused, saying why.
            EXPECT_EQ(r.rc, kConfigRefused);
            EXPECT_NE(r.err.find(link == "KX.INI" ? "symbolic link" : "is not a regular file"), std::string::npos)
                << r.err;
        }
    }
}

// A FIFO or a directory where a file is expected, or a configuration in UTF-16: every
// command ends at once with a clear error (2) instead of waiting for a writer that
// never comes or corrupting text it cannot read, and changes nothing.
TEST(HostileFiles, FilesThatAreNoConfigurationAreRefusedAtOnce)
{
    struct Case {
        const char* name;
        const char* special; // which file is not a regular one
        const char* kind;    // "fifo", "dir" or "utf16"
        std::vector<std::string> command;
    };
    const std::vector<Case> cases = {
        {"FIFO configuration, get", "KX.INI", "fifo", {"get", "S", "K"}},
        {"FIFO configuration, set", "KX.INI", "fifo", {"set", "S", "K", "V"}},
        {"FIFO configuration, show", "KX.INI", "fifo", {"show"}},
        {"FIFO configuration, add-page", "KX.INI", "fifo", {"add-page", "1"}},
        {"directory as configuration, set", "KX.INI", "dir", {"set", "S", "K", "V"}},
        {"FIFO lock, set", "KX.INI.lock", "fifo", {"set", "S", "K", "V"}},
        {"UTF-16 configuration, get", "KX.INI", "utf16", {"get", "S", "K"}},
        {"UTF-16 configuration, set", "KX.INI", "utf16", {"set", "S", "N", "1"}},
        {"UTF-16 configuration, describe-button", "KX.INI", "utf16", {"describe-button", "1", "D"}},
        {"UTF-16 configuration, add-page", "KX.INI", "utf16", {"add-page", "1"}},
    };
    const std::string utf16 = std::string("\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0v\0\r\0\n\0", 22);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string ini = dir.File("KX.INI"), special = dir.File(c.special);
        if (std::string(c.special) != "KX.INI")
            WriteBytes(ini, kConfig);
        const std::string kind = c.kind;
        if (kind == "fifo")
            ASSERT_EQ(::mkfifo(special.c_str(), 0644), 0);
        else if (kind == "dir")
            ASSERT_EQ(::mkdir(special.c_str(), 0755), 0);
        else
            WriteBytes(special, utf16);
        std::vector<std::string> args = {ini};
        args.insert(args.end(), c.command.begin(), c.command.end());
        const ToolRun r = RunTool(dir, args);
        EXPECT_EQ(r.rc, kConfigRefused) << r.err;
        const std::string reason = kind == "utf16"
                                       ? ini + " is not a configuration file this program can read: UTF-16\n"
                                       : "is not a regular file";
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        if (std::string(c.special) != "KX.INI") {
            EXPECT_EQ(ReadBytes(ini), kConfig);
        }
        if (kind == "utf16") {
            EXPECT_EQ(ReadBytes(ini), utf16);
            EXPECT_FALSE(Exists(ini + ".lock"));
            EXPECT_FALSE(Exists(dir.File("KX.BAK")));
        }
        if (kind == "dir")
            ::rmdir(special.c_str());
    }
}

// The lock file can be opened only by those who may open the configuration, and a
// lock held by another program refuses the write after a bounded wait.
TEST(HostileFiles, LockFollowsTheConfigurationsModeAndAHeldLockRefusesTheWrite)
{
    TempDir dir;
    const std::string ini = dir.File("KX.INI"), lock = ini + ".lock";
    WriteBytes(ini, kConfig);
    ASSERT_EQ(::chmod(ini.c_str(), 0600), 0);
    TNewIniFile(ini).WriteString("S", "K", "1");
    EXPECT_EQ(ModeOf(lock), 0600u);
    // A lock file left world-readable (by an older version) is brought into line.
    ASSERT_EQ(::chmod(lock.c_str(), 0666), 0);
    TNewIniFile(ini).WriteString("S", "K", "2");
    EXPECT_EQ(ModeOf(lock), 0600u);

    const int held = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    SetLockWait(std::chrono::milliseconds(300));
    const std::string before = ReadBytes(ini);
    try {
        TNewIniFile(ini).WriteString("S", "K", "3");
        ADD_FAILURE() << "the write went through a held lock";
    } catch (const EIniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), ini + " is locked by another program");
    }
    EXPECT_EQ(ReadBytes(ini), before);
    ::close(held);
    SetLockWait(std::chrono::milliseconds(5000));
    TNewIniFile(ini).WriteString("S", "K", "3");
    EXPECT_EQ(TNewIniFile(ini).ReadString("S", "K", ""), "3");
}

// A page command that is refused writes nothing, the backup included; one that is
// done leaves a backup with the configuration's own mode, written whole.
TEST(HostileFiles, RefusedPageCommandsLeaveTheBackupAlone)
{
    struct Case {
        const char* name;
        bool readOnly;
        std::vector<std::string> command;
        int rc;
    };
    const std::vector<Case> cases = {
        {"read-only, buttons-per-page 21", true, {"buttons-per-page", "21"}, kConfigRefused},
        {"read-only, add-page 1", true, {"add-page", "1"}, kConfigRefused},
        {"read-only, page-count 5", true, {"page-count", "5"}, kConfigRefused},
        {"read-only, delete-page 1", true, {"delete-page", "1"}, kConfigRefused},
        {"no page 9, add-page 9", false, {"add-page", "9"}, kConfigUsage},
        {"not a number, page-count x", false, {"page-count", "x"}, kConfigUsage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string ini = dir.File("KX.INI"), bak = dir.File("KX.BAK");
        WriteBytes(ini, kConfig);
        WriteBytes(bak, "the old backup\n");
        if (c.readOnly) {
            ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
        }
        std::vector<std::string> args = {ini};
        args.insert(args.end(), c.command.begin(), c.command.end());
        EXPECT_EQ(RunTool(dir, args).rc, c.rc);
        EXPECT_EQ(ReadBytes(bak), "the old backup\n");
        EXPECT_EQ(ReadBytes(ini), kConfig);
    }
}

TEST(HostileFiles, BackupTakesTheConfigurationsModeAndStaleTemporaryFilesGo)
{
    TempDir dir;
    const std::string ini = dir.File("KX.INI"), bak = dir.File("KX.BAK");
    WriteBytes(ini, kConfig);
    ASSERT_EQ(::chmod(ini.c_str(), 0600), 0);
    WriteBytes(bak, "old");
    ASSERT_EQ(::chmod(bak.c_str(), 0644), 0);
    pid_t dead = 4194303;
    while (::kill(dead, 0) == 0 || errno != ESRCH)
        --dead;
    const std::string stale = bak + "." + std::to_string(dead) + ".0badf00d.tmp";
    WriteBytes(stale, "torn");

    EXPECT_EQ(RunTool(dir, {ini, "add-page", "1"}).rc, kConfigOk);
    EXPECT_EQ(ReadBytes(bak), kConfig);
    EXPECT_EQ(ModeOf(bak), 0600u);
    EXPECT_FALSE(Exists(stale));
}

// Stored counts size the bar's memory and work: out of range they are bounded,
// reported once, and the tool's page commands go on with the bounded count.
TEST(HostileFiles, StoredCountsAreBoundedAndReported)
{
    struct Case {
        const char* stored;
        const char* pages; // what show answers
        bool reported;
    };
    const std::vector<Case> cases = {
        {"[Pages]\nCount=99999999\n", "pages\t1000\n", true},
        {"[Pages]\nCount=-9\n", "pages\t1\n", true},
        {"[Pages]\nCount=0\n", "pages\t1\n", true},
        {"[Pages]\nCount=1000\n", "pages\t1000\n", false},
        {"[Location]\nButtonCount=99999\n[Pages]\nCount=2\n", "pages\t2\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        TempDir dir;
        const std::string ini = dir.File("KX.INI");
        WriteBytes(ini, c.stored);
        const ToolRun r = RunTool(dir, {ini, "show"});
        EXPECT_EQ(r.rc, kConfigOk);
        EXPECT_NE(r.out.find(c.pages), std::string::npos) << r.out.substr(0, 80);
        EXPECT_EQ(r.out.find("buttons-per-page\t16\n"), 0u);
        const auto at = r.err.find("is out of range");
        EXPECT_EQ(at != std::string::npos, c.reported) << r.err;
        if (at != std::string::npos) {
            EXPECT_EQ(r.err.find("is out of range", at + 1), std::string::npos) << "reported twice: " << r.err;
        }
        EXPECT_EQ(ReadBytes(ini), c.stored) << "show stored something back";
    }
    // At the bound, a page more is refused instead of being lost beyond it.
    TempDir dir;
    const std::string ini = dir.File("KX.INI");
    WriteBytes(ini, "[Pages]\nCount=99999999\n");
    const ToolRun r = RunTool(dir, {ini, "add-page", "1"});
    EXPECT_EQ(r.rc, kConfigUsage);
    EXPECT_EQ(ReadBytes(ini), "[Pages]\nCount=99999999\n");
}

TEST(HostileFiles, PageCountTakesOnlyAWholeNumberInRange)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"abc", kConfigUsage}, {"", kConfigUsage},  {"-5", kConfigUsage},   {"3x", kConfigUsage},
        {"0", kConfigUsage},   {"1", kConfigUsage}, {"1001", kConfigUsage}, {" 3", kConfigUsage},
        {"2", kConfigOk},      {"1000", kConfigOk}, {"7", kConfigOk},
    };
    for (const auto& [arg, rc] : cases) {
        SCOPED_TRACE("page-count \"" + arg + "\"");
        TempDir dir;
        const std::string ini = dir.File("KX.INI");
        WriteBytes(ini, kConfig);
        const ToolRun r = RunTool(dir, {ini, "page-count", arg});
        EXPECT_EQ(r.rc, rc) << r.err;
        EXPECT_EQ(TNewIniFile(ini).ReadInteger("Pages", "Count", 0), rc == kConfigOk ? std::stoi(arg) : 3);
    }
}

} // namespace
} // namespace kex
