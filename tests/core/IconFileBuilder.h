// Builds icon files in memory for the icon reader tests: bitmaps in the icon layout,
// .ico files, minimal Windows programs (PE32 and PE32+) with a resource section of
// icon groups, and small uncompressed PNG streams. Used by core and platform tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kex::testicons {

using Bytes = std::vector<std::uint8_t>;

inline void Put8(Bytes& b, std::uint32_t v) { b.push_back(std::uint8_t(v)); }
inline void Put16(Bytes& b, std::uint32_t v)
{
    Put8(b, v);
    Put8(b, v >> 8);
}
inline void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v);
    Put16(b, v >> 16);
}
inline void Set16(Bytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}
inline void Set32(Bytes& b, std::size_t at, std::uint32_t v)
{
    Set16(b, at, v);
    Set16(b, at + 2, v >> 16);
}
inline void PutBE32(Bytes& b, std::uint32_t v)
{
    Put8(b, v >> 24);
    Put8(b, v >> 16);
    Put8(b, v >> 8);
    Put8(b, v);
}

// An icon bitmap: header, palette, colour rows and mask rows, bottom-up (or top-down
// with `topDown`). `pixel(x, y)` gives, for row y counted from the top, a palette
// index (1, 4, 8 bits), a 5-5-5 value (16 bits) or 0xAARRGGBB (24, 32 bits);
// `masked(x, y)` sets the transparency bit.
inline Bytes Dib(int w, int h, int bpp, const std::vector<std::uint32_t>& palette,
                 const std::function<std::uint32_t(int, int)>& pixel,
                 const std::function<bool(int, int)>& masked = nullptr, bool topDown = false)
{
    Bytes b;
    Put32(b, 40);
    Put32(b, std::uint32_t(w));
    Put32(b, std::uint32_t(topDown ? -2 * h : 2 * h));
    Put16(b, 1);
    Put16(b, std::uint32_t(bpp));
    Put32(b, 0); // BI_RGB
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, std::uint32_t(palette.size()));
    Put32(b, 0);
    for (std::uint32_t c : palette)
        Put32(b, c & 0x00FFFFFF); // B, G, R, 0
    const int stride = ((w * bpp + 31) / 32) * 4;
    const int maskStride = ((w + 31) / 32) * 4;
    auto srcRow = [&](int r) { return topDown ? r : h - 1 - r; };
    for (int r = 0; r < h; ++r) {
        const int y = srcRow(r);
        Bytes row(std::size_t(stride), 0);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = pixel(x, y);
            switch (bpp) {
            case 1: row[std::size_t(x / 8)] |= std::uint8_t((v & 1) << (7 - x % 8)); break;
            case 4: row[std::size_t(x / 2)] |= std::uint8_t((v & 15) << (x % 2 ? 0 : 4)); break;
            case 8: row[std::size_t(x)] = std::uint8_t(v); break;
            case 16:
                row[std::size_t(x * 2)] = std::uint8_t(v);
                row[std::size_t(x * 2 + 1)] = std::uint8_t(v >> 8);
                break;
            case 24:
            case 32:
                for (int k = 0; k < bpp / 8; ++k)
                    row[std::size_t(x * bpp / 8 + k)] = std::uint8_t(v >> (8 * k)); // B G R (A)
                break;
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    for (int r = 0; r < h; ++r) {
        const int y = srcRow(r);
        Bytes row(std::size_t(maskStride), 0);
        for (int x = 0; x < w; ++x)
            if (masked && masked(x, y))
                row[std::size_t(x / 8)] |= std::uint8_t(1 << (7 - x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// A 32-bit icon bitmap of one colour (0xAARRGGBB).
inline Bytes SolidDib(int w, int h, std::uint32_t argb)
{
    return Dib(w, h, 32, {}, [argb](int, int) { return argb; });
}

inline std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// A PNG of one colour (0xAARRGGBB), RGBA, its image data in stored deflate blocks.
inline Bytes SolidPng(int w, int h, std::uint32_t argb)
{
    Bytes raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < w; ++x) {
            Put8(raw, argb >> 16);
            Put8(raw, argb >> 8);
            Put8(raw, argb);
            Put8(raw, argb >> 24);
        }
    }
    Bytes z = {0x78, 0x01};
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        Put8(z, pos + n == raw.size() ? 1 : 0);
        Put16(z, std::uint32_t(n));
        Put16(z, std::uint32_t(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + std::ptrdiff_t(pos), raw.begin() + std::ptrdiff_t(pos + n));
        pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBE32(z, (b << 16) | a);

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&png](const char* type, const Bytes& data) {
        PutBE32(png, std::uint32_t(data.size()));
        const std::size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        PutBE32(png, Crc32(png.data() + start, png.size() - start));
    };
    Bytes ihdr;
    PutBE32(ihdr, std::uint32_t(w));
    PutBE32(ihdr, std::uint32_t(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    return png;
}

// One image of an icon: its declared size and depth and its data (bitmap or PNG).
struct Image {
    int width = 32;
    int height = 32;
    int bitCount = 32;
    Bytes data;
};

inline Image SolidImage(int size, std::uint32_t argb) { return {size, size, 32, SolidDib(size, size, argb)}; }

inline void PutDirEntry(Bytes& b, const Image& im)
{
    Put8(b, im.width >= 256 ? 0 : std::uint32_t(im.width));
    Put8(b, im.height >= 256 ? 0 : std::uint32_t(im.height));
    Put8(b, 0); // colours
    Put8(b, 0);
    Put16(b, 1); // planes
    Put16(b, std::uint32_t(im.bitCount));
    Put32(b, std::uint32_t(im.data.size()));
}

inline Bytes BuildIco(const std::vector<Image>& images)
{
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, std::uint32_t(images.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const Image& im : images) {
        PutDirEntry(b, im);
        Put32(b, offset);
        offset += std::uint32_t(im.data.size());
    }
    for (const Image& im : images)
        b.insert(b.end(), im.data.begin(), im.data.end());
    return b;
}

// A Windows program with no code, one ".rsrc" section holding each group of `groups`
// as an RT_GROUP_ICON resource (ids 1, 2, ...) and its images as RT_ICON resources.
inline Bytes BuildPe(const std::vector<std::vector<Image>>& groups, bool pe32plus = false)
{
    constexpr std::uint32_t kRsrcRva = 0x1000, kRsrcFile = 0x200;
    std::vector<const Image*> icons;
    std::vector<Bytes> groupData;
    for (const auto& g : groups) {
        Bytes gd;
        Put16(gd, 0);
        Put16(gd, 1);
        Put16(gd, std::uint32_t(g.size()));
        for (const Image& im : g) {
            icons.push_back(&im);
            PutDirEntry(gd, im);
            Put16(gd, std::uint32_t(icons.size())); // the RT_ICON id
        }
        groupData.push_back(gd);
    }
    const std::size_t nIcons = icons.size(), nGroups = groups.size();
    // Layout of the section: root, two type directories, one language directory per
    // resource, one data entry per resource, then the data.
    const std::uint32_t root = 0;
    const std::uint32_t iconType = root + 16 + 2 * 8;
    const std::uint32_t groupType = iconType + 16 + std::uint32_t(nIcons) * 8;
    const std::uint32_t langDirs = groupType + 16 + std::uint32_t(nGroups) * 8;
    const std::uint32_t dataEntries = langDirs + std::uint32_t(nIcons + nGroups) * 24;
    std::uint32_t dataAt = dataEntries + std::uint32_t(nIcons + nGroups) * 16;

    Bytes r;
    auto dirHeader = [&r](std::size_t idEntries) {
        Put32(r, 0);
        Put32(r, 0);
        Put32(r, 0);
        Put16(r, 0);
        Put16(r, std::uint32_t(idEntries));
    };
    dirHeader(2);
    Put32(r, 3);
    Put32(r, 0x80000000u | iconType);
    Put32(r, 14);
    Put32(r, 0x80000000u | groupType);
    dirHeader(nIcons);
    for (std::size_t i = 0; i < nIcons; ++i) {
        Put32(r, std::uint32_t(i + 1));
        Put32(r, 0x80000000u | (langDirs + std::uint32_t(i) * 24));
    }
    dirHeader(nGroups);
    for (std::size_t i = 0; i < nGroups; ++i) {
        Put32(r, std::uint32_t(i + 1));
        Put32(r, 0x80000000u | (langDirs + std::uint32_t(nIcons + i) * 24));
    }
    for (std::size_t i = 0; i < nIcons + nGroups; ++i) {
        dirHeader(1);
        Put32(r, 0x409);
        Put32(r, dataEntries + std::uint32_t(i) * 16);
    }
    std::vector<const Bytes*> blobs;
    for (const Image* im : icons)
        blobs.push_back(&im->data);
    for (const Bytes& gd : groupData)
        blobs.push_back(&gd);
    for (const Bytes* blob : blobs) {
        Put32(r, kRsrcRva + dataAt);
        Put32(r, std::uint32_t(blob->size()));
        Put32(r, 0);
        Put32(r, 0);
        dataAt += (std::uint32_t(blob->size()) + 3) & ~3u;
    }
    for (const Bytes* blob : blobs) {
        r.insert(r.end(), blob->begin(), blob->end());
        while (r.size() % 4)
            r.push_back(0);
    }
    const std::uint32_t virtualSize = std::uint32_t(r.size());
    while (r.size() % 0x200)
        r.push_back(0);

    Bytes b(0x40, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Set32(b, 0x3C, 0x40);
    b.insert(b.end(), {'P', 'E', 0, 0});
    const std::uint32_t optionalSize = pe32plus ? 240 : 224;
    Put16(b, pe32plus ? 0x8664 : 0x14C);
    Put16(b, 1); // sections
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put16(b, optionalSize);
    Put16(b, 0x0102);
    const std::size_t opt = b.size();
    b.resize(opt + optionalSize, 0);
    Set16(b, opt, pe32plus ? 0x20B : 0x10B);
    const std::size_t countAt = opt + (pe32plus ? 108 : 92);
    Set32(b, countAt, 16);
    Set32(b, countAt + 4 + 2 * 8, kRsrcRva);
    Set32(b, countAt + 4 + 2 * 8 + 4, virtualSize);
    b.insert(b.end(), {'.', 'r', 's', 'r', 'c', 0, 0, 0});
    Put32(b, virtualSize);
    Put32(b, kRsrcRva);
    Put32(b, std::uint32_t(r.size()));
    Put32(b, kRsrcFile);
    Put32(b, 0);
    Put32(b, 0);
    Put16(b, 0);
    Put16(b, 0);
    Put32(b, 0x40000040);
    b.resize(kRsrcFile, 0);
    b.insert(b.end(), r.begin(), r.end());
    return b;
}

} // namespace kex::testicons
