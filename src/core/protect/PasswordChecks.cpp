#include "core/protect/PasswordChecks.h"

#include <algorithm>
#include <unordered_set>

namespace kex {

namespace {

// ------------------------------------------------------------------ the marker
// The master password's record holds this text while no master password is set.
// It is read and written only here.
constexpr std::string_view kNoPasswordMarker = "NilK305";

// The master password a record holds: nothing when none is set (the marker, an
// empty password, or no record).
std::optional<std::string> MasterOf(const PasswordTable& records)
{
    std::optional<std::string> stored = records.Find(kMasterRecordName);
    if (!stored || stored->empty() || *stored == kNoPasswordMarker)
        return std::nullopt;
    return stored;
}

// What the master record stores for a master password (empty: none).
std::string MasterRecordValue(const std::string& password)
{
    return password.empty() ? std::string(kNoPasswordMarker) : password;
}

bool CanBeMasterPassword(const std::string& password) { return !password.empty() && password != kNoPasswordMarker; }
// ------------------------------------------------------------------------------

// The button records of `records` that protect a button of the bar (1 to `last`)
// without a program in `doc`.
std::vector<std::string> LeftoverPasswords(const PasswordTable& records, const IniDocument& doc, int last)
{
    std::unordered_set<int> filled;
    for (const auto& [key, program] : doc.ReadSection(settings::ProgramsSection))
        if (!program.empty())
            filled.insert(NumberFromName(key));
    std::vector<std::string> names;
    for (const PasswordRecord& r : records.Records()) {
        const int n = NumberFromName(r.Name);
        if (n >= 1 && n <= last && r.Name == ButtonKey(n) && !filled.count(n)
            && !records.Find(r.Name).value_or("").empty())
            names.push_back(r.Name);
    }
    return names;
}

} // namespace

std::string PasswordKey::RecordName() const { return IsMain() ? std::string(kMasterRecordName) : ButtonKey(button_); }

PasswordChecks::PasswordChecks(PasswordStore store, std::string suffix)
    : store_(std::move(store)), suffix_(std::move(suffix))
{
}

void PasswordChecks::WriteUser()
{
    TNewIniFile(store_.ConfigurationFile()).WriteString(settings::User.section, settings::User.key, suffix_ + ":1");
}

StartupResult PasswordChecks::Start(const std::optional<std::string>& user, int buttonsPerPage)
{
    StartupResult result;
    try {
        store_.Settle(); // a page operation cut short by a crash
    } catch (const EIniWriteError& e) {
        result.error = e.what(); // it still reads as finished
    }
    const PasswordStore::Contents contents = store_.Read();
    const std::optional<std::string> master = MasterOf(contents.records);
    lock_ = master ? LockState::Locked : LockState::Unlocked;
    result.lock = lock_;
    // A file that cannot be read cannot be converted or completed without losing
    // what it holds; it is left alone.
    if (contents.format == PasswordStore::Format::Damaged)
        result.error = store_.DamagedMessage();
    if (!contents.Usable())
        return result;
    try {
        EraseLeftoverPasswords(contents.records, buttonsPerPage);
    } catch (const EIniWriteError& e) {
        result.error = e.what();
    }
    if (user && *user == suffix_ + ":1")
        return result;
    try {
        const bool noMasterRecord = !contents.records.Find(kMasterRecordName);
        if (contents.format == PasswordStore::Format::Legacy) {
            store_.Write(kMasterRecordName, MasterRecordValue(master.value_or("")));
            result.action = StartupAction::Converted;
        } else if (contents.format == PasswordStore::Format::Missing) {
            store_.Write(kMasterRecordName, MasterRecordValue(""));
            result.action = StartupAction::Created;
        } else {
            if (noMasterRecord)
                store_.Write(kMasterRecordName, MasterRecordValue(""));
            result.action = StartupAction::Completed;
        }
        // Only once the password file is current: a failure before leaves "User" as
        // it was, so the next start tries again.
        WriteUser();
    } catch (const EIniWriteError& e) {
        result.error = e.what();
    }
    return result;
}

void PasswordChecks::EraseLeftoverPasswords(const PasswordTable& records, int buttonsPerPage)
{
    // The configuration is read only when the file protects a button at all.
    const std::vector<PasswordRecord> all = records.Records();
    if (std::none_of(all.begin(), all.end(),
                     [](const PasswordRecord& r) { return NumberFromName(r.Name) > 0 && !r.Password.empty(); }))
        return;
    const std::string& ini = store_.ConfigurationFile();
    auto last = [&](const IniDocument& doc) { return ReadPageCount(doc, ini) * buttonsPerPage; };
    const IniDocument seen = TNewIniFile(ini).Document();
    if (LeftoverPasswords(records, seen, last(seen)).empty())
        return;
    // Again under the lock, on the files as they are then (another bar may have
    // filled the button meanwhile).
    store_.Update([&](PasswordTable& now) {
        const IniDocument doc = TNewIniFile(ini).Document();
        const std::vector<std::string> names = LeftoverPasswords(now, doc, last(doc));
        for (const std::string& name : names)
            now.Set(name, "");
        return !names.empty();
    });
}

void PasswordChecks::RefreshLock()
{
    const PasswordStore::Contents contents = store_.Read();
    if (contents.Usable())
        lock_ = MasterOf(contents.records) ? LockState::Locked : LockState::Unlocked;
}

CheckResult PasswordChecks::PasswordMain(const std::string& entered, bool typed)
{
    const std::optional<std::string> master = MasterOf(store_.Read().records);
    const std::string e = StoredForm(entered);
    if (master && *master != e) {
        // A real master password that was not given: the bar stays (or becomes) locked.
        lock_ = LockState::Locked;
        if (typed)
            return {Verdict::IncorrectPassword, kIncorrectMasterHelp, 0};
        return {};
    }
    if (master) {
        // The right password: no master password from now on.
        store_.Write(kMasterRecordName, MasterRecordValue(""));
        lock_ = LockState::Unlocked;
        WriteUser();
        return {Verdict::Unlocked, 0, 0};
    }
    // No master password yet: the one typed becomes it, and the bar locks once it
    // is stored.
    if (!typed || !CanBeMasterPassword(e))
        return {};
    store_.Write(kMasterRecordName, MasterRecordValue(e));
    lock_ = LockState::Locked;
    return {Verdict::Locked, 0, 0};
}

CheckResult PasswordChecks::ButtonCheck(int n, const std::string& entered, bool typed)
{
    key_ = PasswordKey::Button(n);
    const std::string name = key_.RecordName();
    const std::string stored = store_.Find(name).value_or("");
    const std::string e = StoredForm(entered);
    if (stored != e) {
        if (!stored.empty()) {
            // Protected, and this is not its password.
            protectMark_ = true;
            if (typed)
                return {Verdict::IncorrectPassword, kIncorrectButtonHelp, n};
            return {};
        }
        if (protectMark_) {
            // Not protected yet, and protecting was asked for.
            store_.Write(name, e);
            return {Verdict::Protected, 0, n};
        }
        return {};
    }
    if (stored.empty()) {
        protectMark_ = false;
        return {};
    }
    if (protectMark_) {
        // The right password at launch: this button may launch once.
        permitted_ = n;
        return {Verdict::Launch, 0, n};
    }
    // The right password while unprotecting.
    store_.Write(name, "");
    return {Verdict::Unprotected, 0, n};
}

CheckResult PasswordChecks::CheckPassword(const PasswordKey& key, const std::string& entered, bool typed)
{
    return key.IsMain() ? PasswordMain(entered, typed) : ButtonCheck(key.ButtonNumber(), entered, typed);
}

CheckResult PasswordChecks::LockoutModify()
{
    key_ = PasswordKey::Main();
    return {Verdict::AskPassword, 0, 0};
}

bool PasswordChecks::MenuOpened(int n)
{
    ButtonCheck(n, "", false);
    return protectMark_;
}

CheckResult PasswordChecks::PasswordProtect(int n)
{
    protectMark_ = !protectMark_;
    key_ = PasswordKey::Button(n);
    return {Verdict::AskPassword, 0, n};
}

CheckResult PasswordChecks::LaunchGate(int n)
{
    const bool permitted = permitted_ == n;
    // A permission serves one launch of its own button, never a later or another one.
    permitted_.reset();
    if (!permitted) {
        ButtonCheck(n, "", false);
        if (protectMark_) {
            key_ = PasswordKey::Button(n);
            return {Verdict::AskPassword, 0, n};
        }
    }
    return {Verdict::Launch, 0, n};
}

CheckResult PasswordChecks::Enter(const std::string& typed)
{
    if (typed.empty())
        return {};
    return CheckPassword(key_, typed, true);
}

} // namespace kex
