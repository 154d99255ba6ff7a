// Where the bar keeps its files: $KEXBAR_DIR made when its parent exists; one that
// cannot be used is reported and the default taken, so that nothing is lost silently.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempDir.h"
#include "platform/LinuxPlatform.h"

namespace {

TEST(AppDir, KexbarDirIsMadeWhenItsParentExistsElseTheDefaultIsReported)
{
    TempDir tmp;
    const std::string root = tmp.path().string();
    const std::string exeDir = root + "/exe/", configHome = root + "/config";
    std::ofstream(root + "/file") << "x";
    struct Case {
        const char* name;
        std::string kexbarDir;
        std::string expected;
        bool reported;
    };
    const std::vector<Case> cases = {
        {"existing", root, root + "/", false},
        {"missing, parent exists", root + "/new", root + "/new/", false},
        {"missing parent", root + "/no/such/dir", configHome + "/kexbar/", true},
        {"a file", root + "/file", configHome + "/kexbar/", true},
        {"unset", "", configHome + "/kexbar/", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string notice;
        EXPECT_EQ(kex::ResolveAppDir(exeDir, c.kexbarDir, configHome, &notice), c.expected);
        EXPECT_EQ(!notice.empty(), c.reported) << notice;
        if (c.reported) {
            EXPECT_NE(notice.find(c.kexbarDir), std::string::npos) << notice;
        }
        EXPECT_TRUE(std::filesystem::is_directory(c.expected));
    }
    EXPECT_FALSE(std::filesystem::exists(root + "/no"));
}

} // namespace
