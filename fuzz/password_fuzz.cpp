// The password file reader: any bytes read as whole records or as an older block
// without harm, and what is read writes back to the same records.
#include "core/protect/PasswordFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace kex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DecodedPasswords decoded = DecodePasswordRecords(bytes);
    const std::string again = EncodePasswordRecords(decoded.Records);
    // Whole records are the file's own bytes up to the cut one (the flag byte aside).
    if (again.size() > size || (!decoded.Truncated && again.size() != size))
        std::abort();
    if (DecodePasswordRecords(again).Records != decoded.Records)
        std::abort();
    if (IsLegacyPasswordFile(bytes) && (!decoded.Truncated || DecodeLegacyPassword(bytes).size() > kMaxPasswordLength))
        std::abort();
    PasswordRecords records = decoded.Records;
    if (!records.empty()) {
        const std::string name = records.front().Name;
        SetPassword(records, name, bytes.substr(0, 300));
        if (FindPassword(records, name) != StoredForm(bytes.substr(0, 300)))
            std::abort();
    }
    return 0;
}
