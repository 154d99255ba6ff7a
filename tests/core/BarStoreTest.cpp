// The store's load: records, captions and layout from one read, and the tidying after
// a load on the file as loaded.
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "IniTestUtil.h"
#include "core/bar/BarStore.h"
#include "core/config/NewIniFile.h"

namespace kex {
namespace {

using testing::TempDir;

// Two pages of 16; button 2 has a name but no program (a stray), button 1 a program.
const char* kBar = "[Pages]\nCount=2\n\n[Programs]\nSpeedButton1=/bin/one\n\n[Names]\nSpeedButton2=left over\n";

TEST(BarStoreTest, TheLayoutNotedAfterALoadIsTheOneLoaded)
{
    struct Case {
        const char* what;
        std::function<void(TNewIniFile&)> meanwhile; // written between the load and its tidying
        bool strayErased;       // the stray's keys are gone
        bool notedMatchesFile;  // the freshness check finds the bar current
    } cases[] = {
        {"nobody wrote", nullptr, true, true},
        {"another bar filled the stray",
         [](TNewIniFile& ini) { ini.WriteString("Programs", "SpeedButton2", "/bin/two"); }, false, false},
        {"another program added a page", [](TNewIniFile& ini) { ini.WriteInteger("Pages", "Count", 3); }, false,
         false},
        {"a setting beside the pages changed", [](TNewIniFile& ini) { ini.WriteString("Location", "Top", "5"); },
         true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string file = dir.File("KX.INI");
        std::ofstream(file, std::ios::binary) << kBar;
        BarStore store(file);
        const BarContents contents = store.Contents(32);
        ASSERT_EQ(contents.strays, std::vector<int>{2});
        EXPECT_EQ(contents.pages, 2);
        EXPECT_TRUE(contents.layout == store.Layout());
        TNewIniFile other(file);
        if (c.meanwhile)
            c.meanwhile(other);
        const std::string written = TNewIniFile(file).Document().Serialize();
        const PageLayout noted = store.Tidy(contents.strays, {}, contents.layout);
        TNewIniFile after(file);
        EXPECT_EQ(after.ValueExists("Names", "SpeedButton2"), !c.strayErased);
        if (c.meanwhile && !c.strayErased) { // what the other writer put there stays
            EXPECT_EQ(after.Document().Serialize(), written);
        }
        EXPECT_EQ(noted == store.Layout(), c.notedMatchesFile);
    }
}

} // namespace
} // namespace kex
