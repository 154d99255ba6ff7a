// The password file's byte format: a sequence of records (a flag byte, then the
// name and the password, each as a length byte and characters, every length and
// character byte complemented), and the older single-block format that held only
// the master password. Complementing hides nothing from a reader of the file: the
// file locks the bar against changes, it is not encryption.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kex {

// Names and passwords are cut to this many bytes when written.
inline constexpr std::size_t kMaxPasswordLength = 255;
// The older format: one block of exactly this many bytes.
inline constexpr std::size_t kLegacyFileSize = 257;

// The record name of the master password.
inline constexpr std::string_view kMasterRecordName = "Main";

struct PasswordRecord {
    std::string Name;
    std::string Password;
    bool operator==(const PasswordRecord&) const = default;
};
using PasswordRecords = std::vector<PasswordRecord>;

// The most bytes one record can take: the flag, two lengths, a name and a password of
// 255 bytes each.
inline constexpr std::size_t kMaxPasswordRecordSize = 3 + 2 * kMaxPasswordLength;

struct DecodedPasswords {
    PasswordRecords Records;
    // The bytes ended inside a record: that record is left out, as if the file ended
    // before it.
    bool Truncated = false;
    // The bytes hold more records than were asked for at most: decoding stopped there.
    bool TooMany = false;
};

// The file's bytes for these records (flag 0; names and passwords cut to 255 bytes).
std::string EncodePasswordRecords(const PasswordRecords& records);
// Every whole record of the bytes, in file order, at most maxRecords of them.
DecodedPasswords DecodePasswordRecords(std::string_view bytes,
                                       std::size_t maxRecords = std::numeric_limits<std::size_t>::max());

// Whether the bytes are an older-format file: exactly 257 bytes that do not read as
// whole records. A current-format file of that size reads as records and is never
// taken for one.
bool IsLegacyPasswordFile(std::string_view bytes);
// The master password of an older-format block: its length byte and characters,
// character i (from 1) stored as its code plus i, modulo 256.
std::string DecodeLegacyPassword(std::string_view bytes);
// The block for a master password (what the older program wrote), for tests and
// seed files.
std::string EncodeLegacyPassword(std::string_view password);

// The password of the first record whose name equals `name` exactly, or nothing.
std::optional<std::string> FindPassword(const PasswordRecords& records, std::string_view name);
// A rewrite for one name: every record of another name keeps its place, those of
// that name go, and the new record (cut to 255 bytes) comes last.
void SetPassword(PasswordRecords& records, std::string_view name, std::string_view password);
// The records of one password file indexed by name, so that a lookup or a rewrite of
// one name costs the same however many records the file holds. The file's rules hold:
// a lookup takes the first record of the name, a rewrite drops every record of the
// name and puts the new one last, the others keep their order. The index is made at
// the second lookup or the first rewrite: a single check reads the records as they
// come.
class PasswordTable {
public:
    PasswordTable() = default;
    explicit PasswordTable(PasswordRecords records);

    std::optional<std::string> Find(std::string_view name) const;
    // As SetPassword; answers whether the records changed.
    bool Set(std::string_view name, std::string_view password);
    // The records in file order.
    PasswordRecords Records() const;
    std::size_t Size() const { return live_; }
    // The file's bytes for the records.
    std::string Encode() const;

private:
    struct Place {
        std::size_t first = 0; // the slot of the name's first record
        std::size_t count = 0; // its records (more than one only in a file written by hand)
    };
    void Index() const;
    void Compact();

    bool Live(std::size_t i) const { return gone_.empty() || !gone_[i]; }

    // File order; a record dropped by a rewrite stays, marked gone, until Compact.
    PasswordRecords slots_;
    std::vector<bool> gone_; // empty until a record is dropped
    std::size_t live_ = 0;
    // Made on demand; a lookup may make it, so it is mutable.
    mutable std::unordered_map<std::string, Place> where_;
    mutable bool indexed_ = false;
    mutable bool lookedUp_ = false;
};

// What the file keeps of a typed password: its first 255 bytes. Typed passwords are
// cut the same way before they are compared, so a long password still matches.
std::string StoredForm(std::string_view password);

} // namespace kex
