// Shell links: any bytes give a link or a refusal, never a crash, and no string of
// the result is longer than the input could hold.
#include "core/launch/ShellLink.h"

#include <cstdint>
#include <cstdlib>

using namespace kex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string why;
    const auto link = ParseShellLink(std::span(data, size), &why);
    if (!link) {
        if (why.empty())
            std::abort();
        return 0;
    }
    // UTF-8 takes at most three bytes for each input byte of a string.
    for (const std::string* s :
         {&link->Target, &link->WorkingDir, &link->Description, &link->Arguments, &link->IconLocation})
        if (s->size() > 3 * size)
            std::abort();
    return 0;
}
