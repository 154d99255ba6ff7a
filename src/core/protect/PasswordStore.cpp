#include "core/protect/PasswordStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kex {

namespace {

// A password file larger than this is not one (42,000 buttons of the longest
// records stay far below it); it reads as unreadable instead of filling memory.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

// The pending file: this header, the stamp in 16 hexadecimal digits, a line break,
// then the password file's new bytes.
constexpr std::string_view kPendingMagic = "KXPENDING1 ";
constexpr std::size_t kStampLength = 16;

// ------------------------------------------------------------ file-level helpers
// Kept together so that they can give way to the configuration store's own lock
// and file helpers.

struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

std::string DirectoryOf(const std::string& file)
{
    auto slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

std::string BaseNameOf(const std::string& file)
{
    auto slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

// The file a rewrite replaces: the target of a symbolic link, as the configuration
// store resolves its file, so that a linked file stays linked.
std::string RealTarget(const std::string& file)
{
    struct stat lst {};
    if (::lstat(file.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode))
        return file;
    char* real = ::realpath(file.c_str(), nullptr);
    if (!real)
        return file;
    std::string r(real);
    std::free(real);
    return r;
}

// The configuration store's write lock: flock on "<configuration>.lock", waited for,
// released by closing. The lock file is never a symbolic link to elsewhere.
class ConfigurationLock {
public:
    explicit ConfigurationLock(const std::string& iniFile)
    {
        const std::string target = RealTarget(iniFile);
        fd_ = ::open((target + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd_ < 0)
            return;
        struct stat iniSt {}, lockSt {};
        if (::geteuid() == 0 && ::stat(target.c_str(), &iniSt) == 0 && ::fstat(fd_, &lockSt) == 0
            && (lockSt.st_uid != iniSt.st_uid || lockSt.st_gid != iniSt.st_gid))
            (void)!::fchown(fd_, iniSt.st_uid, iniSt.st_gid);
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~ConfigurationLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Held() const { return fd_ >= 0; }
    ConfigurationLock(const ConfigurationLock&) = delete;
    ConfigurationLock& operator=(const ConfigurationLock&) = delete;

private:
    int fd_ = -1;
};

// Whether the configuration store would rewrite this file (and so holds its lock
// while it applies a change): the file, when it exists, and its directory writable.
bool ConfigurationWritable(const std::string& iniFile)
{
    constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
    const std::string target = RealTarget(iniFile);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && ((st.st_mode & kWriteBits) == 0 || ::access(target.c_str(), W_OK) != 0))
        return false;
    struct stat dirSt {};
    const std::string dir = DirectoryOf(target);
    return ::stat(dir.c_str(), &dirSt) == 0 && S_ISDIR(dirSt.st_mode) && (dirSt.st_mode & kWriteBits) != 0
           && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

enum class ReadResult { Missing, Read, Unreadable };

// The whole of a regular file of at most kMaxFileSize bytes.
ReadResult ReadRegularFile(const std::string& name, std::string& out, bool followLink)
{
    Fd f(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW)));
    if (f.fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    struct stat st {};
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize)
        return ReadResult::Unreadable;
    out.assign(std::size_t(st.st_size), '\0');
    std::size_t have = 0;
    while (have < out.size()) {
        ssize_t n = ::read(f.fd, out.data() + have, out.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ReadResult::Unreadable;
        if (n == 0)
            break;
        have += std::size_t(n);
    }
    out.resize(have);
    return ReadResult::Read;
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

// Writes `bytes` to the temporary file `temp` (made anew, never through a link, mode
// 0600) and renames it over `target` (through a link to the linked file). The new
// file keeps the owner of the file it replaces, or of `ownerOf` when there was none,
// where the writer may give files away (root). Answers false, leaving the target as it
// was, when anything fails; a target that is not a regular file is never replaced.
bool ReplaceAtomically(const std::string& target, const std::string& temp, std::string_view bytes,
                       const std::string& ownerOf)
{
    const std::string real = RealTarget(target);
    struct stat st {};
    const bool exists = ::stat(real.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return false;
    if (!exists && ::stat(RealTarget(ownerOf).c_str(), &st) != 0)
        st.st_uid = ::geteuid(), st.st_gid = ::getegid();
    // Beside the file it replaces, so that the rename stays within one file system.
    const std::string tmp = DirectoryOf(real) + "/" + BaseNameOf(temp);
    // Only writers holding the lock use this name: what is there is a killed
    // writer's leftover (or a planted link), removed rather than followed.
    ::unlink(tmp.c_str());
    Fd f(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (f.fd < 0)
        return false;
    bool ok = ::fchmod(f.fd, 0600) == 0;
    if (ok && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
        (void)!::fchown(f.fd, st.st_uid, st.st_gid);
    ok = ok && WriteAll(f.fd, bytes) && ::fsync(f.fd) == 0;
    ok = ::close(f.fd) == 0 && ok;
    f.fd = -1;
    if (ok && ::rename(tmp.c_str(), real.c_str()) == 0)
        return true;
    ::unlink(tmp.c_str());
    return false;
}

// ------------------------------------------------------------------------------

// The name with its ".INI" extension (any letter case) replaced by `extension`, or
// `extension` appended.
std::string WithExtension(const std::string& iniFile, std::string_view extension)
{
    const std::string base = BaseNameOf(iniFile);
    const bool ini = base.size() > 4 && SameName(std::string_view(base).substr(base.size() - 4), ".INI");
    return (ini ? iniFile.substr(0, iniFile.size() - 4) : iniFile) + std::string(extension);
}

std::string NewStamp()
{
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char text[kStampLength + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(rng()));
    return text;
}

struct Pending {
    std::string stamp;
    std::string bytes;
};

std::optional<Pending> ParsePending(std::string_view text)
{
    if (text.substr(0, kPendingMagic.size()) != kPendingMagic)
        return std::nullopt;
    text.remove_prefix(kPendingMagic.size());
    if (text.size() < kStampLength + 1 || text[kStampLength] != '\n')
        return std::nullopt;
    return Pending{std::string(text.substr(0, kStampLength)), std::string(text.substr(kStampLength + 1))};
}

PasswordStore::Contents Decode(std::string_view bytes, bool legacyAllowed)
{
    PasswordStore::Contents c;
    if (legacyAllowed && IsLegacyPasswordFile(bytes)) {
        c.format = PasswordStore::Format::Legacy;
        c.records.push_back({std::string(kMasterRecordName), DecodeLegacyPassword(bytes)});
        return c;
    }
    DecodedPasswords d = DecodePasswordRecords(bytes);
    c.format = PasswordStore::Format::Current;
    c.records = std::move(d.Records);
    c.truncated = d.Truncated;
    return c;
}

} // namespace

PasswordStore::PasswordStore(const std::string& appDir, const std::string& suffix)
    : PasswordStore(ForIni{}, appDir + "KX" + suffix + ".INI")
{
}

PasswordStore::PasswordStore(ForIni, const std::string& iniFile)
    : ini_(iniFile), file_(WithExtension(iniFile, ".DAT")), temp_(WithExtension(iniFile, ".$$$"))
{
}

PasswordStore PasswordStore::ForConfiguration(const std::string& iniFile) { return PasswordStore(ForIni{}, iniFile); }

PasswordStore::Contents PasswordStore::ReadFile() const
{
    std::string bytes;
    switch (ReadRegularFile(file_, bytes, true)) {
    case ReadResult::Missing: return {};
    case ReadResult::Unreadable: return {Format::Unreadable, {}, false};
    case ReadResult::Read: break;
    }
    return Decode(bytes, true);
}

PasswordStore::Contents PasswordStore::Read() const
{
    std::string text;
    if (ReadRegularFile(PendingFileName(), text, false) == ReadResult::Read) {
        std::optional<Pending> pending = ParsePending(text);
        if (pending && TNewIniFile(ini_).ReadString(settings::PasswordCommit.section, settings::PasswordCommit.key, "")
                           == pending->stamp)
            return Decode(pending->bytes, false);
    }
    return ReadFile();
}

std::optional<std::string> PasswordStore::Find(std::string_view name) const
{
    return FindPassword(Read().records, name);
}

PasswordRecords PasswordStore::RecordsForRewrite() const
{
    Contents c = ReadFile();
    if (c.format == Format::Unreadable)
        throw EIniWriteError(file_);
    return std::move(c.records);
}

void PasswordStore::WriteFile(const std::string& target, std::string_view bytes) const
{
    if (!ReplaceAtomically(target, temp_, bytes, ini_))
        throw EIniWriteError(target);
}

void PasswordStore::Write(std::string_view name, std::string_view password)
{
    ConfigurationLock lock(ini_);
    if (!lock.Held())
        throw EIniWriteError(file_);
    SettleLocked();
    PasswordRecords records = RecordsForRewrite();
    SetPassword(records, name, password);
    WriteFile(file_, EncodePasswordRecords(records));
}

void PasswordStore::Settle()
{
    struct stat st {};
    if (::lstat(PendingFileName().c_str(), &st) != 0)
        return; // the usual case: nothing pending, no lock needed
    ConfigurationLock lock(ini_);
    if (!lock.Held())
        throw EIniWriteError(file_);
    SettleLocked();
}

void PasswordStore::SettleLocked()
{
    const std::string pendingName = PendingFileName();
    std::string text;
    const ReadResult r = ReadRegularFile(pendingName, text, false);
    if (r == ReadResult::Missing)
        return;
    std::optional<Pending> pending = r == ReadResult::Read ? ParsePending(text) : std::nullopt;
    if (pending
        && TNewIniFile(ini_).ReadString(settings::PasswordCommit.section, settings::PasswordCommit.key, "")
               == pending->stamp)
        WriteFile(file_, pending->bytes); // throws, keeping the pending file for later
    if (::unlink(pendingName.c_str()) != 0 && errno != ENOENT)
        throw EIniWriteError(pendingName);
}

// ------------------------------------------------------- PasswordFileTransaction

PasswordFileTransaction::PasswordFileTransaction(PasswordStore store) : store_(std::move(store)) {}

PasswordFileTransaction::~PasswordFileTransaction()
{
    if (!prepared_)
        return;
    // The configuration was not written (or Commit was not reached): the pending
    // file is dropped, or finished if the configuration carries its stamp after all.
    try {
        store_.Settle();
    } catch (...) {
        // Left for the next reader or writer, which settles it the same way.
    }
}

void PasswordFileTransaction::Load()
{
    if (records_)
        return;
    PasswordStore::Contents c = store_.Read();
    if (c.format == PasswordStore::Format::Unreadable)
        throw std::runtime_error("Cannot open file " + store_.FileName());
    records_ = std::move(c.records);
}

bool PasswordFileTransaction::Apply(PasswordRecords& records, const Change& change)
{
    const std::string name = ButtonKey(change.button);
    if (change.erase && FindPassword(records, name).value_or("").empty())
        return false; // nothing stored: an erase writes no record
    SetPassword(records, name, change.password);
    return true;
}

std::string PasswordFileTransaction::PasswordOf(int n)
{
    Load();
    return FindPassword(*records_, ButtonKey(n)).value_or("");
}

void PasswordFileTransaction::StorePassword(int n, const std::string& password)
{
    Load();
    Change change{n, password, false};
    if (Apply(*records_, change))
        changes_.push_back(std::move(change));
}

void PasswordFileTransaction::ErasePassword(int n)
{
    Load();
    Change change{n, "", true};
    if (Apply(*records_, change))
        changes_.push_back(std::move(change));
}

void PasswordFileTransaction::Prepare(IniDocument& doc)
{
    if (changes_.empty())
        return;
    // Modify holds the configuration's lock while it applies a change to a file it
    // can write; anywhere else the pending file could replace another writer's.
    if (!ConfigurationWritable(store_.ConfigurationFile()))
        throw EIniWriteError(store_.ConfigurationFile());
    store_.SettleLocked();
    // The changes again on the file as it is now, under the lock.
    const PasswordRecords before = store_.RecordsForRewrite();
    PasswordRecords records = before;
    for (const Change& c : changes_)
        Apply(records, c);
    if (records == before)
        return;
    const std::string stamp = NewStamp();
    std::string pending(kPendingMagic);
    pending += stamp;
    pending += '\n';
    pending += EncodePasswordRecords(records);
    store_.WriteFile(store_.PendingFileName(), pending);
    prepared_ = true;
    doc.WriteString(settings::PasswordCommit.section, settings::PasswordCommit.key, stamp);
}

void PasswordFileTransaction::Commit()
{
    if (!prepared_)
        return;
    prepared_ = false;
    changes_.clear();
    store_.Settle();
}

} // namespace kex
