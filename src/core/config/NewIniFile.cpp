#include "core/config/NewIniFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <random>
#include <set>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kex {

namespace {

std::string Cut(std::string_view s, std::size_t n) { return std::string(s.substr(0, n)); }

// Closes a descriptor on every path.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

// An open descriptor shared by copies, closed with the last of them.
std::shared_ptr<const int> HoldOpen(int fd)
{
    return std::shared_ptr<const int>(new int(fd), [](const int* p) {
        ::close(*p);
        delete p;
    });
}

// Reads the whole open file; `st` gets its status.
bool ReadAll(int fd, std::string& out, struct stat* st)
{
    if (::fstat(fd, st) != 0)
        return false;
    out.clear();
    // One read more than the size finds the end, also when the file has grown.
    std::size_t size = S_ISREG(st->st_mode) ? std::size_t(st->st_size) : 0;
    out.resize(size + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == out.size())
            out.resize(out.size() * 2 + 65536);
        ssize_t n = ::read(fd, out.data() + have, out.size() - have);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        have += std::size_t(n);
    }
    out.resize(have);
    return true;
}

// Opens a configuration file for reading without following a symbolic link in its last
// component and without blocking (a FIFO would wait for a writer forever). Answers the
// descriptor, or -1 with errno set when the file cannot be opened (ENOENT when it is
// missing). Anything but a regular file of sane size is refused with EIniFileError.
int OpenRegularFile(const std::string& path, const std::string& shownName, struct stat* st)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP)
            throw EIniFileError(shownName, shownName + " is a symbolic link that may not be followed");
        return -1;
    }
    if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        ::close(fd);
        throw EIniFileError(shownName, shownName + " is not a regular file");
    }
    if (st->st_size > kMaxFileSize) {
        ::close(fd);
        throw EIniFileError(shownName, shownName + " is too large for a configuration file");
    }
    return fd;
}

// The whole text of a file; false when it is missing or unreadable.
bool ReadWholeFile(const std::string& path, const std::string& shownName, std::string& out, struct stat* st)
{
    Fd f(OpenRegularFile(path, shownName, st));
    return f.fd >= 0 && ReadAll(f.fd, out, st);
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

std::string DirectoryOf(const std::string& file)
{
    auto slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return file.substr(0, slash);
}

std::string BaseNameOf(const std::string& file)
{
    auto slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

} // namespace

// A configuration that is a symbolic link is followed only when the caller owns both
// the link and the file it names: then the configuration stays a link and the linked
// file gets the change. Any other link (one planted by the owner of a directory that
// root works in) is refused, so that no file outside the directory can be read,
// disclosed or replaced through it. A dangling link of the caller's own is answered
// as it is.
std::string ConfigurationTarget(const std::string& file)
{
    struct stat lst {};
    if (::lstat(file.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode))
        return file;
    const uid_t me = ::geteuid();
    struct stat st {};
    const bool exists = ::stat(file.c_str(), &st) == 0;
    if (lst.st_uid != me || (exists && st.st_uid != me))
        throw EIniFileError(file, file + " is a symbolic link that may not be followed");
    char* real = ::realpath(file.c_str(), nullptr);
    if (!real)
        return file;
    std::string r(real);
    std::free(real);
    return r;
}

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// Whether a write may replace `target`. A file or directory without any write
// permission bit is read-only, also for root, as the read-only attribute is on the
// platform this format comes from. With `fileItself` false only the directory counts.
bool WriteAllowed(const std::string& target, bool fileItself = true)
{
    // A link in the target's place is replaced, never written through.
    struct stat st {};
    if (fileItself && ::lstat(target.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)
        && ((st.st_mode & kWriteBits) == 0 || ::access(target.c_str(), W_OK) != 0))
        return false;
    std::string dir = DirectoryOf(target);
    struct stat dirSt {};
    return ::stat(dir.c_str(), &dirSt) == 0 && S_ISDIR(dirSt.st_mode) && (dirSt.st_mode & kWriteBits) != 0
           && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

// Temporary files are named "<file>.<pid>.<8 hex digits>.tmp". Answers the pid of
// such a name of `base`, or 0.
pid_t TempFileOwner(std::string_view name, std::string_view base)
{
    constexpr std::string_view kTail = ".tmp";
    if (name.size() <= base.size() + 1 || name.substr(0, base.size()) != base || name[base.size()] != '.')
        return 0;
    name.remove_prefix(base.size() + 1);
    if (name.size() < kTail.size() || name.substr(name.size() - kTail.size()) != kTail)
        return 0;
    name.remove_suffix(kTail.size());
    auto dot = name.find('.');
    if (dot == std::string_view::npos || name.size() - dot - 1 != 8)
        return 0;
    for (char c : name.substr(dot + 1))
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return 0;
    long pid = 0;
    auto [end, ec] = std::from_chars(name.data(), name.data() + dot, pid);
    if (ec != std::errc() || end != name.data() + dot || pid <= 0)
        return 0;
    return pid_t(pid);
}

// A writer killed between writing its temporary file and renaming it leaves the
// temporary file behind. Once per file and process, under the write lock, such files
// of writers that no longer run are removed.
void RemoveStaleTempFiles(const std::string& target)
{
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (!swept.insert(target).second)
            return;
    }
    DIR* dir = ::opendir(DirectoryOf(target).c_str());
    if (!dir)
        return;
    std::string base = BaseNameOf(target);
    std::string prefix = DirectoryOf(target) + "/";
    while (dirent* e = ::readdir(dir)) {
        pid_t pid = TempFileOwner(e->d_name, base);
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            ::unlink((prefix + e->d_name).c_str());
    }
    ::closedir(dir);
}

} // namespace

bool ReplaceFile(const std::string& target, std::string_view data, const struct stat* like, const Replacement& how)
{
    if (!WriteAllowed(target, !how.readOnlyReplaced))
        return false;
    struct stat st {};
    bool exists = false;
    if (like) {
        st = *like;
        exists = true;
    } else {
        exists = ::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    // A new file gets the usual permissions less the umask.
    const mode_t mode = exists ? 0600 : 0666;
    std::string tmp;
    int fd = -1;
    if (!how.temporaryName.empty()) {
        tmp = DirectoryOf(target) + "/" + BaseNameOf(how.temporaryName);
        // Only writers holding the lock use this name: what is there is a killed
        // writer's leftover (or a planted link), removed rather than followed.
        ::unlink(tmp.c_str());
        fd = ::open(tmp.c_str(), kFlags, mode);
    }
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; how.temporaryName.empty() && attempt < 8 && fd < 0; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%d.%08llx.tmp", int(::getpid()),
                      static_cast<unsigned long long>(rng() & 0xffffffffu));
        tmp = target + suffix;
        fd = ::open(tmp.c_str(), kFlags, mode);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, data);
    // The replacement keeps the old file's owner (root editing a user's file must not
    // take it from the user; for others this is a no-op or refused, which is fine) and
    // its permissions.
    if (ok && exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
        (void)!::fchown(fd, st.st_uid, st.st_gid);
    ok = ok && (!exists || ::fchmod(fd, st.st_mode & 0777) == 0);
    ok = ok && (!how.sync || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmp.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(tmp.c_str());
    return false;
}

bool ConfigurationWritable(const std::string& file) { return WriteAllowed(ConfigurationTarget(file)); }

bool ReadRegularFile(const std::string& path, std::string& out)
{
    struct stat st {};
    return ReadWholeFile(path, path, out, &st);
}

namespace {
std::atomic<int> gLockWaitMs{5000};

// The configuration's status, for its lock: nothing when it is missing.
const struct stat* StatusOf(const std::string& target, struct stat& st)
{
    return ::lstat(target.c_str(), &st) == 0 ? &st : nullptr;
}
} // namespace

ConfigurationLock::ConfigurationLock(const std::string& file, const std::string& shownName)
{
    const std::string target = ConfigurationTarget(file);
    struct stat st {};
    Take(target, shownName, StatusOf(target, st));
}

// A new lock file takes the configuration's mode and owner, so that only those who
// may write the configuration can hold its lock.
void ConfigurationLock::Take(const std::string& file, const std::string& shownName, const struct stat* config)
{
    const std::string name = file + ".lock";
    const mode_t mode = config ? (config->st_mode & 0666) : 0666;
    fd_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    const bool created = fd_ >= 0;
    if (!created && errno == EEXIST) {
        // flock needs no write access: a lock file that another user made (root
        // running the config tool) still serves.
        fd_ = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0 && errno == EACCES)
            fd_ = ::open(name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd_ < 0 && errno == ELOOP)
        throw EIniFileError(shownName, name + " is not a regular file");
    if (fd_ < 0)
        throw EIniWriteError(shownName);
    struct stat lockSt {};
    if (::fstat(fd_, &lockSt) != 0 || !S_ISREG(lockSt.st_mode)) {
        Release();
        throw EIniFileError(shownName, name + " is not a regular file");
    }
    if (config) {
        // Root gives a lock file it made to the owner of the configuration file.
        if (created && ::geteuid() == 0 && (lockSt.st_uid != config->st_uid || lockSt.st_gid != config->st_gid))
            (void)!::fchown(fd_, config->st_uid, config->st_gid);
        // A lock file of an older version (or made before a chmod of the
        // configuration) is brought to the configuration's mode; one with other
        // links is no file of this directory alone and is left alone.
        if ((created || ((lockSt.st_uid == ::geteuid() || ::geteuid() == 0) && lockSt.st_nlink == 1))
            && (lockSt.st_mode & 0777) != mode)
            (void)!::fchmod(fd_, mode);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(gLockWaitMs.load());
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            Release();
            throw EIniWriteError(shownName, shownName + " is locked by another program");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

ConfigurationLock::~ConfigurationLock() { Release(); }

void ConfigurationLock::Release()
{
    if (fd_ >= 0)
        ::close(fd_); // closing releases the lock
    fd_ = -1;
}

EIniWriteError::EIniWriteError(const std::string& fileName)
    : std::runtime_error("Unable to write to " + fileName), fileName_(fileName)
{
}

EIniWriteError::EIniWriteError(const std::string& fileName, const std::string& message)
    : std::runtime_error(message), fileName_(fileName)
{
}

void SetLockWait(std::chrono::milliseconds wait) { gLockWaitMs = int(wait.count()); }

// ---------------------------------------------------------------- TNewIniFile

TNewIniFile::TNewIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

namespace {
void FillStamp(const struct stat& st, bool& exists, std::uint64_t& dev, std::uint64_t& ino, std::uint64_t& size,
               std::int64_t& mtimeNs)
{
    exists = true;
    dev = st.st_dev;
    ino = st.st_ino;
    size = std::uint64_t(st.st_size);
    mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}
} // namespace

TNewIniFile::Stamp TNewIniFile::CurrentStamp() const
{
    Stamp s;
    struct stat st {};
    if (::stat(fileName_.c_str(), &st) == 0)
        FillStamp(st, s.exists, s.dev, s.ino, s.size, s.mtimeNs);
    return s;
}

// A configuration is read and changed byte by byte as ASCII-compatible text: UTF-16
// text would be corrupted by the first write (an ASCII line appended to it), so it is
// refused as a whole, before anything is locked or written.
std::string Utf16Refusal(const std::string& fileName)
{
    return fileName + " is not a configuration file this program can read: UTF-16";
}

bool LooksLikeUtf16(std::string_view text)
{
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF")
        return true;
    // Without a mark: the beginning, two bytes a character, mostly ASCII with its NUL
    // byte after (little-endian) or before it (big-endian).
    const std::string_view sample = text.substr(0, 512);
    const std::size_t units = sample.size() / 2;
    std::size_t little = 0, big = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const bool first = sample[2 * i] == '\0', second = sample[2 * i + 1] == '\0';
        little += !first && second;
        big += first && !second;
    }
    return units > 0 && 2 * std::max(little, big) > units;
}

namespace {

void RefuseUtf16(std::string_view text, const std::string& fileName)
{
    if (LooksLikeUtf16(text))
        throw EIniFileError(fileName, Utf16Refusal(fileName));
}

// The beginning of the configuration (a missing or unreadable file has none), for the
// checks made before a change takes the lock.
std::string Beginning(const std::string& target, const std::string& shownName)
{
    struct stat st {};
    Fd f(OpenRegularFile(target, shownName, &st));
    std::string head(512, '\0');
    ssize_t n = f.fd >= 0 ? ::pread(f.fd, head.data(), head.size(), 0) : -1;
    head.resize(n > 0 ? std::size_t(n) : 0);
    return head;
}

} // namespace

std::string ConfigurationIdentity(const std::string& file)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path absolute = fs::absolute(file, ec);
    if (ec)
        return file;
    const fs::path canonical = fs::weakly_canonical(absolute, ec);
    return (ec ? absolute.lexically_normal() : canonical).string();
}

const IniDocument& TNewIniFile::Document() const { return *Snapshot(); }

std::shared_ptr<const IniDocument> TNewIniFile::Snapshot() const
{
    const Stamp now = CurrentStamp();
    if (cached_ && cachedStamp_ && *cachedStamp_ == now)
        return cached_;
    // The copies parsed in this process, by file name: the bar's store, its recent
    // list and its other readers each open the file at start, and one parse serves
    // them all while the file is unchanged. Held weakly, so a copy lives only as long
    // as a reader keeps it.
    struct SharedCopy {
        Stamp stamp;
        std::weak_ptr<const IniDocument> document;
        std::weak_ptr<const int> file;
    };
    static std::mutex sharedLock;
    static std::map<std::string, SharedCopy> shared;
    if (now.exists) {
        std::lock_guard<std::mutex> lock(sharedLock);
        if (auto it = shared.find(fileName_); it != shared.end() && it->second.stamp == now) {
            std::shared_ptr<const IniDocument> document = it->second.document.lock();
            std::shared_ptr<const int> file = it->second.file.lock();
            if (document && file) {
                cached_ = std::move(document);
                cachedFile_ = std::move(file);
                cachedStamp_ = now;
                return cached_;
            }
        }
    }
    // The stamp is taken from the file that is read, so that it describes exactly
    // the text that is kept.
    std::string text;
    struct stat st {};
    Stamp stamp;
    int fd = OpenRegularFile(ConfigurationTarget(fileName_), fileName_, &st);
    std::shared_ptr<const int> file = fd >= 0 ? HoldOpen(fd) : nullptr;
    if (file && ReadAll(fd, text, &st)) {
        RefuseUtf16(text, fileName_);
        FillStamp(st, stamp.exists, stamp.dev, stamp.ino, stamp.size, stamp.mtimeNs);
        cached_ = std::make_shared<const IniDocument>(IniDocument::Adopt(std::move(text)));
        cachedFile_ = std::move(file);
        std::lock_guard<std::mutex> lock(sharedLock);
        shared[fileName_] = {stamp, cached_, cachedFile_};
    } else {
        stamp = CurrentStamp();
        cached_ = std::make_shared<const IniDocument>();
        cachedFile_.reset();
    }
    cachedStamp_ = stamp;
    return cached_;
}

std::string TNewIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    return Document().ReadString(section, key, def);
}

int TNewIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    return Document().ReadInteger(section, key, def);
}

bool TNewIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return Document().Get(section, key).has_value();
}

std::vector<std::pair<std::string, std::string>> TNewIniFile::ReadSection(std::string_view section) const
{
    return Document().ReadSection(section);
}

void TNewIniFile::Modify(const std::function<void(IniDocument&)>& change, const std::string& backupFile)
{
    const std::string target = ConfigurationTarget(fileName_);
    // Applies the change to the file's current text; answers the new text, or
    // nothing when the change leaves the text as it was. `st` gets the file's status
    // (zero when it is missing).
    IniDocument doc;
    std::shared_ptr<const std::string> original;
    struct stat st {};
    auto apply = [&]() -> std::optional<std::string> {
        std::string text;
        st = {};
        if (!ReadWholeFile(target, fileName_, text, &st)) {
            if (errno != ENOENT)
                throw EIniWriteError(fileName_);
            st = {};
        }
        RefuseUtf16(text, fileName_);
        doc = IniDocument::Adopt(std::move(text));
        original = doc.buffer_;
        change(doc);
        std::string out = doc.Serialize();
        if (out == *original)
            return std::nullopt;
        return out;
    };
    // A FIFO or device in the file's place is refused before anything is locked.
    struct stat lst {};
    if (::lstat(target.c_str(), &lst) == 0 && !S_ISREG(lst.st_mode))
        throw EIniFileError(fileName_, fileName_ + " is not a regular file");
    RefuseUtf16(Beginning(target, fileName_), fileName_);
    // A read-only file or directory refuses every write that would change the file;
    // one that changes nothing (erasing a key that is not there) passes, so that a
    // read-only configuration can still be used. Checked before taking the lock, so
    // that a refused write leaves no lock file behind (root could create one).
    if (!WriteAllowed(target)) {
        if (apply())
            throw EIniWriteError(fileName_);
        return;
    }
    ConfigurationLock lock(target, fileName_, lst.st_nlink ? &lst : nullptr);
    RemoveStaleTempFiles(target);
    // Nothing changed: leave the file and its time stamp alone, and do not create a
    // missing file for an erase that found nothing.
    std::optional<std::string> out = apply();
    if (!out)
        return;
    // The backup holds the text the change was made on, with the file's own mode
    // and owner; it is made only once the change is sure to be written (a missing
    // file has nothing to keep).
    if (!backupFile.empty() && st.st_nlink != 0) {
        RemoveStaleTempFiles(backupFile);
        if (!ReplaceFile(backupFile, *original, &st))
            throw EIniWriteError(backupFile);
    }
    if (!ReplaceFile(target, *out))
        throw EIniWriteError(fileName_);
    // Still under the lock, the file is the one just written.
    cachedStamp_.reset();
    cachedFile_.reset();
    int fd = ::open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        std::shared_ptr<const int> file = HoldOpen(fd);
        if (::fstat(fd, &st) == 0) {
            Stamp stamp;
            FillStamp(st, stamp.exists, stamp.dev, stamp.ino, stamp.size, stamp.mtimeNs);
            cached_ = std::make_shared<const IniDocument>(std::move(doc));
            cachedStamp_ = stamp;
            cachedFile_ = std::move(file);
        }
    }
}

void TNewIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    Modify([&](IniDocument& d) { d.WriteString(section, key, value); });
}

void TNewIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    Modify([&](IniDocument& d) { d.WriteInteger(section, key, value); });
}

void TNewIniFile::EraseSection(std::string_view section)
{
    Modify([&](IniDocument& d) { d.EraseSection(section); });
}

void TNewIniFile::EraseKey(std::string_view section, std::string_view key)
{
    std::string s = Cut(section, kMaxEraseNameLength);
    std::string k = Cut(key, kMaxEraseNameLength);
    Modify([&](IniDocument& d) { d.EraseKey(s, k); });
}

void CopyFileBytes(const std::string& source, const std::string& destination)
{
    std::string data;
    struct stat st {};
    if (!ReadWholeFile(ConfigurationTarget(source), source, data, &st))
        throw std::runtime_error("Cannot open file " + source);
    RemoveStaleTempFiles(destination);
    if (!ReplaceFile(destination, data, &st))
        throw EIniWriteError(destination);
}

} // namespace kex
