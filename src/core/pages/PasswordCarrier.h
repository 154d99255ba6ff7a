// The carrier through which button passwords travel with their records when records
// change numbers, and the transaction and buffer forms of it.
#pragma once

#include <map>
#include <string>

#include "core/config/IniDocument.h"

namespace kex {

// Where button passwords travel with records when records change numbers. The
// password store plugs in here; without one, no button carries a password.
class PasswordCarrier {
public:
    virtual ~PasswordCarrier() = default;
    // The stored password of button n, empty when it has none.
    virtual std::string PasswordOf(int n) = 0;
    virtual void StorePassword(int n, const std::string& password) = 0;
    // Erasing a record erases its password.
    virtual void ErasePassword(int n) = 0;
};

// A carrier whose changes take effect together with one configuration rewrite:
//   ini.Modify([&](IniDocument& d) { ...records changed through it...; t.Prepare(d); });
//   t.Commit();                 // only once Modify has written the file
// Prepare is the last step inside Modify, under the configuration's lock; a carrier
// may record there what Commit is to finish (and what is to be finished after a
// crash, once the configuration was written). If Modify throws, nothing takes effect.
class PasswordTransaction : public PasswordCarrier {
public:
    virtual void Prepare(IniDocument& doc) = 0;
    virtual void Commit() = 0;
};

// A carrier that collects the changes of one operation and hands them to the real
// store only when Commit is called, so that a configuration write that fails (and
// leaves the file as it was) leaves the passwords as they were too:
//   PasswordBuffer buffer(store);
//   ini.Modify([&](IniDocument& d) { DeletePageRecords(..., &buffer ...); });
//   buffer.Commit();
class PasswordBuffer : public PasswordTransaction {
public:
    explicit PasswordBuffer(PasswordCarrier* target) : target_(target) {}
    std::string PasswordOf(int n) override;
    void StorePassword(int n, const std::string& password) override;
    void ErasePassword(int n) override;
    void Prepare(IniDocument&) override {}
    // Passes every changed button's final password on (empty: ErasePassword).
    void Commit() override;
    void Discard() { changes_.clear(); }

private:
    PasswordCarrier* target_;
    std::map<int, std::string> changes_; // number -> final password, "" = erased
};

} // namespace kex
