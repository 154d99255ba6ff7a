// A button's ten settings, stored as one key "SpeedButton<n>" in each of ten
// sections, and the record operations over one open configuration document.
#pragma once

#include <string>
#include <string_view>

#include "app/NewIniFile.h"

namespace kex {

struct ButtonRecord {
    std::string Program;     // "Programs"; empty: the button is empty
    std::string Parameters;  // "Parameters"
    std::string IconFile;    // "Icons": path or "Default"
    int IconIndex = 0;       // "IconSelection", written only when > 0
    std::string Description; // "Names", "~" separates hint lines
    std::string Shrink;      // "Shrink": "Yes", "No" or empty
    std::string Select;      // "Select": directory to choose files from at launch
    std::string Working;     // "Working": working directory
    std::string SoundSelect; // "SoundSelect"
    std::string SoundLaunch; // "SoundLaunch"

    bool Empty() const { return Program.empty(); }
    bool operator==(const ButtonRecord&) const = default;

    // Field k (0..9) in record order as text (the icon index in decimal), as the
    // page-move buffer holds it; SetField parses the icon index.
    std::string Field(int k) const;
    void SetField(int k, const std::string& value);
};

// "SpeedButton" + n, the component name and record key of button n.
std::string ButtonKey(int n);
// The number after the 11 characters "SpeedButton" (0 when there is none).
int NumberFromName(std::string_view name);

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

// The record operations, each on one in-memory document (one open of the file):
// Read fills the record and, when it has a program, writes "No" to "Button"/"Blank";
// it also takes the button's password into HeldPassword. Write stores the non-empty
// fields (the icon index only above 0) and the held password, which it then drops.
// Erase deletes the ten keys and the password.
class RecordStore {
public:
    explicit RecordStore(IniDocument& doc, PasswordCarrier* passwords = nullptr);

    ButtonRecord Read(int n);
    void Write(int n, const ButtonRecord& record);
    void Erase(int n);
    // Writes a pending move or copy: the program always, every other non-empty
    // field, no password.
    void WriteMove(int n, const ButtonRecord& record);

    // The "Button"/"Blank" probe: "Yes" when none of the records n..m has a program.
    bool SlotsEmpty(int first, int last);

    IniDocument& Document() { return doc_; }
    std::string HeldPassword;

private:
    IniDocument& doc_;
    PasswordCarrier* passwords_;
};

} // namespace kex
