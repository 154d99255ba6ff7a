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

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/Settings.h"
#include "core/protect/PasswordFile.h"
#include "core/pages/ButtonRecord.h"

namespace kex {

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
        Unreadable, // not a regular file, too big, or not readable: no records
    };
    struct Contents {
        Format format = Format::Missing;
        PasswordRecords records;
        bool truncated = false; // a cut-short last record was left out
    };
    // The file as it reads now. A page operation committed to the configuration whose
    // password change is still pending reads as finished.
    Contents Read() const;
    // The password stored for a record name, nothing when the file has no such record.
    std::optional<std::string> Find(std::string_view name) const;

    // Stores one record under the lock: the other records keep their order and the
    // new one comes last; a missing file is created, an older-format file rewritten in
    // the current format. Throws EIniWriteError ("Unable
    // to write to <file>") when the file cannot be written or an existing file cannot
    // be read (its other records would be lost), "<file> is locked by another program"
    // when the lock stays held longer than the configuration store waits; the file is
    // then as it was.
    void Write(std::string_view name, std::string_view password);

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
    PasswordRecords RecordsForRewrite() const;
    void WriteFile(const std::string& target, std::string_view bytes) const;

    std::string ini_;
    std::string file_;
    std::string temp_;
};

// The carrier of one configuration change: button passwords follow their records as
// the change reads, writes and erases them (a read takes the record's password, a
// write with a held password stores it for the new number, an erase empties a stored
// password), and the password file changes only if the configuration does:
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
    // exists but cannot be read: a change that moves records must not go ahead then.
    std::string PasswordOf(int n) override;
    void StorePassword(int n, const std::string& password) override;
    void ErasePassword(int n) override;
    void Prepare(IniDocument& doc) override;
    void Commit() override;

private:
    void Load();
    struct Change {
        int button;
        std::string password;
        bool erase; // empties the password only when one is stored
    };
    // Answers whether the records changed.
    static bool Apply(PasswordRecords& records, const Change& change);

    PasswordStore store_;
    std::optional<PasswordRecords> records_;
    std::vector<Change> changes_;
    bool prepared_ = false;
};

} // namespace kex
