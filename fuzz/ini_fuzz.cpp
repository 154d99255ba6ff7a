// The INI document: any text parses and writes back byte for byte; a written key
// reads back as written and an erased key as absent, every other key keeps its
// value, and a reparse of the changed text gives the same document, also after many
// changes in a row.
#include "core/config/NewIniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>

using namespace kex;

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

using Keys = std::map<std::pair<std::string, std::string>, std::string>;

// Every key the profile reads, with its value: the first section of each name, the
// first key of each name in it (names compared in lower case as the store does).
Keys AllKeys(const IniDocument& doc)
{
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return s;
    };
    Keys keys;
    for (const std::string& section : doc.SectionNames())
        for (const auto& [key, value] : doc.ReadSection(section))
            keys.emplace(std::make_pair(lower(section), lower(key)), *doc.Get(section, key));
    return keys;
}

// The keys of `after` are those of `before`, except the one that was changed.
void CheckOthersKept(const Keys& before, const IniDocument& after, const std::string& section, const std::string& key)
{
    for (const auto& [name, value] : before) {
        if (SameName(name.first, NameOf(section)) && SameName(name.second, NameOf(key)))
            continue;
        Check(after.Get(name.first, name.second) == value);
    }
}

void CheckReparse(const IniDocument& doc)
{
    const std::string text = doc.Serialize();
    const IniDocument again = IniDocument::Parse(text);
    Check(again.Serialize() == text);
    Check(AllKeys(again) == AllKeys(doc));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(24);
    const std::string key = in.ConsumeRandomLengthString(24);
    const std::string value = in.ConsumeRandomLengthString(64);
    const std::string text = in.ConsumeRemainingBytesAsString();

    IniDocument doc = IniDocument::Parse(text);
    Check(doc.Serialize() == text);
    const Keys before = AllKeys(doc);
    CheckReparse(doc);

    IniDocument written = doc;
    try {
        written.WriteString(section, key, value);
    } catch (const std::invalid_argument&) {
        Check(written.Serialize() == text); // a refused name changes nothing
        return 0;
    }
    Check(written.Get(section, key) == std::string(TrimBlanks(StoredValue(value))));
    CheckOthersKept(before, written, section, key);
    CheckReparse(written);

    IniDocument erased = written;
    erased.EraseKey(section, key);
    Check(!erased.Get(section, key));
    CheckOthersKept(before, erased, section, key);
    CheckReparse(erased);

    // Changes in a row on one document, so that its indexes have to follow each:
    // the file's own keys erased and written again in turn, then a section dropped.
    IniDocument doc2 = written;
    int step = 0;
    for (const auto& [name, value] : AllKeys(written)) {
        if (step == 16)
            break;
        if (name.second.empty()) // a line "=value" is a key no caller can write
            continue;
        if (step++ % 2) {
            doc2.EraseKey(name.first, name.second);
            Check(!doc2.Get(name.first, name.second));
        } else {
            doc2.WriteString(name.first, name.second, "v" + std::to_string(step));
            Check(doc2.Get(name.first, name.second) == "v" + std::to_string(step));
        }
        CheckReparse(doc2);
    }
    const auto sections = doc2.SectionNames();
    if (!sections.empty()) {
        doc2.EraseSection(sections.front());
        Check(!doc2.HasSection(sections.front()));
        CheckReparse(doc2);
    }
    return 0;
}
