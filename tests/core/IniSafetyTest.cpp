// The configuration store under crashes, concurrent writers and refused writes.
#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "IniTestUtil.h"
#include "Rounds.h"
#include "core/config/NewIniFile.h"

namespace kex {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

bool IsTempName(const std::string& n) { return n.size() > 4 && n.compare(n.size() - 4, 4, ".tmp") == 0; }

// Generation g of a ~1 MB file: every line carries g, and the length varies with g,
// so that any mix of two generations or a cut file differs from every version. Long
// lines make the writing of the bytes, where a kill could tear the file, a large part
// of each write.
std::string VersionText(int g)
{
    std::string text = "[Head]\nGen=" + std::to_string(g) + "\n[Data]\n";
    const std::string pad(25000 + (g % 7) * 500, char('a' + g % 26));
    for (int i = 0; i < 40; ++i)
        text += "k" + std::to_string(i) + "=" + std::to_string(g) + "-" + pad + "\n";
    text += "[Tail]\nGen=" + std::to_string(g) + "\n";
    return text;
}

TEST(IniSafety, KilledWriterLeavesTheOldOrTheNewFileNeverATornOne)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    WriteBytes(name, VersionText(0)); // not through the store: this process sweeps later
    const unsigned seed = std::random_device{}();
    std::mt19937 rng(seed);
    int lastGen = 0, roundsWithStrayTemp = 0;
    const int rounds = testing_rounds::Rounds(60, 15);
    for (int round = 0; round < rounds; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (int g = TNewIniFile(name).ReadInteger("Head", "Gen", -1) + 1;; ++g) {
                    const std::string text = VersionText(g);
                    TNewIniFile(name).Modify([&](IniDocument& d) { d = IniDocument::Parse(text); });
                    if (::write(ready[1], "w", 1) != 1) // one byte after each complete write
                        ::_exit(4);
                }
            } catch (...) {
                ::_exit(3);
            }
        }
        ::close(ready[1]);
        // Wait for the first complete write, so that the kill falls among the writes
        // that follow, then pick a moment within the next few writes.
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1) << "the writer never wrote";
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 15000)(rng)));
        ::kill(child, SIGKILL);
        ::close(ready[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself, status " << status;

        const int gen = TNewIniFile(name).ReadInteger("Head", "Gen", -1);
        ASSERT_GE(gen, lastGen) << "round " << round << ", seed " << seed;
        ASSERT_EQ(TNewIniFile(name).ReadInteger("Tail", "Gen", -2), gen) << "round " << round << ", seed " << seed;
        ASSERT_TRUE(ReadBytes(name) == VersionText(gen)) << "torn file in round " << round << ", seed " << seed;
        lastGen = gen;
        auto names = dir.List();
        roundsWithStrayTemp += std::count_if(names.begin(), names.end(), IsTempName) > 0;
    }
    EXPECT_GT(lastGen, 0) << "the writers never completed a write";
    std::cout << "[          ] " << lastGen << " complete versions written, " << roundsWithStrayTemp << " of " << rounds
              << " kills left a temporary file\n";

    // The next write takes the file, not a leftover temporary file, and clears them.
    TNewIniFile(name).WriteString("Head", "After", "1");
    TNewIniFile ini(name);
    EXPECT_EQ(ini.ReadInteger("Head", "Gen", -1), lastGen);
    EXPECT_EQ(ini.ReadString("Data", "k39", "").substr(0, std::to_string(lastGen).size() + 1),
              std::to_string(lastGen) + "-");
    auto names = dir.List();
    EXPECT_EQ(std::count_if(names.begin(), names.end(), IsTempName), 0);
}

TEST(IniSafety, TwoProcessesWritingDifferentKeysLoseNothing)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    const int writes = testing_rounds::Rounds(500, 150);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = ::fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            ::close(gate[1]);
            char c;
            (void)!::read(gate[0], &c, 1); // both start when the parent closes the gate
            try {
                for (int i = 0; i < writes; ++i)
                    TNewIniFile(name).WriteString("Keys", "w" + std::to_string(w) + "_" + std::to_string(i),
                                                  std::to_string(i * 2 + w));
            } catch (...) {
                ::_exit(3);
            }
            ::_exit(0);
        }
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t c : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(c, &status, 0), c);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    TNewIniFile ini(name);
    auto keys = ini.ReadSection("Keys");
    EXPECT_EQ(keys.size(), std::size_t(2 * writes));
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < writes; ++i)
            ASSERT_EQ(ini.ReadString("Keys", "w" + std::to_string(w) + "_" + std::to_string(i), "lost"),
                      std::to_string(i * 2 + w));
}

// Every kind of write, each of which would change the file.
const std::vector<std::pair<const char*, std::function<void(TNewIniFile&)>>>& ChangingWrites()
{
    static const std::vector<std::pair<const char*, std::function<void(TNewIniFile&)>>> writes = {
        {"new key", [](TNewIniFile& f) { f.WriteString("Location", "Left", "5"); }},
        {"changed key", [](TNewIniFile& f) { f.WriteString("Location", "Top", "99"); }},
        {"new section", [](TNewIniFile& f) { f.WriteInteger("Pages", "Count", 3); }},
        {"erase key", [](TNewIniFile& f) { f.EraseKey("Location", "Top"); }},
        {"erase section", [](TNewIniFile& f) { f.EraseSection("Location"); }},
    };
    return writes;
}

const char* const kContent = "[Location]\nTop=10\n";

// Runs every changing write and answers the first mismatch, or "" when each one was
// refused with exactly "Unable to write to <file>".
std::string RefusalProblems(const std::string& name)
{
    for (const auto& [what, write] : ChangingWrites()) {
        try {
            TNewIniFile f(name);
            write(f);
            return std::string(what) + ": not refused";
        } catch (const EIniWriteError& e) {
            if (e.what() != "Unable to write to " + name || e.FileName() != name)
                return std::string(what) + ": wrong text \"" + e.what() + "\"";
        } catch (const std::exception& e) {
            return std::string(what) + ": other error \"" + e.what() + "\"";
        }
    }
    return "";
}

TEST(IniSafety, ReadOnlyFileRefusesEveryChangeAndLosesNothing)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI");
    WriteBytes(name, kContent);
    ASSERT_EQ(::chmod(name.c_str(), 0444), 0);
    EXPECT_EQ(RefusalProblems(name), "");
    EXPECT_EQ(ReadBytes(name), kContent);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"KX.INI"}) << "a temporary or lock file was left";
    // Reading goes on, and writes that change nothing are no error.
    EXPECT_EQ(TNewIniFile(name).ReadInteger("Location", "Top", 0), 10);
    EXPECT_NO_THROW(TNewIniFile(name).EraseKey("Location", "Missing"));
    EXPECT_NO_THROW(TNewIniFile(name).WriteString("Location", "Top", "10"));
    EXPECT_EQ(ReadBytes(name), kContent);
}

TEST(IniSafety, ReadOnlyDirectoryRefusesEveryChangeAndLosesNothing)
{
    TempDir dir;
    const std::string name = dir.File("KX.INI"), missing = dir.File("KXother.INI");
    WriteBytes(name, kContent);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    EXPECT_EQ(RefusalProblems(name), "");
    try {
        TNewIniFile(missing).WriteString("Location", "Top", "1");
        ADD_FAILURE() << "not refused";
    } catch (const EIniWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + missing).c_str());
    }
    EXPECT_EQ(ReadBytes(name), kContent);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"KX.INI"}) << "a temporary or lock file was left";
}

// Runs `body` in a child that has become uid/gid 65534; answers what it reported.
std::string AsNobody(const std::function<std::string()>& body)
{
    int report[2];
    if (::pipe(report) != 0)
        return "no pipe";
    pid_t child = ::fork();
    if (child < 0)
        return "no fork";
    if (child == 0) {
        ::close(report[0]);
        std::string problems;
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            problems = "cannot drop to uid 65534";
        else
            problems = body();
        (void)!::write(report[1], problems.data(), problems.size());
        ::_exit(0);
    }
    ::close(report[1]);
    std::string problems;
    char buf[512];
    for (ssize_t n; (n = ::read(report[0], buf, sizeof buf)) > 0;)
        problems.append(buf, std::size_t(n));
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        problems += " the child crashed, status " + std::to_string(status);
    return problems;
}

TEST(IniSafety, RootEditingAUsersFileLeavesItWritableForTheUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    TempDir dir;
    ASSERT_EQ(::chown(dir.Path().c_str(), 65534, 65534), 0);
    const std::string name = dir.File("KX.INI");
    WriteBytes(name, kContent);
    ASSERT_EQ(::chown(name.c_str(), 65534, 65534), 0);
    TNewIniFile(name).WriteString("Location", "Left", "1"); // root, e.g. through kexbar-config
    EXPECT_EQ(AsNobody([&]() -> std::string {
                  try {
                      TNewIniFile(name).WriteString("Location", "Left", "2");
                      return "";
                  } catch (const std::exception& e) {
                      return e.what();
                  }
              }),
              "");
    EXPECT_EQ(ReadBytes(name), "[Location]\nTop=10\nLeft=2\n");
}

TEST(IniSafety, UserWithoutWritePermissionGetsTheErrorNotACrash)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0); // root's directory, open to read
    const std::string name = dir.File("KX.INI"), missing = dir.File("KXnew.INI");
    WriteBytes(name, kContent);
    ASSERT_EQ(::chmod(name.c_str(), 0644), 0);
    EXPECT_EQ(AsNobody([&] {
                  std::string problems = RefusalProblems(name);
                  try {
                      TNewIniFile(missing).WriteString("Location", "Top", "1");
                      problems += " new file: not refused";
                  } catch (const EIniWriteError& e) {
                      if (e.what() != "Unable to write to " + missing)
                          problems += std::string(" new file: wrong text ") + e.what();
                  } catch (...) {
                      problems += " new file: other error";
                  }
                  return problems;
              }),
              "");
    EXPECT_EQ(ReadBytes(name), kContent);
    EXPECT_FALSE(Exists(missing));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"KX.INI"});
}

} // namespace
} // namespace kex
