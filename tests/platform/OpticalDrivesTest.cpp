// The optical drives read from a made-up /sys/block.
#include "platform/OpticalDrives.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace kex {
namespace {

struct Device {
    std::string name, type, dev; // empty type or dev: that file is missing
};

std::string Listed(const std::vector<Device>& devices)
{
    TempDir block("kex-sysblock");
    for (const Device& d : devices) {
        std::filesystem::create_directories(block.path() / d.name);
        if (!d.type.empty())
            Write(block.path() / d.name / "device" / "type", d.type + "\n");
        if (!d.dev.empty())
            Write(block.path() / d.name / "dev", d.dev + "\n");
    }
    std::string out;
    for (const OpticalDrive& drive : ListOpticalDrives(block.path().string()))
        out += drive.name
               + (drive.HasDevice() ? "=" + std::to_string(drive.major) + ":" + std::to_string(drive.minor)
                                    : std::string("=?"))
               + " ";
    return out;
}

TEST(OpticalDrivesTest, ListsCdDrivesInTheirOrder)
{
    struct Case {
        const char* what;
        std::vector<Device> devices;
        std::string listed;
    } cases[] = {
        {"none", {{"sda", "0", "8:0"}, {"loop0", "", "7:0"}}, ""},
        {"sr by number, not by name", {{"sr10", "5", "11:10"}, {"sr2", "5", "11:2"}}, "sr2=11:2 sr10=11:10 "},
        {"other type-5 devices after the sr ones, by name",
         {{"vdb", "5", "252:16"}, {"sr0", "5", "11:0"}, {"hdc", "5", "22:0"}},
         "sr0=11:0 hdc=22:0 vdb=252:16 "},
        {"an sr device is one whatever its type file says", {{"sr1", "", "11:1"}}, "sr1=11:1 "},
        {"names that only start like sr are not", {{"srx", "0", "1:1"}, {"sr", "0", "1:2"}}, ""},
        {"an unreadable device number is kept, without it",
         {{"sr0", "5", "garbage"}, {"sr1", "5", ""}},
         "sr0=? sr1=? "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Listed(c.devices), c.listed) << c.what;
}

TEST(OpticalDrivesTest, AMissingDirectoryListsNothing)
{
    EXPECT_TRUE(ListOpticalDrives("/nonexistent/sys/block").empty());
}

} // namespace
} // namespace kex
