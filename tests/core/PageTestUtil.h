// Helpers shared by the record, renumbering and page tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/config/NewIniFile.h"
#include "core/config/Settings.h"
#include "core/pages/ButtonRecord.h"

namespace kex::testing {

// A password store in memory, recording what it was asked to do.
class FakePasswords : public PasswordCarrier {
public:
    std::map<int, std::string> stored;
    int stores = 0;
    int erases = 0;

    std::string PasswordOf(int n) override
    {
        auto it = stored.find(n);
        return it == stored.end() ? std::string() : it->second;
    }
    void StorePassword(int n, const std::string& password) override
    {
        ++stores;
        stored[n] = password;
    }
    void ErasePassword(int n) override
    {
        ++erases;
        stored.erase(n);
    }
};

// A fully configured record that tells where it came from: every field carries id.
inline ButtonRecord MakeRecord(int id)
{
    ButtonRecord r;
    const std::string s = std::to_string(id);
    r.Program = "/usr/bin/prog" + s;
    r.Parameters = "-p " + s;
    r.IconFile = "/icons/i" + s + ".ico";
    r.IconIndex = id % 4;
    r.Description = "Button " + s + "~line two";
    r.Shrink = id % 2 ? "Yes" : "No";
    r.Select = "/select/" + s;
    r.Working = "/work/" + s;
    r.SoundSelect = "/snd/sel" + s + ".wav";
    r.SoundLaunch = "/snd/go" + s + ".wav";
    return r;
}

// Which record (by id) each number holds, for the numbers that hold any key.
inline std::map<int, int> RecordIds(IniDocument& doc)
{
    std::map<int, int> ids;
    RecordStore store(doc);
    store.BeginBatch();
    for (int n : store.StoredNumbers()) {
        ButtonRecord r = store.Read(n);
        const std::string prefix = "/usr/bin/prog";
        int id = r.Program.rfind(prefix, 0) == 0 ? std::stoi(r.Program.substr(prefix.size())) : -1;
        // Anything but a whole record as written counts as damage.
        ids[n] = (id >= 0 && r == MakeRecord(id)) ? id : -1;
    }
    return ids;
}

inline std::string Tab(const IniDocument& doc, int page)
{
    return doc.Get(settings::TabsSection, PageTabKey(page)).value_or("<none>");
}

} // namespace kex::testing
