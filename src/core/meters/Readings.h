// What a meter gives the gauge panel: the gauge's value, its label, its colour and
// the first lines of its hint (the panel adds its own hint suffix), and the "#,##0"
// number form of the hints.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kex {

enum class GaugeColor : std::uint8_t { Lime, Yellow, Red };
enum class MeterKind : std::uint8_t { Drive, Memory };

// A drive's free-space percentage: 50 and above lime, 21 to 49 yellow, 20 and below
// red. A memory load: 96 and above red, 85 to 95 yellow, 84 and below lime.
GaugeColor GaugeColorFor(MeterKind kind, int progress);

struct GaugeReading {
    int progress = 0;         // 0 to 100
    std::string progressText; // shown beside the percentage ("C : 45%"); empty for the percentage alone
    std::string hint;         // without the panel's suffix
    GaugeColor color = GaugeColor::Lime;
    bool operator==(const GaugeReading&) const = default;
};

// The number in whole digits with a separator between groups of three ("#,##0");
// the separator is the user's locale's (UTF-8, may be empty or several bytes).
std::string FormatThousands(std::uint64_t value, std::string_view separator);

} // namespace kex
