// How many rounds a long loop of a test makes (kill and fork loops, big sweeps): the
// quick count in the everyday run, the full count when KEXBAR_FULL_ROUNDS is set to
// anything but "" or "0" (`KEXBAR_FULL_ROUNDS=1 bash scripts/test.sh`).
#pragma once

#include <cstdlib>
#include <string_view>

namespace testing_rounds {

inline bool Full()
{
    const char* value = std::getenv("KEXBAR_FULL_ROUNDS");
    return value && std::string_view(value) != "" && std::string_view(value) != "0";
}

inline int Rounds(int full, int quick) { return Full() ? full : quick; }

} // namespace testing_rounds
