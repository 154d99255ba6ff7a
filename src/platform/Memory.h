// The memory meter's figures: /proc/meminfo.
#pragma once

#include "core/meters/MeterServices.h"

namespace kex {

class LinuxMemory : public MemoryService {
public:
    std::string MemInfo() override;
};

// The whole of a small file of /proc or /sys (at most `limit` bytes); empty when it
// cannot be read.
std::string ReadKernelFile(const std::string& path, std::size_t limit = 1 << 20);

} // namespace kex
