#include "core/window/Activation.h"

#include "core/pages/PageShift.h"

#include <cstring>

namespace kex {

namespace {

constexpr std::size_t kMaxBusNameLength = 255;
constexpr const char* kHex = "0123456789ABCDEF";

bool AsciiAlnum(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

std::string Hex64(std::uint64_t value)
{
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        out[std::size_t(i)] = kHex[value & 0xF];
    return out;
}

} // namespace

int MaxActivationButton() { return kMaxPageCount * kMaxButtonsPerPage; }
int MaxActivationPage() { return kMaxPageCount; }

std::uint64_t StableHash(const std::string& bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string ActivationBusName(const std::string& suffix, const std::string& configDir)
{
    const std::string directory = "D" + Hex64(StableHash(configDir));
    // Room left for the suffix's element between the two dots.
    const std::size_t room = kMaxBusNameLength - std::strlen(kActivationInterface) - 2 - directory.size();
    std::string element = "S";
    for (unsigned char c : suffix) {
        if (AsciiAlnum(c)) {
            element += char(c);
        } else {
            element += '_';
            element += kHex[c >> 4];
            element += kHex[c & 0xF];
        }
        if (element.size() > room)
            break;
    }
    if (element.size() > room)
        element = "H" + Hex64(StableHash(suffix));
    return std::string(kActivationInterface) + "." + element + "." + directory;
}

} // namespace kex
