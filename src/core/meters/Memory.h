// The memory meter: the memory load and the total memory from the kernel's figures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/meters/MeterServices.h"
#include "core/meters/Readings.h"

namespace kex {

struct MemoryFigures {
    int load = 0;                 // per cent in use: 100 - 100 x available / total, rounded
    std::uint64_t totalBytes = 0; // MemTotal x 1024
    bool operator==(const MemoryFigures&) const = default;
};

// From the text of /proc/meminfo. The available memory is "MemAvailable", or on
// kernels without it free + buffers + page cache. Nothing without a total.
std::optional<MemoryFigures> ParseMemInfo(std::string_view text);

// The memory gauge's source.
class MemoryMeter {
public:
    MemoryMeter(MemoryService& system, std::string groupSeparator);
    // The load as the gauge's percentage alone, its colour, and the hint "Memory Load
    // 40%: Total RAM 16,777,216". Nothing when the figures cannot be read.
    std::optional<GaugeReading> SysResource();

private:
    MemoryService& system_;
    std::string separator_;
};

} // namespace kex
