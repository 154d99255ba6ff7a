// The shell-link reader: header, link target ID list, link info, string data and the
// extra data blocks, every offset and size checked against the structure holding it.
#include "core/launch/ShellLink.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "core/launch/CommandLine.h"
#include "core/launch/DesktopEntry.h"
#include "core/launch/IconReaders.h"

namespace kex {

namespace {

constexpr std::size_t kMaxShortcutBytes = 1 << 20;

constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::array<std::uint8_t, 16> kLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Link flags.
constexpr std::uint32_t kHasLinkTargetIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasName = 0x4;
constexpr std::uint32_t kHasRelativePath = 0x8;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kForceNoLinkInfo = 0x100;

// Link info flags.
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x2;

// Extra data blocks read here (both 0x314 bytes: a 260-byte ANSI and a 520-byte
// UTF-16 path after the size and signature).
constexpr std::uint32_t kEnvironmentVariableBlock = 0xA0000001;
constexpr std::uint32_t kIconEnvironmentBlock = 0xA0000007;
constexpr std::uint32_t kEnvironmentBlockSize = 0x314;

// Shell item extension block of file entries that holds the long name.
constexpr std::uint32_t kFileEntryExtension = 0xBEEF0004;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Windows-1252 to UTF-8. The five codes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) keep their value as a code point, as Windows converts them.
std::string FromWindows1252(std::span<const std::uint8_t> bytes)
{
    static constexpr char16_t k80to9F[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(bytes.size());
    for (std::uint8_t b : bytes)
        AppendUtf8(out, (b >= 0x80 && b <= 0x9F) ? char32_t(k80to9F[b - 0x80]) : char32_t(b));
    return out;
}

// UTF-16LE code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string FromUtf16(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    const std::size_t n = bytes.size() / 2;
    auto unit = [&](std::size_t i) { return char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(unit(i + 1)) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

// A bounded view of bytes: every read says whether it lay inside.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> b) : b_(b) {}
    std::size_t Size() const { return b_.size(); }
    bool Has(std::size_t offset, std::size_t n) const { return offset <= b_.size() && n <= b_.size() - offset; }
    std::optional<std::uint16_t> U16(std::size_t at) const
    {
        if (!Has(at, 2))
            return std::nullopt;
        return std::uint16_t(b_[at] | (b_[at + 1] << 8));
    }
    std::optional<std::uint32_t> U32(std::size_t at) const
    {
        if (!Has(at, 4))
            return std::nullopt;
        return std::uint32_t(b_[at]) | (std::uint32_t(b_[at + 1]) << 8) | (std::uint32_t(b_[at + 2]) << 16)
               | (std::uint32_t(b_[at + 3]) << 24);
    }
    std::span<const std::uint8_t> Sub(std::size_t at, std::size_t n) const { return b_.subspan(at, n); }
    // A NUL-terminated string from `at` that must end before `end`: 8-bit (Windows-1252)
    // or 16-bit units (UTF-16). `next` gets the offset after its terminator.
    std::optional<std::string> CString(std::size_t at, std::size_t end, bool wide, std::size_t* next = nullptr) const
    {
        const std::size_t unitSize = wide ? 2 : 1;
        end = std::min(end, b_.size());
        for (std::size_t i = at; i < end && end - i >= unitSize; i += unitSize) {
            if (b_[i] == 0 && (!wide || b_[i + 1] == 0)) {
                if (next)
                    *next = i + unitSize;
                return wide ? FromUtf16(b_.subspan(at, i - at)) : FromWindows1252(b_.subspan(at, i - at));
            }
        }
        return std::nullopt;
    }

private:
    std::span<const std::uint8_t> b_;
};

// Joins a share and the rest of a path with one backslash.
std::string JoinWindowsPath(const std::string& base, const std::string& rest)
{
    if (base.empty() || rest.empty() || base.back() == '\\')
        return base + rest;
    return base + "\\" + rest;
}

// The long name of a file entry item from its extension block at `at`, if it has one.
std::optional<std::string> LongNameOfFileEntry(const Bytes& item, std::size_t at)
{
    const auto size = item.U16(at);
    const auto version = item.U16(at + 2);
    const auto signature = item.U32(at + 4);
    if (!size || !version || !signature || *signature != kFileEntryExtension || *version < 3 || !item.Has(at, *size))
        return std::nullopt;
    // Two dates and an identifier; from version 7 a further 18 bytes (a file
    // reference among them); then the name's size, and from versions 9 and 8 four
    // more bytes each before the name.
    std::size_t name = at + 18 + (*version >= 7 ? 18 : 0) + 2 + (*version >= 9 ? 4 : 0) + (*version >= 8 ? 4 : 0);
    return item.CString(name, at + *size, true);
}

// The Windows path of one ID list item appended to `path`; false for an item that is
// not part of a file-system path.
bool AppendItem(const Bytes& item, std::string& path)
{
    const std::size_t size = item.Size();
    if (size < 3)
        return false;
    const std::uint8_t type = item.Sub(2, 1)[0];
    if (type == 0x1F || type == 0x1E) // a root folder ("My Computer", the desktop)
        return true;
    switch (type & 0x70) {
    case 0x20: { // a volume, "C:\"
        if (!(type & 0x01))
            return false;
        auto name = item.CString(3, std::min<std::size_t>(size, 23), false);
        if (!name)
            return false;
        path = *name;
        return true;
    }
    case 0x40: { // a network location, "\\server\share"
        auto location = item.CString(5, size, false);
        if (!location)
            return false;
        path = *location;
        return true;
    }
    case 0x30: { // a directory or file
        // The short (or only) name, then, aligned to two bytes, the extension block
        // with the long name.
        const bool wide = type & 0x04;
        std::size_t after = 0;
        auto name = item.CString(14, size, wide, &after);
        if (!name)
            return false;
        after += after & 1;
        if (auto longName = LongNameOfFileEntry(item, after); longName && !longName->empty())
            *name = *longName;
        path = JoinWindowsPath(path, *name);
        return true;
    }
    default: return false;
    }
}

// The target named by the file-system items of an ID list; empty when the list holds
// an item that is not part of a file-system path.
std::string TargetOfIdList(const std::vector<std::span<const std::uint8_t>>& items)
{
    std::string path;
    for (const auto& item : items)
        if (!AppendItem(Bytes(item), path))
            return {};
    return path;
}

// The link info at `at`; its path in the network-share form when it has one, else
// the local base path, each followed by the common path suffix.
std::optional<std::string> ReadLinkInfo(const Bytes& bytes, std::size_t at, std::size_t& size, std::string& why)
{
    why = "malformed link info";
    const auto infoSize = bytes.U32(at);
    const auto headerSize = bytes.U32(at + 4);
    const auto flags = bytes.U32(at + 8);
    if (!infoSize || !bytes.Has(at, *infoSize)) {
        why = "truncated link info";
        return std::nullopt;
    }
    if (!headerSize || !flags || *headerSize < 0x1C || *headerSize > *infoSize
        || (*headerSize != 0x1C && *headerSize < 0x24))
        return std::nullopt;
    size = *infoSize;
    const Bytes info(bytes.Sub(at, *infoSize));
    const std::size_t end = info.Size();
    const bool unicodeOffsets = *headerSize >= 0x24;
    auto offset = [&](std::size_t field) { return *info.U32(field); };

    // A string of the link info at the offset stored in `field`; 0 means absent.
    auto string = [&](std::size_t field, bool wide, std::optional<std::string>& out) {
        const std::uint32_t o = offset(field);
        if (o == 0)
            return true;
        if (o < *headerSize || o >= end)
            return false;
        out = info.CString(o, end, wide);
        return out.has_value();
    };

    std::optional<std::string> suffix, suffixWide;
    if (!string(0x18, false, suffix) || (unicodeOffsets && !string(0x20, true, suffixWide)))
        return std::nullopt;
    const std::string commonSuffix = suffixWide ? *suffixWide : suffix.value_or("");

    if (*flags & kCommonNetworkRelativeLinkAndPathSuffix) {
        const std::uint32_t o = offset(0x14);
        if (o < *headerSize || !info.Has(o, 0x14))
            return std::nullopt;
        const auto linkSize = info.U32(o);
        if (*linkSize < 0x14 || !info.Has(o, *linkSize))
            return std::nullopt;
        const Bytes link(info.Sub(o, *linkSize));
        const std::uint32_t netNameOffset = *link.U32(8);
        if (netNameOffset < 0x14 || netNameOffset >= link.Size())
            return std::nullopt;
        auto netName = link.CString(netNameOffset, link.Size(), false);
        if (!netName)
            return std::nullopt;
        if (netNameOffset > 0x14) {
            const auto wideOffset = link.U32(0x14);
            if (!wideOffset)
                return std::nullopt;
            if (*wideOffset != 0) {
                auto wide = link.CString(*wideOffset, link.Size(), true);
                if (*wideOffset < 0x1C || !wide)
                    return std::nullopt;
                netName = wide;
            }
        }
        return JoinWindowsPath(*netName, commonSuffix);
    }
    if (*flags & kVolumeIdAndLocalBasePath) {
        const std::uint32_t volume = offset(0x0C);
        const auto volumeSize = info.U32(volume);
        if (volume < *headerSize || !volumeSize || *volumeSize < 0x10 || !info.Has(volume, *volumeSize))
            return std::nullopt;
        std::optional<std::string> base, baseWide;
        if (!string(0x10, false, base) || !base || (unicodeOffsets && !string(0x1C, true, baseWide)))
            return std::nullopt;
        return (baseWide ? *baseWide : *base) + commonSuffix;
    }
    return std::string();
}

// The path of an environment block: the UTF-16 one when it is not empty, else the ANSI.
std::optional<std::string> EnvironmentBlockPath(const Bytes& block)
{
    auto ansi = block.CString(8, 8 + 260, false);
    auto wide = block.CString(8 + 260, 8 + 260 + 520, true);
    if (wide && !wide->empty())
        return wide;
    return ansi;
}

// The string up to its first NUL (the whole string when it holds none).
std::string UpToNul(std::string s)
{
    s.resize(std::min(s.size(), s.find('\0')));
    return s;
}

std::optional<ShellLinkData> Failed(std::string* why, std::string reason)
{
    if (why)
        *why = std::move(reason);
    return std::nullopt;
}

// The link target ID list at `at` (after its size): its target; `at` moves past it.
std::optional<std::string> ReadIdList(const Bytes& bytes, std::size_t& at, std::string& reason)
{
    const auto listSize = bytes.U16(at);
    if (!listSize || !bytes.Has(at + 2, *listSize)) {
        reason = "truncated link target ID list";
        return std::nullopt;
    }
    const Bytes list(bytes.Sub(at + 2, *listSize));
    std::vector<std::span<const std::uint8_t>> items;
    std::size_t p = 0;
    for (;;) {
        const auto itemSize = list.U16(p);
        if (itemSize && *itemSize == 0)
            break;
        if (!itemSize || *itemSize < 2 || !list.Has(p, *itemSize)) {
            reason = "malformed link target ID list";
            return std::nullopt;
        }
        items.push_back(list.Sub(p, *itemSize));
        p += *itemSize;
    }
    at += 2 + *listSize;
    return TargetOfIdList(items);
}

// Extra data from `at`: blocks until the terminal block (a size below 4). A link that
// ends where the extra data would begin has none; once a block was read, the terminal
// block must follow. The environment blocks give a target and an icon.
bool ReadExtraData(const Bytes& bytes, std::size_t at, std::optional<std::string>& environmentTarget,
                   std::optional<std::string>& environmentIcon, std::string& reason)
{
    while (at != bytes.Size()) {
        const auto blockSize = bytes.U32(at);
        reason = "truncated extra data";
        if (!blockSize)
            return false;
        if (*blockSize < 4)
            break;
        if (*blockSize < 8) {
            reason = "malformed extra data";
            return false;
        }
        if (!bytes.Has(at, *blockSize))
            return false;
        const Bytes block(bytes.Sub(at, *blockSize));
        const std::uint32_t signature = *block.U32(4);
        if (signature == kEnvironmentVariableBlock || signature == kIconEnvironmentBlock) {
            if (*blockSize != kEnvironmentBlockSize) {
                reason = "malformed extra data";
                return false;
            }
            (signature == kEnvironmentVariableBlock ? environmentTarget : environmentIcon) =
                EnvironmentBlockPath(block);
        }
        at += *blockSize;
        if (at == bytes.Size())
            return false; // no terminal block after a block
    }
    return true;
}

} // namespace

std::optional<ShellLinkData> ParseShellLink(std::span<const std::uint8_t> data, std::string* why)
{
    std::string reason;
    auto fail = [&](std::string r) { return Failed(why, std::move(r)); };
    const Bytes bytes(data);
    if (!bytes.Has(0, kHeaderSize))
        return fail("truncated header");
    if (*bytes.U32(0) != kHeaderSize || !std::equal(kLinkClsid.begin(), kLinkClsid.end(), data.begin() + 4))
        return fail("not a shell link");

    ShellLinkData link;
    const std::uint32_t flags = *bytes.U32(0x14);
    link.IconNumber = int(std::int32_t(*bytes.U32(0x38)));
    link.ShowCmd = *bytes.U32(0x3C);
    link.HotKey = *bytes.U16(0x40);
    std::size_t at = kHeaderSize;

    std::string idListTarget;
    if (flags & kHasLinkTargetIdList) {
        const std::optional<std::string> target = ReadIdList(bytes, at, reason);
        if (!target)
            return fail(reason);
        idListTarget = *target;
    }

    std::optional<std::string> infoTarget;
    if (flags & kHasLinkInfo) {
        std::size_t infoSize = 0;
        infoTarget = ReadLinkInfo(bytes, at, infoSize, reason);
        if (!infoTarget)
            return fail(reason);
        at += infoSize;
        if (flags & kForceNoLinkInfo)
            infoTarget.reset();
    }

    const bool unicode = flags & kIsUnicode;
    for (auto [flag, field] :
         {std::pair{kHasName, &link.Description}, std::pair{kHasRelativePath, (std::string*)nullptr},
          std::pair{kHasWorkingDir, &link.WorkingDir}, std::pair{kHasArguments, &link.Arguments},
          std::pair{kHasIconLocation, &link.IconLocation}}) {
        if (!(flags & flag))
            continue;
        const auto count = bytes.U16(at);
        const std::size_t n = count ? std::size_t(*count) * (unicode ? 2 : 1) : 0;
        if (!count || !bytes.Has(at + 2, n))
            return fail("truncated string data");
        // Some writers count a string's terminating NUL in its length: a string ends
        // at its first NUL, as the shell reads it.
        if (field)
            *field = UpToNul(unicode ? FromUtf16(bytes.Sub(at + 2, n)) : FromWindows1252(bytes.Sub(at + 2, n)));
        at += 2 + n;
    }

    std::optional<std::string> environmentTarget, environmentIcon;
    if (!ReadExtraData(bytes, at, environmentTarget, environmentIcon, reason))
        return fail(reason);

    if (infoTarget && !infoTarget->empty())
        link.Target = *infoTarget;
    else if (!idListTarget.empty())
        link.Target = idListTarget;
    else if (environmentTarget)
        link.Target = *environmentTarget;
    if (link.IconLocation.empty() && environmentIcon)
        link.IconLocation = *environmentIcon;
    return link;
}

ShellLinkData ShellLinkFromDesktopEntry(const DesktopEntry& entry)
{
    ShellLinkData link;
    const std::vector<std::string> argv = entry.Argv();
    if (!argv.empty()) {
        link.Target = argv.front();
        link.Arguments = JoinCommandLine(std::vector<std::string>(argv.begin() + 1, argv.end()));
    }
    link.WorkingDir = entry.path;
    link.Description = entry.comment.empty() ? entry.name : entry.comment;
    link.IconLocation = entry.icon;
    link.Terminal = entry.terminal;
    // A NUL ends a string here too (a value read from a damaged file may hold one).
    for (std::string* s : {&link.Target, &link.Arguments, &link.WorkingDir, &link.Description, &link.IconLocation})
        *s = UpToNul(std::move(*s));
    return link;
}

std::optional<ShellLinkData> ReadShortcutFile(const std::string& path, std::string* why)
{
    auto fail = [&](std::string r) { return Failed(why, std::move(r)); };
    if (path.empty())
        return fail("no file name");
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return fail(std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return fail("not a regular file");
    const auto file = FileByteSource::Open(path);
    if (!file)
        return fail(std::strerror(errno ? errno : EIO));
    if (file->Size() > kMaxShortcutBytes)
        return fail("larger than 1 MiB");
    std::vector<std::uint8_t> bytes(std::size_t(file->Size()));
    if (!file->Read(0, bytes.data(), bytes.size()))
        return fail("read error");

    if (bytes.size() >= 4 && bytes[0] == kHeaderSize && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0)
        return ParseShellLink(bytes, why);
    if (auto entry = ParseDesktopEntry(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
        return ShellLinkFromDesktopEntry(*entry);
    return fail("neither a shell link nor a desktop entry");
}

void TShellLink::SetPath(const std::string& fileName)
{
    path_ = fileName;
    Read();
}

void TShellLink::SetUpdate(bool)
{
    update_ = true;
    Read();
}

void TShellLink::Read()
{
    error_.clear();
    auto data = ReadShortcutFile(path_, &error_);
    resolved_ = data.has_value();
    data_ = data.value_or(ShellLinkData{});
}

} // namespace kex
