#include "core/protect/PasswordFile.h"

#include <algorithm>
#include <utility>

namespace kex {

namespace {

void PutCounted(std::string& out, std::string_view text)
{
    const std::string_view cut = text.substr(0, kMaxPasswordLength);
    out += char(~static_cast<unsigned char>(cut.size()));
    for (char c : cut)
        out += char(~static_cast<unsigned char>(c));
}

// Reads one complemented length and its characters at `pos`; nothing when the bytes
// end first.
std::optional<std::string> TakeCounted(std::string_view bytes, std::size_t& pos)
{
    if (pos >= bytes.size())
        return std::nullopt;
    const std::size_t length = static_cast<unsigned char>(~static_cast<unsigned char>(bytes[pos]));
    if (bytes.size() - pos - 1 < length)
        return std::nullopt;
    std::string text(bytes.substr(pos + 1, length));
    for (char& c : text)
        c = char(~static_cast<unsigned char>(c));
    pos += 1 + length;
    return text;
}

} // namespace

std::string EncodePasswordRecords(const PasswordRecords& records) { return PasswordTable(records).Encode(); }

DecodedPasswords DecodePasswordRecords(std::string_view bytes, std::size_t maxRecords)
{
    DecodedPasswords decoded;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t at = pos + 1; // the flag byte is ignored
        std::optional<std::string> name = TakeCounted(bytes, at);
        std::optional<std::string> password = name ? TakeCounted(bytes, at) : std::nullopt;
        if (!password) {
            decoded.Truncated = true;
            break;
        }
        if (decoded.Records.size() == maxRecords) {
            decoded.TooMany = true;
            break;
        }
        decoded.Records.push_back({std::move(*name), std::move(*password)});
        pos = at;
    }
    return decoded;
}

bool IsLegacyPasswordFile(std::string_view bytes)
{
    return bytes.size() == kLegacyFileSize && DecodePasswordRecords(bytes).Truncated;
}

std::string DecodeLegacyPassword(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(bytes[0]), bytes.size() - 1);
    std::string password(length, '\0');
    for (std::size_t i = 1; i <= length; ++i)
        password[i - 1] = char((static_cast<unsigned char>(bytes[i]) - i) & 0xFF);
    return password;
}

std::string EncodeLegacyPassword(std::string_view password)
{
    const std::string_view cut = password.substr(0, kMaxPasswordLength);
    std::string block(kLegacyFileSize, '\0');
    block[0] = char(cut.size());
    for (std::size_t i = 1; i <= cut.size(); ++i)
        block[i] = char((static_cast<unsigned char>(cut[i - 1]) + i) & 0xFF);
    return block;
}

std::optional<std::string> FindPassword(const PasswordRecords& records, std::string_view name)
{
    for (const PasswordRecord& r : records)
        if (r.Name == name)
            return r.Password;
    return std::nullopt;
}

void SetPassword(PasswordRecords& records, std::string_view name, std::string_view password)
{
    const std::string stored = StoredForm(name);
    std::erase_if(records, [&](const PasswordRecord& r) { return r.Name == stored; });
    records.push_back({stored, StoredForm(password)});
}

// ------------------------------------------------------------------ PasswordTable

PasswordTable::PasswordTable(PasswordRecords records) : slots_(std::move(records)), live_(slots_.size()) {}

void PasswordTable::Index() const
{
    if (indexed_)
        return;
    where_.clear();
    where_.reserve(live_);
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (Live(i))
            ++where_.try_emplace(slots_[i].Name, Place{i, 0}).first->second.count;
    indexed_ = true;
}

std::optional<std::string> PasswordTable::Find(std::string_view name) const
{
    if (!indexed_ && !std::exchange(lookedUp_, true)) {
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].Name == name && Live(i))
                return slots_[i].Password;
        return std::nullopt;
    }
    Index();
    const auto it = where_.find(std::string(name));
    if (it == where_.end() || it->second.count == 0)
        return std::nullopt;
    return slots_[it->second.first].Password;
}

bool PasswordTable::Set(std::string_view name, std::string_view password)
{
    Index();
    PasswordRecord record{StoredForm(name), StoredForm(password)};
    Place& place = where_[record.Name];
    // Already the one record of the name, last, with this password: nothing to do.
    if (place.count == 1 && place.first + 1 == slots_.size() && slots_.back() == record)
        return false;
    if (place.count > 0) {
        gone_.resize(slots_.size(), false);
        // A file written by hand may hold the name more than once: every record goes.
        for (std::size_t i = place.first, left = place.count; left > 0; ++i)
            if (Live(i) && slots_[i].Name == record.Name) {
                gone_[i] = true;
                --left;
            }
    }
    live_ -= place.count;
    place = {slots_.size(), 1};
    slots_.push_back(std::move(record));
    if (!gone_.empty())
        gone_.push_back(false);
    ++live_;
    // Dropped records are cleared away once they outnumber the live ones.
    if (slots_.size() > 2 * live_ + 64)
        Compact();
    return true;
}

void PasswordTable::Compact()
{
    PasswordRecords kept;
    kept.reserve(live_);
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (Live(i))
            kept.push_back(std::move(slots_[i]));
    slots_ = std::move(kept);
    gone_.clear();
    indexed_ = false;
    Index();
}

PasswordRecords PasswordTable::Records() const
{
    if (gone_.empty())
        return slots_;
    PasswordRecords records;
    records.reserve(live_);
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (Live(i))
            records.push_back(slots_[i]);
    return records;
}

std::string PasswordTable::Encode() const
{
    std::string out;
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (Live(i)) {
            out += '\0';
            PutCounted(out, slots_[i].Name);
            PutCounted(out, slots_[i].Password);
        }
    return out;
}

std::string StoredForm(std::string_view password) { return std::string(password.substr(0, kMaxPasswordLength)); }

} // namespace kex
