// Icons from files, read without any operating-system or window call: Windows icon
// files (.ico), the icon groups of Windows programs and libraries (PE .exe/.dll,
// 32 and 64 bit), and the device-independent bitmaps they hold.
//
// Every reader works on a ByteSource, checks every offset and size against it and
// caps what it allocates, so a malformed, truncated or hostile file gives "no icon"
// (an empty optional or a count of 0), never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kex {

// Random-access bytes: a file or a buffer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads exactly n bytes at offset; false when the range lies outside the source
    // or the read fails.
    virtual bool Read(std::uint64_t offset, void* out, std::size_t n) const = 0;
};

// Bytes in memory; the span must outlive the source.
class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t offset, void* out, std::size_t n) const override;

private:
    std::span<const std::uint8_t> bytes_;
};

// A regular file, read with pread; only the bytes a reader asks for are read.
class FileByteSource : public ByteSource {
public:
    // Null when the path is not a regular file or cannot be opened.
    static std::unique_ptr<FileByteSource> Open(const std::string& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, void* out, std::size_t n) const override;

private:
    FileByteSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    int fd_;
    std::uint64_t size_;
};

// Decoded pixels: row 0 at the top, each pixel 0xAARRGGBB with straight (not
// premultiplied) alpha, the layout of QImage::Format_ARGB32.
struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

// One icon image as the file stores it: PNG bytes (the compressed entries of newer
// icons) or pixels decoded from a bitmap.
struct IconImage {
    std::vector<std::uint8_t> png; // not empty: the image is this PNG stream
    IconPixels pixels;             // otherwise: the decoded bitmap
    bool IsPng() const { return !png.empty(); }
};

// One entry of an icon directory (.ico ICONDIR or a program's GRPICONDIR), with the
// sizes it declares: width and height 1..256 (a stored 0 means 256), bit depth 0 when
// the file gives none.
struct IconDirEntry {
    int width = 0;
    int height = 0;
    int colorCount = 0;
    int bitCount = 0;
    std::uint32_t bytes = 0;  // size of the image data
    std::uint32_t offset = 0; // .ico: file offset of the image data
    std::uint16_t id = 0;     // program: the RT_ICON resource id
};

// Limits of the readers: larger or more is taken as a broken file.
inline constexpr int kMaxIconDimension = 256;                 // bitmap images
inline constexpr int kMaxPngIconDimension = 1024;             // PNG images
inline constexpr std::uint32_t kMaxIconImageBytes = 4u << 20; // one image's data
inline constexpr int kMaxIconDirEntries = 512;                // entries of one directory

// The standard icon size of the bar's buttons, in logical pixels.
inline constexpr int kStandardIconSize = 32;

// The entry to show at `size` × `size` pixels. At the standard size (or below): an
// exact match first, then the nearest size (the larger of two equally near), then the
// higher colour depth. Above it, as a high-density screen needs: the smallest image at
// least that large, else the largest, then the higher colour depth. Index into
// `entries`; -1 when empty.
int ChooseIconEntry(std::span<const IconDirEntry> entries, int size = kStandardIconSize);

// Whether the bytes begin with the PNG signature.
bool IsPngData(std::span<const std::uint8_t> bytes);

// Width and height from a PNG stream's IHDR; nothing when it is no PNG.
std::optional<std::pair<int, int>> PngSize(std::span<const std::uint8_t> bytes);

// Decodes an icon bitmap: a BITMAPINFOHEADER (or a larger version of it) whose height
// counts the colour (XOR) rows and the transparency (AND) mask rows, then the palette,
// the colour rows and the mask rows, all bottom-up. 1, 4, 8, 16 (5-5-5), 24 and 32 bits
// per pixel, uncompressed. 32-bit images use their alpha channel when any pixel has
// one, otherwise the mask; all others use the mask (a set bit is transparent).
std::optional<IconPixels> DecodeIconDib(std::span<const std::uint8_t> dib);

// An image's data (PNG or bitmap) turned into an IconImage; nothing when broken.
std::optional<IconImage> IconImageFromData(std::vector<std::uint8_t> data);

// ---- .ico files: one icon, several images of it
// Whether the source starts like an icon file (reserved 0, type 1, a count).
bool LooksLikeIco(const ByteSource& src);
// The directory of an icon file; nothing when it is broken (an entry reaching past the
// end of the file, no entries, too many).
std::optional<std::vector<IconDirEntry>> ReadIcoDirectory(const ByteSource& src);
// The image of the icon file chosen for `size` (see ChooseIconEntry).
std::optional<IconImage> ReadIcoIcon(const ByteSource& src, int size = kStandardIconSize);

// ---- Windows programs and libraries (PE32 and PE32+)
// Whether the source starts with "MZ" and names a "PE\0\0" header.
bool LooksLikePe(const ByteSource& src);
// How many icons the program holds: the number of its RT_GROUP_ICON resources;
// 0 when it is no PE file, has no resources or is broken.
int PeIconCount(const ByteSource& src);
// Icon `index` (0-based, in the order of the resource directory: named groups first,
// then numbered groups by rising id): its image chosen for `size`.
std::optional<IconImage> ReadPeIcon(const ByteSource& src, int index, int size = kStandardIconSize);

} // namespace kex
