// Windows programs: any bytes give a count and, for each index, an image or nothing.
#include "core/launch/IconReaders.h"

#include <cstdint>
#include <cstdlib>

using namespace kex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryByteSource src(std::span<const std::uint8_t>(data, size));
    const int count = PeIconCount(src);
    if (count < 0)
        std::abort();
    // The first few icons, one past the end and a negative index.
    for (int i = -1; i <= count && i < 4; ++i) {
        auto image = ReadPeIcon(src, i);
        if (image && (i < 0 || i >= count))
            std::abort();
        if (image && !image->IsPng()
            && image->pixels.argb.size() != std::size_t(image->pixels.width) * std::size_t(image->pixels.height))
            std::abort();
    }
    return 0;
}
