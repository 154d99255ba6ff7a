// Command lines: any text splits without harm, and a quoted path splits back to
// itself, alone, as the program of a command line and among other files.
#include "core/launch/CommandLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace kex;

namespace {
void Check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words = SplitCommandLine(text);
    std::size_t total = 0;
    for (const std::string& w : words)
        total += w.size();
    Check(total <= size);

    // The whole input taken as one path, and every word as a path of its own.
    std::vector<std::string> paths;
    if (!text.empty())
        paths.emplace_back(text);
    for (std::string& w : words)
        if (!w.empty())
            paths.push_back(std::move(w));
    for (const std::string& path : paths) {
        const std::string quoted = ShortPathOf(path);
        Check(SplitCommandLine(quoted) == std::vector<std::string>{path});
        Check(ProgramOf(quoted + " --option") == path);
    }
    Check(SplitCommandLine(FilesParameterList(paths)) == paths);
    return 0;
}
