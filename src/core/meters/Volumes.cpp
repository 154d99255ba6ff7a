// The mount table read as drive letters.
#include "core/meters/Volumes.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace kex {

namespace {

std::vector<std::string_view> SplitBlanks(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool ParseUnsigned(std::string_view s, unsigned& value)
{
    if (s.empty() || s.size() > 9)
        return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + unsigned(c - '0');
    }
    return true;
}

std::optional<MountEntry> ParseLine(std::string_view line)
{
    const std::vector<std::string_view> f = SplitBlanks(line);
    // id, parent, major:minor, root, mount point, options, optional fields..., "-",
    // type, source, super options
    if (f.size() < 9)
        return std::nullopt;
    std::size_t dash = 6;
    while (dash < f.size() && f[dash] != "-")
        ++dash;
    if (dash + 2 >= f.size())
        return std::nullopt;
    MountEntry e;
    const std::size_t colon = f[2].find(':');
    if (colon == std::string_view::npos || !ParseUnsigned(f[2].substr(0, colon), e.major)
        || !ParseUnsigned(f[2].substr(colon + 1), e.minor))
        return std::nullopt;
    e.root = DecodeMountField(f[3]);
    e.mountPoint = DecodeMountField(f[4]);
    e.fsType = DecodeMountField(f[dash + 1]);
    e.source = DecodeMountField(f[dash + 2]);
    if (e.mountPoint.empty() || e.mountPoint[0] != '/')
        return std::nullopt;
    return e;
}

bool Under(std::string_view path, std::string_view dir)
{
    return path.size() >= dir.size() && path.compare(0, dir.size(), dir) == 0
           && (path.size() == dir.size() || path[dir.size()] == '/');
}

// File systems that hold no user data: the kernel's views and controls.
bool PseudoFileSystem(std::string_view type)
{
    static const std::set<std::string_view> pseudo = {
        "proc",
        "sysfs",
        "devtmpfs",
        "devpts",
        "cgroup",
        "cgroup2",
        "securityfs",
        "pstore",
        "efivarfs",
        "bpf",
        "debugfs",
        "tracefs",
        "configfs",
        "fusectl",
        "mqueue",
        "hugetlbfs",
        "autofs",
        "binfmt_misc",
        "rpc_pipefs",
        "nsfs",
        "selinuxfs",
        "nfsd",
        "usbfs",
        "devfs",
        "sockfs",
        "pipefs",
        "functionfs",
        "fuse.gvfsd-fuse",
        "fuse.portal",
        "fuse.lxcfs",
        "fuse.xdg-document-portal",
    };
    return pseudo.contains(type);
}

// The system's own mounts and images that only look like volumes.
bool SystemMount(const MountEntry& e)
{
    const std::string& mp = e.mountPoint;
    if (mp == "/")
        return false;
    if (PseudoFileSystem(e.fsType))
        return true;
    // Read-only images and layered roots (snaps, live systems, containers): only as "/".
    if (e.fsType == "squashfs" || e.fsType == "overlay" || e.fsType == "erofs")
        return true;
    if (Under(mp, "/proc") || Under(mp, "/sys") || Under(mp, "/dev") || Under(mp, "/snap")
        || Under(mp, "/var/lib/snapd"))
        return true;
    // /run holds the system's tmpfs and the users' runtime directories; removable
    // media mounted by udisks2 live under /run/media.
    return Under(mp, "/run") && !Under(mp, "/run/media");
}

bool RemoteFileSystem(std::string_view type)
{
    static const std::set<std::string_view> remote = {
        "nfs",          "nfs4",           "cifs",        "smb3",        "smbfs",         "ncpfs",
        "afs",          "coda",           "9p",          "ceph",        "glusterfs",     "lustre",
        "gfs2",         "ocfs2",          "davfs",       "sshfs",       "fuse.sshfs",    "fuse.rclone",
        "fuse.s3fs",    "fuse.glusterfs", "fuse.davfs2", "fuse.cephfs", "fuse.smbnetfs", "fuse.curlftpfs",
        "fuse.gcsfuse", "fuse.goofys",
    };
    return remote.contains(type);
}

} // namespace

std::string DecodeMountField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += char((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text)
{
    std::vector<MountEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        if (std::optional<MountEntry> e = ParseLine(text.substr(start, end - start)))
            entries.push_back(std::move(*e));
        start = end + 1;
    }
    return entries;
}

TDISKTYPE VolumeType(const MountEntry& e, const BlockDeviceFacts& device)
{
    if (device.optical || e.fsType == "iso9660" || e.fsType == "udf")
        return TDISKTYPE::DT_CDROM;
    if (RemoteFileSystem(e.fsType) || e.source.starts_with("//"))
        return TDISKTYPE::DT_REMOTE;
    if (e.fsType == "tmpfs" || e.fsType == "ramfs" || device.ramDisk)
        return TDISKTYPE::DT_RAMDISK;
    if (device.removable)
        return TDISKTYPE::DT_REMOVABLE;
    return TDISKTYPE::DT_FIXED;
}

std::vector<Volume> RealVolumes(const std::vector<MountEntry>& table, const DeviceFactsLookup& facts,
                                const std::vector<std::string>& opticalDrives)
{
    // Of mounts stacked on one point the last one is what the point shows.
    std::map<std::string, const MountEntry*> byPoint;
    for (const MountEntry& e : table)
        byPoint[e.mountPoint] = &e;

    // One volume per file system (major:minor): "/" first, else a mount of the whole
    // file system before a part of it, else the shortest mount point.
    auto better = [](const MountEntry& a, const MountEntry& b) {
        if ((a.mountPoint == "/") != (b.mountPoint == "/"))
            return a.mountPoint == "/";
        if ((a.root == "/") != (b.root == "/"))
            return a.root == "/";
        if (a.mountPoint.size() != b.mountPoint.size())
            return a.mountPoint.size() < b.mountPoint.size();
        return a.mountPoint < b.mountPoint;
    };
    std::map<std::pair<unsigned, unsigned>, const MountEntry*> byDevice;
    for (const auto& [point, e] : byPoint) {
        if (SystemMount(*e))
            continue;
        const MountEntry*& chosen = byDevice[{e->major, e->minor}];
        if (!chosen || better(*e, *chosen))
            chosen = e;
    }

    std::vector<Volume> volumes;
    std::map<std::string, std::string> discMounts; // optical drive device to its disc's mount point
    for (const auto& [device, e] : byDevice) {
        const BlockDeviceFacts f = facts ? facts(e->major, e->minor) : BlockDeviceFacts{};
        const bool ofDrive =
            f.optical && std::find(opticalDrives.begin(), opticalDrives.end(), e->source) != opticalDrives.end();
        if (ofDrive) {
            discMounts[e->source] = e->mountPoint;
            continue;
        }
        volumes.push_back({e->mountPoint, e->mountPoint, VolumeType(*e, f)});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        if ((a.id == "/") != (b.id == "/"))
            return a.id == "/";
        return a.id < b.id;
    });

    std::vector<std::string> drives = opticalDrives;
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    for (const std::string& drive : drives) {
        auto disc = discMounts.find(drive);
        volumes.push_back({drive, disc == discMounts.end() ? std::string() : disc->second, TDISKTYPE::DT_CDROM});
    }
    return volumes;
}

void DriveLetters::Update(const std::vector<Volume>& volumes)
{
    ids_[0] = "/";
    present_.fill(false);
    std::vector<const Volume*> waiting;
    for (const Volume& v : volumes) {
        if (LetterOf(v.id) != 0)
            continue; // listed twice
        int slot = -1;
        if (v.id == "/")
            slot = 0;
        for (int i = 1; slot < 0 && i < kLetters; ++i)
            if (ids_[i] == v.id)
                slot = i;
        for (int i = 1; slot < 0 && i < kLetters; ++i)
            if (ids_[i].empty())
                slot = i;
        if (slot < 0) {
            waiting.push_back(&v);
            continue;
        }
        ids_[slot] = v.id;
        volumes_[slot] = v;
        present_[slot] = true;
    }
    // Every letter was given once: the volumes that are gone give theirs up.
    for (const Volume* v : waiting) {
        for (int i = 1; i < kLetters; ++i) {
            if (!present_[i]) {
                ids_[i] = v->id;
                volumes_[i] = *v;
                present_[i] = true;
                break;
            }
        }
    }
}

const Volume* DriveLetters::VolumeOf(char letter) const
{
    const int i = letter - 'C';
    if (i < 0 || i >= kLetters || !present_[i])
        return nullptr;
    return &volumes_[i];
}

char DriveLetters::LetterOf(std::string_view id) const
{
    for (int i = 0; i < kLetters; ++i)
        if (present_[i] && ids_[i] == id)
            return char('C' + i);
    return 0;
}

} // namespace kex
