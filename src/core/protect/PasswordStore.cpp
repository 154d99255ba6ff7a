#include "core/protect/PasswordStore.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kex {

namespace {

// The pending file: this header, the stamp in 16 hexadecimal digits, a line break,
// then the password file's new bytes.
constexpr std::string_view kPendingMagic = "KXPENDING1 ";
constexpr std::size_t kStampLength = 16;
constexpr std::size_t kMaxPendingSize = kPendingMagic.size() + kStampLength + 1 + kMaxPasswordFileSize;

enum class ReadResult { Missing, Read, Unreadable, TooBig };

// The whole of the password file or the pending file, read as the configuration is:
// never through a symbolic link of another user's (the pending file through none),
// never anything but a regular file of sane size. A file larger than `limit` is not
// read at all.
ReadResult ReadBytes(const std::string& name, std::string& out, bool followLink, std::size_t limit)
{
    try {
        const std::string path = followLink ? ConfigurationTarget(name) : name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && std::uint64_t(st.st_size) > limit)
            return ReadResult::TooBig;
        if (ReadRegularFile(path, out))
            return out.size() > limit ? ReadResult::TooBig : ReadResult::Read;
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    } catch (const EIniFileError&) {
        return ReadResult::Unreadable;
    }
}

// The name with its ".INI" extension (any letter case) replaced by `extension`, or
// `extension` appended.
std::string WithExtension(const std::string& iniFile, std::string_view extension)
{
    const std::string base = iniFile.substr(iniFile.rfind('/') + 1);
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
        c.records = PasswordTable({{std::string(kMasterRecordName), DecodeLegacyPassword(bytes)}});
        return c;
    }
    DecodedPasswords d = DecodePasswordRecords(bytes, kMaxPasswordRecords);
    if (d.TooMany) {
        c.format = PasswordStore::Format::Damaged;
        return c;
    }
    c.format = PasswordStore::Format::Current;
    c.records = PasswordTable(std::move(d.Records));
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
    switch (ReadBytes(file_, bytes, true, kMaxPasswordFileSize)) {
    case ReadResult::Missing: return {};
    case ReadResult::Unreadable: return {Format::Unreadable, {}, false};
    case ReadResult::TooBig: return {Format::Damaged, {}, false};
    case ReadResult::Read: break;
    }
    return Decode(bytes, true);
}

PasswordStore::Contents PasswordStore::Read() const
{
    std::string text;
    if (ReadBytes(PendingFileName(), text, false, kMaxPendingSize) == ReadResult::Read) {
        std::optional<Pending> pending = ParsePending(text);
        if (pending
            && TNewIniFile(ini_).ReadString(settings::PasswordCommit.section, settings::PasswordCommit.key, "")
                   == pending->stamp)
            return Decode(pending->bytes, false);
    }
    return ReadFile();
}

std::optional<std::string> PasswordStore::Find(std::string_view name) const { return Read().records.Find(name); }

std::string PasswordStore::DamagedMessage() const
{
    return file_ + " is damaged: it holds more than the " + std::to_string(kMaxPasswordRecords)
           + " password records a bar can have. It is left as it is, and no password is checked or changed "
             "until it is mended or removed.";
}

PasswordTable PasswordStore::RecordsForRewrite() const
{
    Contents c = ReadFile();
    if (c.format == Format::Damaged)
        throw EIniWriteError(file_, DamagedMessage());
    if (c.format == Format::Unreadable)
        throw EIniWriteError(file_);
    return std::move(c.records);
}

// Replaces the file by way of the temporary file "KX<suffix>.$$$" (a read-only file
// too), with mode 0600; where the writer may give files away (root), the new file keeps
// the owner of the file it replaces, or gets the configuration's. A target that is not
// a regular file is never replaced.
void PasswordStore::WriteFile(const std::string& target, std::string_view bytes) const
{
    const std::string real = ConfigurationTarget(target);
    struct stat like {};
    const bool exists = ::lstat(real.c_str(), &like) == 0;
    if (exists && !S_ISREG(like.st_mode))
        throw EIniWriteError(target);
    if (!exists && ::stat(ini_.c_str(), &like) != 0)
        like.st_uid = ::geteuid(), like.st_gid = ::getegid();
    like.st_mode = S_IFREG | 0600;
    if (!ReplaceFile(real, bytes, &like, {.temporaryName = temp_, .readOnlyReplaced = true, .sync = true}))
        throw EIniWriteError(target);
}

void PasswordStore::Write(std::string_view name, std::string_view password)
{
    // Written even when the record is as it was: an older-format file becomes current.
    Update([&](PasswordTable& records) {
        records.Set(name, password);
        return true;
    });
}

void PasswordStore::Update(const std::function<bool(PasswordTable&)>& change)
{
    ConfigurationLock lock(ini_, file_);
    SettleLocked();
    PasswordTable records = RecordsForRewrite();
    if (!change(records))
        return;
    if (records.Size() > kMaxPasswordRecords)
        throw EIniWriteError(file_, DamagedMessage()); // it holds names no bar gives
    WriteFile(file_, records.Encode());
}

void PasswordStore::Settle()
{
    struct stat st {};
    if (::lstat(PendingFileName().c_str(), &st) != 0)
        return; // the usual case: nothing pending, no lock needed
    ConfigurationLock lock(ini_, file_);
    SettleLocked();
}

void PasswordStore::SettleLocked()
{
    const std::string pendingName = PendingFileName();
    std::string text;
    const ReadResult r = ReadBytes(pendingName, text, false, kMaxPendingSize);
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

PasswordTable& PasswordFileTransaction::Records()
{
    if (!records_) {
        PasswordStore::Contents c = store_.Read();
        if (c.format == PasswordStore::Format::Damaged)
            throw EIniWriteError(store_.FileName(), store_.DamagedMessage());
        if (c.format == PasswordStore::Format::Unreadable)
            throw std::runtime_error("Cannot open file " + store_.FileName());
        records_ = std::move(c.records);
    }
    return *records_;
}

std::string PasswordFileTransaction::PasswordOf(int n) { return Records().Find(ButtonKey(n)).value_or(""); }

void PasswordFileTransaction::StorePassword(int n, const std::string& password)
{
    changed_ = Records().Set(ButtonKey(n), password) || changed_;
}

void PasswordFileTransaction::ErasePassword(int n)
{
    // Only a stored password is erased: an erase writes no record for a button that
    // has none.
    const std::string name = ButtonKey(n);
    if (!Records().Find(name).value_or("").empty())
        changed_ = Records().Set(name, "") || changed_;
}

void PasswordFileTransaction::Prepare(IniDocument& doc)
{
    if (!changed_)
        return;
    // Modify holds the configuration's lock while it applies a change to a file it
    // can write; anywhere else the pending file could replace another writer's.
    if (!ConfigurationWritable(store_.ConfigurationFile()))
        throw EIniWriteError(store_.ConfigurationFile());
    if (records_->Size() > kMaxPasswordRecords)
        throw EIniWriteError(store_.FileName(), store_.DamagedMessage());
    // A pending change that the records were read with as finished is put in place
    // (one that was not committed is dropped): the file then holds what was read.
    store_.SettleLocked();
    const std::string stamp = NewStamp();
    std::string pending(kPendingMagic);
    pending += stamp;
    pending += '\n';
    pending += records_->Encode();
    store_.WriteFile(store_.PendingFileName(), pending);
    prepared_ = true;
    doc.WriteString(settings::PasswordCommit.section, settings::PasswordCommit.key, stamp);
}

void PasswordFileTransaction::Commit()
{
    if (!prepared_)
        return;
    prepared_ = false;
    changed_ = false;
    store_.Settle();
}

} // namespace kex
