#include "core/meters/Readings.h"

namespace kex {

GaugeColor GaugeColorFor(MeterKind kind, int progress)
{
    if (kind == MeterKind::Memory)
        return progress >= 96 ? GaugeColor::Red : progress >= 85 ? GaugeColor::Yellow : GaugeColor::Lime;
    return progress >= 50 ? GaugeColor::Lime : progress >= 21 ? GaugeColor::Yellow : GaugeColor::Red;
}

std::string FormatThousands(std::uint64_t value, std::string_view separator)
{
    const std::string digits = std::to_string(value);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 * separator.size());
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

} // namespace kex
