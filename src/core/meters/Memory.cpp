#include "core/meters/Memory.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace kex {

namespace {

// The kB figures of the lines "Name:   12345 kB".
std::map<std::string_view, std::uint64_t> MemInfoFields(std::string_view text)
{
    std::map<std::string_view, std::uint64_t> fields;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::size_t i = colon + 1;
        while (i < line.size() && line[i] == ' ')
            ++i;
        std::uint64_t value = 0;
        bool digits = false;
        for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            if (value > (UINT64_MAX - 9) / 10)
                break;
            value = value * 10 + std::uint64_t(line[i] - '0');
            digits = true;
        }
        if (digits)
            fields.emplace(line.substr(0, colon), value);
    }
    return fields;
}

} // namespace

std::optional<MemoryFigures> ParseMemInfo(std::string_view text)
{
    const auto fields = MemInfoFields(text);
    auto field = [&](std::string_view name) -> std::optional<std::uint64_t> {
        auto it = fields.find(name);
        return it == fields.end() ? std::nullopt : std::optional(it->second);
    };
    const std::optional<std::uint64_t> total = field("MemTotal");
    if (!total || *total == 0 || *total > UINT64_MAX / 1024)
        return std::nullopt;
    std::uint64_t available = 0;
    if (std::optional<std::uint64_t> a = field("MemAvailable"))
        available = *a;
    else
        available = field("MemFree").value_or(0) + field("Buffers").value_or(0) + field("Cached").value_or(0);
    available = std::min(available, *total);
    MemoryFigures m;
    const auto used = static_cast<unsigned __int128>(*total - available);
    m.load = int((used * 200 + *total) / (static_cast<unsigned __int128>(*total) * 2));
    m.totalBytes = *total * 1024;
    return m;
}

MemoryMeter::MemoryMeter(MemoryService& system, std::string groupSeparator)
    : system_(system), separator_(std::move(groupSeparator))
{
}

std::optional<GaugeReading> MemoryMeter::SysResource()
{
    const std::optional<MemoryFigures> m = ParseMemInfo(system_.MemInfo());
    if (!m)
        return std::nullopt;
    GaugeReading r;
    r.progress = m->load;
    r.hint = "Memory Load " + std::to_string(m->load) + "%: Total RAM " + FormatThousands(m->totalBytes, separator_);
    r.color = GaugeColorFor(MeterKind::Memory, m->load);
    return r;
}

} // namespace kex
