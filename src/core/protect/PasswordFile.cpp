#include "core/protect/PasswordFile.h"

#include <algorithm>

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

std::string EncodePasswordRecords(const PasswordRecords& records)
{
    std::string out;
    for (const PasswordRecord& r : records) {
        out += '\0';
        PutCounted(out, r.Name);
        PutCounted(out, r.Password);
    }
    return out;
}

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

PasswordTable::PasswordTable(PasswordRecords records)
{
    slots_.reserve(records.size());
    for (PasswordRecord& r : records) {
        where_[r.Name].push_back(slots_.size());
        slots_.emplace_back(std::move(r));
    }
    live_ = slots_.size();
}

std::optional<std::string> PasswordTable::Find(std::string_view name) const
{
    const auto it = where_.find(std::string(name));
    if (it == where_.end() || it->second.empty())
        return std::nullopt;
    return slots_[it->second.front()]->Password;
}

bool PasswordTable::Set(std::string_view name, std::string_view password)
{
    PasswordRecord record{StoredForm(name), StoredForm(password)};
    std::vector<std::size_t>& at = where_[record.Name];
    // Already the one record of the name, last, with this password: nothing to do.
    if (at.size() == 1 && at.front() + 1 == slots_.size() && slots_.back() == record)
        return false;
    for (std::size_t i : at)
        slots_[i].reset();
    live_ -= at.size();
    at.assign(1, slots_.size());
    slots_.emplace_back(std::move(record));
    ++live_;
    // Dropped records are cleared away once they outnumber the live ones.
    if (slots_.size() > 2 * live_ + 64)
        Compact();
    return true;
}

void PasswordTable::Compact()
{
    std::vector<std::optional<PasswordRecord>> kept;
    kept.reserve(live_);
    for (std::optional<PasswordRecord>& r : slots_)
        if (r)
            kept.push_back(std::move(r));
    slots_ = std::move(kept);
    where_.clear();
    for (std::size_t i = 0; i < slots_.size(); ++i)
        where_[slots_[i]->Name].push_back(i);
}

PasswordRecords PasswordTable::Records() const
{
    PasswordRecords records;
    records.reserve(live_);
    for (const std::optional<PasswordRecord>& r : slots_)
        if (r)
            records.push_back(*r);
    return records;
}

std::string PasswordTable::Encode() const { return EncodePasswordRecords(Records()); }

std::string StoredForm(std::string_view password) { return std::string(password.substr(0, kMaxPasswordLength)); }

} // namespace kex
