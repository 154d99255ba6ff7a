// Icon files and icon bitmaps: any bytes give an image or nothing, within the caps.
#include "core/launch/IconReaders.h"

#include <cstdint>
#include <cstdlib>

using namespace kex;

namespace {

void CheckPixels(const IconPixels& px)
{
    if (px.width <= 0 || px.height <= 0 || px.width > kMaxIconDimension || px.height > kMaxIconDimension
        || px.argb.size() != std::size_t(px.width) * std::size_t(px.height))
        std::abort();
}

void CheckImage(const std::optional<IconImage>& image)
{
    if (!image)
        return;
    if (image->IsPng()) {
        auto size = PngSize(image->png);
        if (!size || size->first > kMaxPngIconDimension || size->second > kMaxPngIconDimension)
            std::abort();
    } else {
        CheckPixels(image->pixels);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    MemoryByteSource src(bytes);
    if (auto dir = ReadIcoDirectory(src)) {
        if (dir->empty() || dir->size() > std::size_t(kMaxIconDirEntries))
            std::abort();
        const int chosen = ChooseIconEntry(*dir);
        if (chosen < 0 || std::size_t(chosen) >= dir->size())
            std::abort();
    }
    CheckImage(ReadIcoIcon(src));
    if (auto px = DecodeIconDib(bytes))
        CheckPixels(*px);
    return 0;
}
