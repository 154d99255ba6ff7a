// Desktop entries and Exec lines: any text parses or is refused without harm.
#include "core/launch/DesktopEntry.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace kex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto entry = ParseDesktopEntry(text)) {
        for (const std::string& arg : entry->Argv())
            if (arg.size() > entry->exec.size())
                std::abort();
    }
    std::size_t total = 0;
    for (const std::string& arg : SplitExec(text))
        total += arg.size();
    if (total > size)
        std::abort();
    return 0;
}
