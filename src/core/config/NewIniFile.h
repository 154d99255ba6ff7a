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

struct stat;

namespace kex {

// A value is cut to this many characters when it is read (a 1024-byte buffer).
inline constexpr std::size_t kMaxValueLength = 1023;
// EraseKey cuts section and key names to this many characters first.
inline constexpr std::size_t kMaxEraseNameLength = 127;

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
// regular file (a FIFO, a device, a directory), too large, or a symbolic link that the
// caller may not follow. The text names the file and the reason.
class EIniFileError : public EIniWriteError {
public:
    using EIniWriteError::EIniWriteError;
};

// A configuration file larger than this is refused (a profile file is a few KiB).
inline constexpr long long kMaxFileSize = 64ll * 1024 * 1024;

// How long a write waits for another program's lock before it is refused with
// "<file> is locked by another program" (5 seconds unless set).
void SetLockWait(std::chrono::milliseconds wait);

// Blanks and tabs around a name or value are not part of it.
std::string_view TrimBlanks(std::string_view s);
// A name as the file's lines give it: byte-order marks before it and blanks around
// it are no part of it, so that a name given with either finds its own line again.
std::string_view NameOf(std::string_view name);
// The form a value takes in the file: line breaks inside it become blanks (they would
// split it into lines of their own).
std::string StoredValue(std::string_view value);

// ASCII case-insensitive comparison, as the profile functions compare names.
bool SameName(std::string_view a, std::string_view b);

// Integer rules of the profile: decimal, or "0x"/"0X" hexadecimal when the text is
// longer than two characters; anything else (empty, trailing junk, out of the
// 32-bit range) gives the default.
int ParseProfileInt(std::string_view text, int def);

// A text split into lines, each with its line ending: LF, CR LF, or a lone CR (files
// written with old Macintosh line ends); the last line may have none.
struct TextLine {
    std::string_view text;
    std::string_view ending;
};
std::vector<TextLine> SplitTextLines(std::string_view all);

// One line of a profile file as the store reads it: blank and comment lines (";",
// "#") are nothing, "[name]" is a section header, a line with "=" is a key; names and
// values are taken without surrounding blanks and tabs; a UTF-8 byte-order mark at the
// start is no part of the line (nor of a name given by a caller).
struct ProfileLine {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    std::string_view name;
    std::string_view value;
};
ProfileLine ClassifyProfileLine(std::string_view text);

// The parsed text of one profile file. Every line is kept as it was read, with its
// own line ending, so that unknown sections, keys, comments and blank lines survive a
// rewrite byte for byte. Lookups follow the profile functions: section and key names
// match without regard to ASCII case, the first match wins, keys and values are taken
// without surrounding blanks and tabs. Lines without "=" and comment lines (";" or
// "#") are never keys; lines before the first section belong to no section.
class IniDocument {
public:
    IniDocument() = default;
    static IniDocument Parse(std::string_view text);
    std::string Serialize() const;

    // The stored value (whole, not cut), or nothing when the key is absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Profile read: the value cut to kMaxValueLength, or the default when absent.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

    // Changes the first matching key of the first matching section; a new key goes
    // after the last key of that section, a new section at the end of the text.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // Removes every occurrence of the key in every section of that name, so that an
    // erased key reads as absent afterwards. Answers whether anything was removed.
    bool EraseKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines.
    bool EraseSection(std::string_view section);

    bool HasSection(std::string_view section) const;
    // Section names in file order (each name once, as first written).
    std::vector<std::string> SectionNames() const;
    // Keys of the first section of that name with their values, first occurrence of
    // each key only, in file order.
    std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;
    bool Empty() const { return lines_.empty(); }

private:
    friend class TNewIniFile;
    // Takes the text over without copying it.
    static IniDocument Adopt(std::string text);

    enum class Ending : std::uint8_t { None, LF, CRLF, CR };
    // A line points into the text it was parsed from, or into a string of its own
    // once it is made or changed here. Both are shared and never changed, so copies
    // of a document may share them.
    struct Line {
        std::string_view text; // without the line ending
        Ending ending = Ending::None;
        std::shared_ptr<const std::string> own;
    };
    using Kind = ProfileLine::Kind;
    static Line MakeLine(std::string text, Ending ending);
    // Index of the header line of the first section of that name, or npos.
    std::size_t FindSection(std::string_view section) const;
    // End (exclusive) of the section whose header is at index h.
    std::size_t SectionEnd(std::size_t h) const;
    std::size_t FindKey(std::size_t header, std::string_view key) const;
    Ending NewLineEnding() const;
    void InsertLine(std::size_t at, std::string text);

    std::shared_ptr<const std::string> buffer_; // the parsed text
    std::vector<Line> lines_;
};

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
    mutable IniDocument cached_;
    // The file the parsed copy was read from, kept open so that its inode number
    // cannot pass to a newer file while the copy is kept.
    mutable std::shared_ptr<const int> cachedFile_;
};

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
