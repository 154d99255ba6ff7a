// The password file of one configuration, "KX" + suffix + ".DAT" beside its
// configuration file "KX" + suffix + ".INI", and the carrier that moves button
// passwords with their records in the same commit as the configuration.
//
// Writers of the password file take the configuration's own lock ("<INI>.lock"),
// so a password write and a configuration rewrite never interleave. Never write the
// password file while a TNewIniFile::Modify of the same configuration runs: the lock
// is not re-entrant (the transaction below does its part inside Modify without
// taking it again).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/Settings.h"
#include "core/pages/ButtonRecord.h"
#include "core/pages/PageShift.h"
#include "core/protect/PasswordFile.h"

namespace kex {

// A password file holds at most one record for each button a bar can have and the
// master record; one with more is damaged (it was not written by a bar), and so is one
// larger than that many records of the longest kind.
inline constexpr std::size_t kMaxPasswordRecords = std::size_t(kMaxPageCount) * kMaxButtonsPerPage + 1;
inline constexpr std::size_t kMaxPasswordFileSize = kMaxPasswordRecords * kMaxPasswordRecordSize;

class PasswordStore {
public:
    // The password file of configuration "KX" + suffix + ".INI" in appDir (which ends
    // in "/" or is empty).
    PasswordStore(const std::string& appDir, const std::string& suffix);
    // The password file of a configuration file: its name with the ".INI" extension
    // (any letter case) replaced by ".DAT", or ".DAT" appended.
    static PasswordStore ForConfiguration(const std::string& iniFile);

    const std::string& FileName() const { return file_; }
    const std::string& ConfigurationFile() const { return ini_; }
    // The file a committed page operation leaves for the password file to take over.
    std::string PendingFileName() const { return file_ + ".pending"; }
    // The temporary file of every rewrite, "KX" + suffix + ".$$$".
    const std::string& TemporaryFileName() const { return temp_; }

    enum class Format {
        Missing,    // no file: no records
        Current,    // records
        Legacy,     // the older single block: reads as the one record "Main"
        Unreadable, // not a regular file, or not readable: no records
        Damaged,    // more records than a bar can have (see DamagedMessage): no records
    };
    struct Contents {
        Format format = Format::Missing;
        PasswordTable records;
        bool truncated = false; // a cut-short last record was left out
        // Whether the records are the file's (else it is unreadable or damaged, and
        // must not be replaced: what it holds would be lost).
        bool Usable() const { return format != Format::Unreadable && format != Format::Damaged; }
    };
    // The file as it reads now, read once and decoded up to the bound. A page operation
    // committed to the configuration whose password change is still pending reads as
    // finished.
    Contents Read() const;
    // "<file> is damaged: ...", what a damaged file is reported with.
    std::string DamagedMessage() const;
    // The password stored for a record name, nothing when the file has no such record.
    std::optional<std::string> Find(std::string_view name) const;

    // Stores one record under the lock: the other records keep their order and the
    // new one comes last; a missing file is created, an older-format file rewritten in
    // the current format. Throws EIniWriteError ("Unable
    // to write to <file>") when the file cannot be written or an existing file cannot
    // be read (its other records would be lost), DamagedMessage for a damaged file,
    // "<file> is locked by another program" when the lock stays held longer than the
    // configuration store waits; the file is then as it was.
    void Write(std::string_view name, std::string_view password);
    // The same for any change of the records: under the lock, `change` is given the
    // file's records as they are now and answers whether to write them.
    void Update(const std::function<bool(PasswordTable&)>& change);

    // Finishes or drops a pending change left by a page operation: finished when the
    // configuration carries its stamp, dropped otherwise. Takes the lock.
    void Settle();

private:
    friend class PasswordFileTransaction;
    struct ForIni {};
    PasswordStore(ForIni, const std::string& iniFile);
    // The same, for a caller that holds the lock already.
    void SettleLocked();
    // The password file itself, without a pending change.
    Contents ReadFile() const;
    // The readable records of the file for a rewrite; throws when they cannot be read.
    PasswordTable RecordsForRewrite() const;
    void WriteFile(const std::string& target, std::string_view bytes) const;

    std::string ini_;
    std::string file_;
    std::string temp_;
};

// The carrier of one configuration change: button passwords follow their records as
// the change reads, writes and erases them (a read takes the record's password, a
// write with a held password stores it for the new number, an erase empties a stored
// password), and the password file changes only if the configuration does. It serves
// one Modify: the file is read once, at the carrier's first use inside the change
// (under the configuration's lock, so it cannot change until Prepare):
//
//   PasswordFileTransaction passwords(PasswordStore::ForConfiguration(ini.FileName()));
//   ini.Modify([&](IniDocument& d) {
//       RecordStore store(d, &passwords);
//       DeletePageRecords(store, ...);
//       passwords.Prepare(d);     // the last step of the change
//   });
//   passwords.Commit();
//
// Prepare writes the new password file, under a stamp, as a pending file and puts
// the stamp into the configuration; the configuration's rewrite is the one commit
// point. Commit (or the next reader or writer, after a crash) moves the pending file
// into place when the configuration carries its stamp, and drops it otherwise. So a
// crash at any point leaves either both files as they were or both as changed: a
// password never lands on the wrong button.
class PasswordFileTransaction : public PasswordTransaction {
public:
    explicit PasswordFileTransaction(PasswordStore store);
    ~PasswordFileTransaction() override;
    PasswordFileTransaction(const PasswordFileTransaction&) = delete;
    PasswordFileTransaction& operator=(const PasswordFileTransaction&) = delete;

    // Throws std::runtime_error "Cannot open file <file>" when the password file
    // exists but cannot be read, EIniWriteError with DamagedMessage when it is
    // damaged: a change that moves records must not go ahead then.
    std::string PasswordOf(int n) override;
    void StorePassword(int n, const std::string& password) override;
    void ErasePassword(int n) override;
    void Prepare(IniDocument& doc) override;
    void Commit() override;

private:
    PasswordTable& Records();

    PasswordStore store_;
    std::optional<PasswordTable> records_;
    bool changed_ = false;
    bool prepared_ = false;
};

} // namespace kex
