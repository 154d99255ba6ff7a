#include "platform/OpticalDrives.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

namespace kex {

namespace {

// The first line of a small kernel file, without its trailing blanks.
std::string FirstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// "srN" gives N; other names give -1.
int SrNumber(const std::string& name)
{
    if (name.size() < 3 || name.size() > 9 || name.compare(0, 2, "sr") != 0)
        return -1;
    int n = 0;
    for (std::size_t i = 2; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

bool ParseDevice(const std::string& text, unsigned& major, unsigned& minor)
{
    char colon = 0;
    std::istringstream in(text);
    return bool(in >> major >> colon >> minor) && colon == ':';
}

} // namespace

std::vector<OpticalDrive> ListOpticalDrives(const std::string& sysBlock)
{
    namespace fs = std::filesystem;
    std::vector<std::pair<std::pair<int, std::string>, OpticalDrive>> found;
    std::error_code ec;
    for (fs::directory_iterator it(sysBlock, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const int number = SrNumber(name);
        if (number < 0 && FirstLine(it->path() / "device" / "type") != "5")
            continue;
        OpticalDrive drive{name};
        if (!ParseDevice(FirstLine(it->path() / "dev"), drive.major, drive.minor))
            drive.major = drive.minor = 0;
        found.push_back({{number < 0 ? INT_MAX : number, name}, std::move(drive)});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<OpticalDrive> drives;
    drives.reserve(found.size());
    for (auto& [key, drive] : found)
        drives.push_back(std::move(drive));
    return drives;
}

} // namespace kex
