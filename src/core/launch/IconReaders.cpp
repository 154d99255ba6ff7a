#include "core/launch/IconReaders.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace kex {

namespace {

std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::int32_t S32(const std::uint8_t* p) { return std::int32_t(U32(p)); }
std::uint32_t U32BE(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

// Reads n bytes at offset into a new buffer; nothing when out of range.
std::optional<std::vector<std::uint8_t>> ReadBytes(const ByteSource& src, std::uint64_t offset, std::size_t n)
{
    if (offset > src.Size() || n > src.Size() - offset)
        return std::nullopt;
    std::vector<std::uint8_t> buf(n);
    if (n && !src.Read(offset, buf.data(), n))
        return std::nullopt;
    return buf;
}

// The colour depth an entry stands for, for choosing among entries.
int EffectiveDepth(const IconDirEntry& e)
{
    if (e.bitCount > 0)
        return e.bitCount;
    if (e.colorCount == 2)
        return 1;
    if (e.colorCount > 0 && e.colorCount <= 16)
        return 4;
    return 8;
}

// An icon directory entry's 16 (.ico) or 14 (program) bytes, without the last field.
IconDirEntry EntryFromBytes(const std::uint8_t* p)
{
    IconDirEntry e;
    e.width = p[0] ? p[0] : 256;
    e.height = p[1] ? p[1] : 256;
    e.colorCount = p[2];
    e.bitCount = U16(p + 6);
    e.bytes = U32(p + 8);
    return e;
}

std::uint32_t Opaque(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return 0xFF000000u | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b;
}

} // namespace

// ---- byte sources

bool MemoryByteSource::Read(std::uint64_t offset, void* out, std::size_t n) const
{
    if (offset > bytes_.size() || n > bytes_.size() - offset)
        return false;
    if (n)
        std::memcpy(out, bytes_.data() + offset, n);
    return true;
}

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileByteSource>(new FileByteSource(fd, std::uint64_t(st.st_size)));
}

FileByteSource::~FileByteSource() { ::close(fd_); }

bool FileByteSource::Read(std::uint64_t offset, void* out, std::size_t n) const
{
    if (offset > size_ || n > size_ - offset)
        return false;
    auto* dst = static_cast<std::uint8_t*>(out);
    while (n > 0) {
        ssize_t got = ::pread(fd_, dst, n, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // an error, or the file shrank since it was opened
        dst += got;
        offset += std::uint64_t(got);
        n -= std::size_t(got);
    }
    return true;
}

// ---- choosing and decoding images

int ChooseIconEntry(std::span<const IconDirEntry> entries, int size)
{
    int best = -1;
    // Smaller is better. At the standard size: distance from size × size, then deeper
    // colour, then larger size. Above it (a high-density screen): the smallest image
    // that is at least that large, else the largest, then deeper colour.
    std::tuple<int, int, int> bestKey;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IconDirEntry& e = entries[i];
        const int area = e.width * e.height;
        std::tuple<int, int, int> key;
        if (size <= kStandardIconSize) {
            key = {std::abs(e.width - size) + std::abs(e.height - size), -EffectiveDepth(e), -area};
        } else {
            const bool large = e.width >= size && e.height >= size;
            key = {large ? 0 : 1, large ? area : -area, -EffectiveDepth(e)};
        }
        if (best < 0 || key < bestKey) {
            best = int(i);
            bestKey = key;
        }
    }
    return best;
}

bool IsPngData(std::span<const std::uint8_t> bytes)
{
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

std::optional<std::pair<int, int>> PngSize(std::span<const std::uint8_t> bytes)
{
    if (!IsPngData(bytes) || bytes.size() < 24 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    std::uint32_t w = U32BE(bytes.data() + 16), h = U32BE(bytes.data() + 20);
    if (w > 0x7FFFFFFF || h > 0x7FFFFFFF)
        return std::nullopt;
    return std::make_pair(int(w), int(h));
}

namespace {

// Whether a 32-bit colour image carries an alpha channel: any pixel's alpha byte set.
bool DibHasAlpha(const std::uint8_t* colour, std::uint64_t stride, int w, int h)
{
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = colour + std::uint64_t(y) * stride;
        for (int x = 0; x < w; ++x)
            if (row[x * 4 + 3] != 0)
                return true;
    }
    return false;
}

// The pixel at column x of a colour row of the given depth.
std::uint32_t DibPixel(int bpp, const std::uint8_t* row, int x, const std::uint32_t* palette, bool alpha)
{
    switch (bpp) {
    case 1: return palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4: return palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
    case 8: return palette[row[x]];
    case 16: {
        const std::uint16_t v = U16(row + x * 2);
        const std::uint8_t r = (v >> 10) & 0x1F, g = (v >> 5) & 0x1F, b = v & 0x1F;
        return Opaque(std::uint8_t((r << 3) | (r >> 2)), std::uint8_t((g << 3) | (g >> 2)),
                      std::uint8_t((b << 3) | (b >> 2)));
    }
    case 24: return Opaque(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    case 32: {
        const std::uint32_t px = Opaque(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
        return alpha ? (px & 0x00FFFFFFu) | (std::uint32_t(row[x * 4 + 3]) << 24) : px;
    }
    default: return 0;
    }
}

} // namespace

std::optional<IconPixels> DecodeIconDib(std::span<const std::uint8_t> dib)
{
    const std::uint64_t size = dib.size();
    if (size < 40)
        return std::nullopt;
    const std::uint8_t* d = dib.data();
    const std::uint32_t headerSize = U32(d);
    if (headerSize < 40 || headerSize > size)
        return std::nullopt;
    const std::int64_t width = S32(d + 4);
    const std::int64_t rawHeight = S32(d + 8);
    const int bpp = U16(d + 14);
    const std::uint32_t compression = U32(d + 16);
    const std::uint32_t colorsUsed = U32(d + 32);
    if (compression != 0) // BI_RGB only
        return std::nullopt;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return std::nullopt;
    // The height counts the colour rows and the mask rows; negative: rows top-down.
    const bool topDown = rawHeight < 0;
    const std::int64_t height = (topDown ? -rawHeight : rawHeight) / 2;
    if (width <= 0 || width > kMaxIconDimension || height <= 0 || height > kMaxIconDimension)
        return std::nullopt;
    if (colorsUsed > 256)
        return std::nullopt;

    std::uint64_t paletteCount = 0;
    if (bpp <= 8)
        paletteCount = colorsUsed ? colorsUsed : (1u << bpp);
    else
        paletteCount = colorsUsed; // an optional colour table for display, skipped
    const std::uint64_t paletteOffset = headerSize;
    const std::uint64_t xorOffset = paletteOffset + paletteCount * 4;
    const std::uint64_t xorStride = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
    const std::uint64_t maskStride = ((std::uint64_t(width) + 31) / 32) * 4;
    const std::uint64_t maskOffset = xorOffset + xorStride * std::uint64_t(height);
    if (maskOffset + maskStride * std::uint64_t(height) > size)
        return std::nullopt;

    std::uint32_t palette[256] = {};
    if (bpp <= 8)
        for (std::uint64_t i = 0; i < paletteCount; ++i) {
            const std::uint8_t* q = d + paletteOffset + i * 4;
            palette[i] = Opaque(q[2], q[1], q[0]);
        }

    const int w = int(width), h = int(height);
    IconPixels out;
    out.width = w;
    out.height = h;
    out.argb.assign(std::size_t(w) * std::size_t(h), 0);

    const bool alpha = bpp == 32 && DibHasAlpha(d + xorOffset, xorStride, w, h);

    for (int y = 0; y < h; ++y) {
        const int srcRow = topDown ? y : h - 1 - y;
        const std::uint8_t* row = d + xorOffset + std::uint64_t(srcRow) * xorStride;
        const std::uint8_t* mask = d + maskOffset + std::uint64_t(srcRow) * maskStride;
        std::uint32_t* dst = out.argb.data() + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x) {
            std::uint32_t px = DibPixel(bpp, row, x, palette, alpha);
            const bool masked = (mask[x >> 3] >> (7 - (x & 7))) & 1;
            if (!alpha && masked)
                px = 0;
            dst[x] = px;
        }
    }
    return out;
}

std::optional<IconImage> IconImageFromData(std::vector<std::uint8_t> data)
{
    IconImage image;
    if (IsPngData(data)) {
        auto size = PngSize(data);
        if (!size || size->first <= 0 || size->second <= 0 || size->first > kMaxPngIconDimension
            || size->second > kMaxPngIconDimension)
            return std::nullopt;
        image.png = std::move(data);
        return image;
    }
    auto pixels = DecodeIconDib(data);
    if (!pixels)
        return std::nullopt;
    image.pixels = std::move(*pixels);
    return image;
}

// ---- .ico files

bool LooksLikeIco(const ByteSource& src)
{
    std::uint8_t h[6];
    return src.Read(0, h, 6) && U16(h) == 0 && U16(h + 2) == 1 && U16(h + 4) > 0;
}

std::optional<std::vector<IconDirEntry>> ReadIcoDirectory(const ByteSource& src)
{
    if (!LooksLikeIco(src))
        return std::nullopt;
    std::uint8_t h[6];
    src.Read(0, h, 6);
    const int count = U16(h + 4);
    if (count > kMaxIconDirEntries)
        return std::nullopt;
    auto raw = ReadBytes(src, 6, std::size_t(count) * 16);
    if (!raw)
        return std::nullopt;
    std::vector<IconDirEntry> entries;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* p = raw->data() + i * 16;
        IconDirEntry e = EntryFromBytes(p);
        e.offset = U32(p + 12);
        // An entry that reaches past the end: the file is cut short or broken.
        if (e.bytes == 0 || e.offset > src.Size() || e.bytes > src.Size() - e.offset)
            return std::nullopt;
        if (e.bytes <= kMaxIconImageBytes)
            entries.push_back(e);
    }
    if (entries.empty())
        return std::nullopt;
    return entries;
}

std::optional<IconImage> ReadIcoIcon(const ByteSource& src, int size)
{
    auto entries = ReadIcoDirectory(src);
    if (!entries)
        return std::nullopt;
    const IconDirEntry& e = (*entries)[std::size_t(ChooseIconEntry(*entries, size))];
    auto data = ReadBytes(src, e.offset, e.bytes);
    if (!data)
        return std::nullopt;
    return IconImageFromData(std::move(*data));
}

// ---- Windows programs and libraries

namespace {

constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr int kMaxSections = 256;
// Entries of one resource directory beyond this are taken as a broken file.
constexpr std::uint32_t kMaxResourceEntries = 16384;

struct Section {
    std::uint32_t va = 0, rawSize = 0, rawOffset = 0;
};

struct ResourceEntry {
    std::uint32_t name = 0;   // id, or a name offset with the high bit set
    std::uint32_t target = 0; // offset within the resource section; high bit: directory
    bool IsNamed() const { return name & 0x80000000u; }
    bool IsDirectory() const { return target & 0x80000000u; }
    std::uint32_t Offset() const { return target & 0x7FFFFFFFu; }
};

// The parts of a PE file that lead to its resources.
class PeResources {
public:
    explicit PeResources(const ByteSource& src) : src_(src) {}

    bool Load()
    {
        std::uint8_t dos[64];
        if (!src_.Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
            return false;
        const std::uint64_t pe = U32(dos + 0x3C);
        std::uint8_t coff[24];
        if (!src_.Read(pe, coff, sizeof coff) || std::memcmp(coff, "PE\0\0", 4) != 0)
            return false;
        const int sectionCount = U16(coff + 6);
        const std::uint32_t optionalSize = U16(coff + 20);
        if (sectionCount == 0 || sectionCount > kMaxSections)
            return false;
        auto opt = ReadBytes(src_, pe + 24, optionalSize);
        if (!opt || optionalSize < 2)
            return false;
        std::uint32_t countAt = 0;
        switch (U16(opt->data())) {
        case 0x10B: countAt = 92; break;  // PE32
        case 0x20B: countAt = 108; break; // PE32+
        default: return false;
        }
        const std::uint32_t dirsAt = countAt + 4;
        if (optionalSize < dirsAt + 3 * 8 || U32(opt->data() + countAt) < 3)
            return false;
        rsrcRva_ = U32(opt->data() + dirsAt + 2 * 8);
        if (rsrcRva_ == 0)
            return true; // a program without resources

        auto table = ReadBytes(src_, pe + 24 + optionalSize, std::size_t(sectionCount) * 40);
        if (!table)
            return false;
        for (int i = 0; i < sectionCount; ++i) {
            const std::uint8_t* s = table->data() + i * 40;
            sections_.push_back({U32(s + 12), U32(s + 16), U32(s + 20)});
        }
        // The resource section must be whole: a file cut short has no icons.
        const Section* rs = SectionOf(rsrcRva_);
        if (!rs || std::uint64_t(rs->rawOffset) + rs->rawSize > src_.Size())
            return false;
        rsrcOffset_ = std::uint64_t(rs->rawOffset) + (rsrcRva_ - rs->va);
        rsrcLimit_ = std::uint64_t(rs->rawOffset) + rs->rawSize;
        hasResources_ = true;
        return true;
    }

    bool HasResources() const { return hasResources_; }

    // The entries of the directory at `offset` within the resource section.
    std::optional<std::vector<ResourceEntry>> Directory(std::uint32_t offset) const
    {
        auto head = ReadRsrc(offset, 16);
        if (!head)
            return std::nullopt;
        const std::uint32_t count = std::uint32_t(U16(head->data() + 12)) + U16(head->data() + 14);
        if (count > kMaxResourceEntries)
            return std::nullopt;
        auto raw = ReadRsrc(std::uint64_t(offset) + 16, std::size_t(count) * 8);
        if (!raw)
            return std::nullopt;
        std::vector<ResourceEntry> entries(count);
        for (std::uint32_t i = 0; i < count; ++i)
            entries[i] = {U32(raw->data() + i * 8), U32(raw->data() + i * 8 + 4)};
        return entries;
    }

    // The subdirectory of the root for a numbered resource type.
    std::optional<std::vector<ResourceEntry>> TypeDirectory(std::uint32_t type) const
    {
        auto root = Directory(0);
        if (!root)
            return std::nullopt;
        for (const ResourceEntry& e : *root)
            if (!e.IsNamed() && e.name == type)
                return e.IsDirectory() ? Directory(e.Offset()) : std::nullopt;
        return std::nullopt;
    }

    // The data of a resource's name entry: its first language.
    std::optional<std::vector<std::uint8_t>> Data(const ResourceEntry& nameEntry, std::uint32_t maxBytes) const
    {
        if (!nameEntry.IsDirectory())
            return std::nullopt;
        auto languages = Directory(nameEntry.Offset());
        if (!languages || languages->empty() || (*languages)[0].IsDirectory())
            return std::nullopt;
        auto dataEntry = ReadRsrc((*languages)[0].Offset(), 16);
        if (!dataEntry)
            return std::nullopt;
        const std::uint32_t rva = U32(dataEntry->data()), size = U32(dataEntry->data() + 4);
        if (size == 0 || size > maxBytes)
            return std::nullopt;
        const Section* s = SectionOf(rva);
        if (!s || size > s->rawSize - (rva - s->va))
            return std::nullopt;
        return ReadBytes(src_, std::uint64_t(s->rawOffset) + (rva - s->va), size);
    }

private:
    // The section whose file data holds this address.
    const Section* SectionOf(std::uint32_t rva) const
    {
        for (const Section& s : sections_)
            if (rva >= s.va && rva - s.va < s.rawSize)
                return &s;
        return nullptr;
    }

    std::optional<std::vector<std::uint8_t>> ReadRsrc(std::uint64_t offset, std::size_t n) const
    {
        const std::uint64_t at = rsrcOffset_ + offset;
        if (at > rsrcLimit_ || n > rsrcLimit_ - at)
            return std::nullopt;
        return ReadBytes(src_, at, n);
    }

    const ByteSource& src_;
    std::vector<Section> sections_;
    std::uint32_t rsrcRva_ = 0;
    std::uint64_t rsrcOffset_ = 0, rsrcLimit_ = 0;
    bool hasResources_ = false;
};

} // namespace

bool LooksLikePe(const ByteSource& src)
{
    std::uint8_t dos[64], sig[4];
    return src.Read(0, dos, sizeof dos) && dos[0] == 'M' && dos[1] == 'Z' && src.Read(U32(dos + 0x3C), sig, 4)
           && std::memcmp(sig, "PE\0\0", 4) == 0;
}

int PeIconCount(const ByteSource& src)
{
    PeResources pe(src);
    if (!pe.Load() || !pe.HasResources())
        return 0;
    auto groups = pe.TypeDirectory(kRtGroupIcon);
    return groups ? int(groups->size()) : 0;
}

std::optional<IconImage> ReadPeIcon(const ByteSource& src, int index, int size)
{
    PeResources pe(src);
    if (index < 0 || !pe.Load() || !pe.HasResources())
        return std::nullopt;
    auto groups = pe.TypeDirectory(kRtGroupIcon);
    if (!groups || std::size_t(index) >= groups->size())
        return std::nullopt;
    auto group = pe.Data((*groups)[std::size_t(index)], 6 + 14 * kMaxIconDirEntries);
    if (!group || group->size() < 6 || U16(group->data()) != 0 || U16(group->data() + 2) != 1)
        return std::nullopt;
    const std::size_t count = U16(group->data() + 4);
    if (count == 0 || 6 + 14 * count > group->size())
        return std::nullopt;
    std::vector<IconDirEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = group->data() + 6 + 14 * i;
        IconDirEntry e = EntryFromBytes(p);
        e.id = U16(p + 12);
        entries.push_back(e);
    }
    const IconDirEntry& chosen = entries[std::size_t(ChooseIconEntry(entries, size))];

    auto icons = pe.TypeDirectory(kRtIcon);
    if (!icons)
        return std::nullopt;
    for (const ResourceEntry& e : *icons)
        if (!e.IsNamed() && e.name == chosen.id) {
            auto data = pe.Data(e, kMaxIconImageBytes);
            if (!data)
                return std::nullopt;
            return IconImageFromData(std::move(*data));
        }
    return std::nullopt;
}

} // namespace kex
