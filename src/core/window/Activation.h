// Requests that one `kexbar` hands to the bar already running on its configuration
// (launch a button, show a page, switch full and small, show the bar), and the session
// bus name under which that bar answers them.
#pragma once

#include <cstdint>
#include <string>

namespace kex {

enum class ActivationKind { Activate, ShowPage, Toggle, Show };

struct ActivationRequest {
    ActivationKind Kind = ActivationKind::Show;
    // The button (Activate, numbered from 1 across the pages) or the page (ShowPage,
    // from 1); 0 for the others.
    int Number = 0;
    bool operator==(const ActivationRequest&) const = default;
};

// The largest button and page numbers a request may name: a bar of the most pages,
// 21 buttons each. A running bar narrows them to what it holds.
int MaxActivationButton();
int MaxActivationPage();

// The interface, its object and the first part of every bar's name on the session bus.
inline constexpr const char* kActivationInterface = "io.github.kexbar.Kexbar";
inline constexpr const char* kActivationPath = "/io/github/kexbar/Kexbar";

// The bar's well-known name: kActivationInterface + "." + the suffix's element + "."
// + the directory's element. The suffix's element is "S" followed by the suffix with
// every byte other than an ASCII letter or digit written as "_" and two upper-case hex
// digits (so "de.sk" is "Sde_2Esk" and "de_sk" is "Sde_5Fsk": no two suffixes share
// one); a suffix whose element would not fit the bus's 255 characters is "H" and the
// 64-bit hash of its bytes in hex. The directory's element is "D" and the 64-bit hash
// of the configuration directory's path (as given: the caller makes it canonical), so
// that bars of one suffix in different directories do not answer for each other.
std::string ActivationBusName(const std::string& suffix, const std::string& configDir);

// FNV-1a, 64 bits: stable across builds and machines, unlike std::hash.
std::uint64_t StableHash(const std::string& bytes);

} // namespace kex
