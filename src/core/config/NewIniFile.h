// The configuration store: a Windows-profile ("INI") file read and written with
// profile semantics, and the file object TNewIniFile that every command opens,
// uses and drops within one operation.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/IniDocument.h"

struct stat;

namespace kex {

// Thrown when a write is refused; the text is "Unable to write to <file>".
class EIniWriteError : public std::runtime_error {
public:
    explicit EIniWriteError(const std::string& fileName);
    // A refusal with a reason of its own ("<file> is locked by another program").
    EIniWriteError(const std::string& fileName, const std::string& message);
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// A file that cannot be used as a configuration at all, for reading or writing: not a
// regular file (a FIFO, a device, a directory), too large, a symbolic link that the
// caller may not follow, or text in UTF-16, which the profile's byte-wise rules cannot
// read or change without corrupting it. The text names the file and the reason.
class EIniFileError : public EIniWriteError {
public:
    using EIniWriteError::EIniWriteError;
};

// A configuration file larger than this is refused (a profile file is a few KiB).
inline constexpr long long kMaxFileSize = 64ll * 1024 * 1024;

// How long a write waits for another program's lock before it is refused with
// "<file> is locked by another program" (5 seconds unless set).
void SetLockWait(std::chrono::milliseconds wait);

// The INI file object. It remembers only the file name; every operation reaches the
// file itself. Reads take the file as it is now (a parsed copy is reused only while
// the file is unchanged on disk). Every write is done before the call returns: under
// an advisory lock shared by all instances ("<file>.lock"), the current file is read,
// changed, written to a temporary file in the same directory and renamed over it, so
// that a crash never leaves a half-written file and writers of different keys never
// lose each other's changes.
class TNewIniFile {
public:
    explicit TNewIniFile(std::string fileName);

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void EraseSection(std::string_view section);
    // Section and key are cut to kMaxEraseNameLength characters first.
    void EraseKey(std::string_view section, std::string_view key);

    // Several changes as one locked, atomic rewrite. The function sees the file's
    // current content and may throw to leave the file as it was. With a backup file,
    // the text the change was made on is first copied there (with the file's mode and
    // owner), under the same lock and only when the change is written; a refused
    // change leaves the backup as it was.
    void Modify(const std::function<void(IniDocument&)>& change, const std::string& backupFile = {});

    // The file's current content (empty when the file is missing or unreadable).
    // Throws EIniFileError for a file that is no configuration at all.
    const IniDocument& Document() const;
    // The same content, shared: it stays as it is while the holder keeps it, and the
    // next Snapshot gives the very same object while the file is unchanged (a changed
    // file, or one this object wrote, gives a new one). Objects of one process that
    // read the same file name share the copy too, while one of them keeps it.
    std::shared_ptr<const IniDocument> Snapshot() const;

private:
    struct Stamp {
        bool exists = false;
        std::uint64_t dev = 0, ino = 0, size = 0;
        std::int64_t mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp CurrentStamp() const;

    std::string fileName_;
    mutable std::optional<Stamp> cachedStamp_;
    mutable std::shared_ptr<const IniDocument> cached_;
    // The file the parsed copy was read from, kept open so that its inode number
    // cannot pass to a newer file while the copy is kept.
    mutable std::shared_ptr<const int> cachedFile_;
};

// The message sent when a configuration's text is UTF-16: "<file> is not a
// configuration file this program can read: UTF-16".
std::string Utf16Refusal(const std::string& fileName);
// Whether a text is UTF-16: it begins with a UTF-16 byte-order mark (FF FE or FE FF),
// or its beginning is text with every other byte NUL, as ASCII is in UTF-16. A text
// read as a profile never holds NUL bytes.
bool LooksLikeUtf16(std::string_view text);

// What names one configuration file to everyone who works on it (bars and
// kexbar-config tell each other about changes by it): its absolute path with every
// symbolic link resolved, also when the file does not exist yet.
std::string ConfigurationIdentity(const std::string& file);

// Byte copy of a whole file, replacing the destination by a temporary file and rename
// (a link in its place is replaced, not followed); the copy takes the source's mode
// and owner ("Cannot open file %s" when the source cannot be read, "Unable to write
// to %s" when the copy cannot be made).
void CopyFileBytes(const std::string& source, const std::string& destination);

// The store's file discipline, shared by the files kept beside a configuration (the
// password file), so that all of them follow one lock and one way of replacing a file.

// The file that reads and writes of a configuration reach: the file itself, or the
// file its symbolic link names when the caller owns both. Throws EIniFileError ("<file>
// is a symbolic link that may not be followed") for any other link.
std::string ConfigurationTarget(const std::string& file);

// Whether a change to the configuration would be written (Modify holds the lock while
// it applies a change only then): the file, when it exists, and its directory writable.
bool ConfigurationWritable(const std::string& file);

// The whole of a regular file, a symbolic link in its place not followed. Answers false
// when it is missing (errno ENOENT) or cannot be read; throws EIniFileError for
// anything but a regular file of at most kMaxFileSize bytes.
bool ReadRegularFile(const std::string& path, std::string& out);

// How ReplaceFile makes the new file, where it differs from a configuration's.
struct Replacement {
    // A fixed temporary file, put beside the target under this file's name, for
    // writers that hold the configuration's lock: whatever has the name is removed
    // first. Empty: "<target>.<pid>.<8 hex digits>.tmp", whose leftovers the next
    // writer of the configuration removes.
    std::string temporaryName;
    // A target without write permission is replaced too (as a rewrite that clears its
    // read-only attribute); otherwise it refuses the write. Its directory counts always.
    bool readOnlyReplaced = false;
    // The new file is flushed to disk before the rename.
    bool sync = false;
};

// Writes data to a new temporary file beside `target` and renames it over the target
// (a symbolic link in its place is replaced, never followed). The new file takes the
// mode and owner of `like` when given, else those of the regular file it replaces (a
// new file gets the usual permissions less the umask). A file or directory without
// any write permission bit is read-only, also for root. Answers false, leaving the
// target untouched, when anything fails.
bool ReplaceFile(const std::string& target, std::string_view data, const struct stat* like = nullptr,
                 const Replacement& how = {});

// The configuration's write lock on "<file>.lock", held while the object lives; every
// writer of the configuration and of the files kept beside it takes it, and it is not
// re-entrant. The lock file is made with O_EXCL | O_NOFOLLOW in the configuration's
// mode (and, by root, owner), never followed through a symbolic link and never
// anything but a regular file (EIniFileError). The wait for it is bounded (see
// SetLockWait): a lock held longer throws EIniWriteError "<shownName> is locked by
// another program"; a lock file that cannot be made, "Unable to write to <shownName>".
class ConfigurationLock {
public:
    ConfigurationLock(const std::string& file, const std::string& shownName);
    ~ConfigurationLock();
    ConfigurationLock(const ConfigurationLock&) = delete;
    ConfigurationLock& operator=(const ConfigurationLock&) = delete;

private:
    friend class TNewIniFile;
    // For a caller that resolved the target already; `config`: its status when it
    // exists, else nullptr.
    ConfigurationLock(const std::string& target, const std::string& shownName, const struct stat* config)
    {
        Take(target, shownName, config);
    }
    void Take(const std::string& target, const std::string& shownName, const struct stat* config);
    void Release();

    int fd_ = -1;
};

} // namespace kex
