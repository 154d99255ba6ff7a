// Builds Windows shortcut (.lnk) files byte by byte for the shell-link reader's tests
// and the fuzz seeds: header, ID list items, link info, string data, extra blocks.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace kex::testlinks {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
// 8-bit characters as given (the test writes Windows-1252 bytes), with a terminator.
inline Bytes Sz(const std::string& s)
{
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}
// UTF-16LE code units, with a terminator when asked.
inline Bytes Wide(const std::u16string& s, bool terminated = true)
{
    Bytes b;
    for (char16_t c : s)
        Put16(b, c);
    if (terminated)
        Put16(b, 0);
    return b;
}

// ---- link target ID list items

// The root item "My Computer".
inline Bytes RootItem()
{
    Bytes b;
    Put16(b, 20);
    b.push_back(0x1F);
    b.push_back(0x50);
    for (std::uint8_t x :
         {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D})
        b.push_back(x);
    return b;
}

// A volume item with its name ("C:\").
inline Bytes VolumeItem(const std::string& name)
{
    Bytes b;
    Put16(b, 25);
    b.push_back(0x2F);
    Bytes n = Sz(name);
    n.resize(20, 0);
    Append(b, n);
    Put16(b, 0);
    return b;
}

// A file entry item: its short name, and when longName is given the extension block of
// that version holding it. wideName stores the short name in UTF-16 (type flag 0x04).
inline Bytes FileItem(const std::string& shortName, std::optional<std::u16string> longName = std::nullopt,
                      int version = 9, bool directory = false, bool wideName = false)
{
    Bytes body;
    body.push_back(std::uint8_t(0x30 | (directory ? 0x01 : 0x02) | (wideName ? 0x04 : 0)));
    body.push_back(0);
    Put32(body, 1234);       // file size
    Put32(body, 0x4E215A3C); // modification time
    Put16(body, directory ? 0x10 : 0x20);
    if (wideName)
        Append(body, Wide(std::u16string(shortName.begin(), shortName.end())));
    else
        Append(body, Sz(shortName));
    if (body.size() % 2)
        body.push_back(0); // aligned (the item's own size field comes in front)
    if (longName) {
        const std::size_t start = body.size() + 2;
        Bytes ext;
        Put16(ext, 0); // size, set below
        Put16(ext, std::uint32_t(version));
        Put32(ext, 0xBEEF0004);
        Put32(ext, 0x4E215A3C); // created
        Put32(ext, 0x4E215A3C); // accessed
        Put16(ext, version >= 9 ? 0x2E : version >= 8 ? 0x2A : version >= 7 ? 0x26 : 0x14);
        if (version >= 7) {
            Put16(ext, 0);
            for (int i = 0; i < 16; ++i)
                ext.push_back(std::uint8_t(i)); // file reference and more
        }
        Put16(ext, 0); // long string size (no localized name)
        if (version >= 9)
            Put32(ext, 0);
        if (version >= 8)
            Put32(ext, 0);
        Append(ext, Wide(*longName));
        Put16(ext, std::uint32_t(start));
        ext[0] = std::uint8_t(ext.size());
        ext[1] = std::uint8_t(ext.size() >> 8);
        Append(body, ext);
    }
    Bytes b;
    Put16(b, std::uint32_t(body.size() + 2));
    Append(b, body);
    return b;
}

// A network location item ("\\server\share").
inline Bytes NetworkItem(const std::string& location)
{
    Bytes body = {0x43, 0x01, 0x00};
    Append(body, Sz(location));
    Bytes b;
    Put16(b, std::uint32_t(body.size() + 2));
    Append(b, body);
    return b;
}

inline Bytes IdList(const std::vector<Bytes>& items)
{
    Bytes list;
    for (const Bytes& item : items)
        Append(list, item);
    Put16(list, 0);
    Bytes b;
    Put16(b, std::uint32_t(list.size()));
    Append(b, list);
    return b;
}

// ---- link info

// The local form: a volume ID, the base path and the common path suffix; with
// wideBase/wideSuffix also the Unicode strings (header size 0x24).
inline Bytes LocalLinkInfo(const std::string& base, const std::string& suffix,
                           std::optional<std::u16string> wideBase = std::nullopt,
                           std::optional<std::u16string> wideSuffix = std::nullopt)
{
    const bool unicode = wideBase || wideSuffix;
    const std::uint32_t header = unicode ? 0x24 : 0x1C;
    Bytes volume;
    Put32(volume, 0x11);
    Put32(volume, 3);          // fixed drive
    Put32(volume, 0x12345678); // serial number
    Put32(volume, 0x10);       // label offset
    volume.push_back(0);       // empty label
    const Bytes baseBytes = Sz(base), suffixBytes = Sz(suffix);
    const std::uint32_t volumeAt = header, baseAt = volumeAt + std::uint32_t(volume.size()),
                        suffixAt = baseAt + std::uint32_t(baseBytes.size()),
                        wideBaseAt = suffixAt + std::uint32_t(suffixBytes.size());
    const Bytes wb = wideBase ? Wide(*wideBase) : Bytes(), ws = wideSuffix ? Wide(*wideSuffix) : Bytes();
    const std::uint32_t wideSuffixAt = wideBaseAt + std::uint32_t(wb.size());
    const std::uint32_t total = wideSuffixAt + std::uint32_t(ws.size());
    Bytes b;
    Put32(b, total);
    Put32(b, header);
    Put32(b, 0x1);
    Put32(b, volumeAt);
    Put32(b, baseAt);
    Put32(b, 0);
    Put32(b, suffixAt);
    if (unicode) {
        Put32(b, wideBase ? wideBaseAt : 0);
        Put32(b, wideSuffix ? wideSuffixAt : 0);
    }
    for (const Bytes* part : std::initializer_list<const Bytes*>{&volume, &baseBytes, &suffixBytes, &wb, &ws})
        Append(b, *part);
    return b;
}

// The network form: a share ("\\server\share"), the mapped drive and the suffix;
// withLocal adds a local base path as well (both flags set).
inline Bytes NetworkLinkInfo(const std::string& netName, const std::string& device, const std::string& suffix,
                             bool withLocal = false)
{
    Bytes link;
    const Bytes net = Sz(netName), dev = Sz(device);
    Put32(link, 0x14 + std::uint32_t(net.size() + dev.size()));
    Put32(link, 0x1 | 0x2);
    Put32(link, 0x14);
    Put32(link, 0x14 + std::uint32_t(net.size()));
    Put32(link, 0x00020000);
    Append(link, net);
    Append(link, dev);
    Bytes volume;
    Put32(volume, 0x11);
    Put32(volume, 4);
    Put32(volume, 0);
    Put32(volume, 0x10);
    volume.push_back(0);
    const Bytes base = Sz("Z:\\local\\"), suffixBytes = Sz(suffix);
    const std::uint32_t linkAt = 0x1C, volumeAt = linkAt + std::uint32_t(link.size()),
                        baseAt = volumeAt + std::uint32_t(volume.size()),
                        suffixAt = withLocal ? baseAt + std::uint32_t(base.size()) : volumeAt;
    Bytes b;
    Put32(b, suffixAt + std::uint32_t(suffixBytes.size()));
    Put32(b, 0x1C);
    Put32(b, withLocal ? 0x3 : 0x2);
    Put32(b, withLocal ? volumeAt : 0);
    Put32(b, withLocal ? baseAt : 0);
    Put32(b, linkAt);
    Put32(b, suffixAt);
    Append(b, link);
    if (withLocal) {
        Append(b, volume);
        Append(b, base);
    }
    Append(b, suffixBytes);
    return b;
}

// ---- extra data

// An environment-variable (0xA0000001) or icon-environment (0xA0000007) block.
inline Bytes EnvironmentBlock(std::uint32_t signature, const std::string& ansi, const std::u16string& wide)
{
    Bytes b;
    Put32(b, 0x314);
    Put32(b, signature);
    Bytes a = Sz(ansi), w = Wide(wide);
    a.resize(260, 0);
    w.resize(520, 0);
    Append(b, a);
    Append(b, w);
    return b;
}

// ---- the whole link

struct LinkParts {
    std::optional<Bytes> idList, linkInfo;
    // UTF-16 code units; without `unicode` each unit is written as one byte
    // (Windows-1252), so it must be below 0x100.
    std::optional<std::u16string> name, relativePath, workingDir, arguments, iconLocation;
    bool unicode = false;
    std::uint32_t moreFlags = 0;
    std::int32_t iconIndex = 0;
    std::uint32_t showCmd = 1;
    std::uint16_t hotKey = 0;
    std::vector<Bytes> extra;
    bool terminalBlock = true;
};

// A string data entry: its count of characters, then the characters.
inline Bytes StringData(const std::u16string& s, bool unicode)
{
    Bytes b;
    Put16(b, std::uint32_t(s.size()));
    for (char16_t c : s) {
        if (unicode)
            Put16(b, c);
        else
            b.push_back(std::uint8_t(c));
    }
    return b;
}

inline Bytes BuildLink(const LinkParts& p)
{
    std::uint32_t flags = p.moreFlags;
    if (p.idList)
        flags |= 0x1;
    if (p.linkInfo)
        flags |= 0x2;
    if (p.name)
        flags |= 0x4;
    if (p.relativePath)
        flags |= 0x8;
    if (p.workingDir)
        flags |= 0x10;
    if (p.arguments)
        flags |= 0x20;
    if (p.iconLocation)
        flags |= 0x40;
    if (p.unicode)
        flags |= 0x80;
    Bytes b;
    Put32(b, 0x4C);
    for (std::uint8_t x :
         {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46})
        b.push_back(x);
    Put32(b, flags);
    Put32(b, 0x20); // archive
    for (int i = 0; i < 6; ++i)
        Put32(b, 0x01C91515); // three file times
    Put32(b, 1234);
    Put32(b, std::uint32_t(p.iconIndex));
    Put32(b, p.showCmd);
    Put16(b, p.hotKey);
    Put16(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    if (p.idList)
        Append(b, *p.idList);
    if (p.linkInfo)
        Append(b, *p.linkInfo);
    for (const auto* s : {&p.name, &p.relativePath, &p.workingDir, &p.arguments, &p.iconLocation})
        if (*s)
            Append(b, StringData(**s, p.unicode));
    for (const Bytes& block : p.extra)
        Append(b, block);
    if (p.terminalBlock)
        Put32(b, 0);
    return b;
}

// A link with every structure: ID list, Unicode link info, all five strings and an
// environment block.
inline LinkParts EveryPartLink()
{
    LinkParts p;
    p.idList = IdList({RootItem(), VolumeItem("C:\\"), FileItem("PROGRA~1", u"Program Files", 9, true)});
    p.linkInfo = LocalLinkInfo("C:\\UNI\\", "A.EXE", u"C:\\Uni\\", u"a.exe");
    p.unicode = true;
    p.name = u"Description";
    p.relativePath = u".\\a.exe";
    p.workingDir = u"C:\\Uni";
    p.arguments = u"--flag";
    p.iconLocation = u"C:\\Uni\\a.ico";
    p.moreFlags = 0x200;
    p.extra = {EnvironmentBlock(0xA0000001, "%X%\\a.exe", u"%X%\\a.exe")};
    return p;
}

} // namespace kex::testlinks
