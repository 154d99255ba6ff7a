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

DecodedPasswords DecodePasswordRecords(std::string_view bytes)
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
    std::erase_if(records, [&](const PasswordRecord& r) { return r.Name == name; });
    records.push_back({StoredForm(name), StoredForm(password)});
}

std::string StoredForm(std::string_view password) { return std::string(password.substr(0, kMaxPasswordLength)); }

} // namespace kex
