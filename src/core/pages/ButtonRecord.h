// A button's ten settings, stored as one key "SpeedButton<n>" in each of ten
// sections, and the record operations over one open configuration document.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/NewIniFile.h"
#include "core/pages/PasswordCarrier.h"

namespace kex {

struct ButtonRecord {
    std::string Program;     // "Programs"; empty: the button is empty
    std::string Parameters;  // "Parameters"
    std::string IconFile;    // "Icons": path or "Default"
    int IconIndex = 0;       // "IconSelection", written only when > 0
    std::string Description; // "Names", "~" separates hint lines
    std::string Shrink;      // "Shrink" as stored: "Yes", "No" or empty (kept as it is)
    std::string Select;      // "Select": directory to choose files from at launch
    std::string Working;     // "Working": working directory
    std::string SoundSelect; // "SoundSelect"
    std::string SoundLaunch; // "SoundLaunch"

    bool Empty() const { return Program.empty(); }
    bool operator==(const ButtonRecord&) const = default;

    // Field k (0..9) in record order as text (the icon index in decimal), as the
    // page-move buffer holds it; SetField parses the icon index (profile integer
    // rules, 0 when it is none). Other k throw std::out_of_range.
    std::string Field(int k) const;
    void SetField(int k, const std::string& value);
    // The button's shrink choice: "Yes" shrinks, "No" does not, anything else
    // (nothing stored) follows the bar's setting.
    std::optional<bool> ShrinkChoice() const;
};

// "SpeedButton" + n, the component name and record key of button n.
std::string ButtonKey(int n);
// Button n's record as the document holds it, each value cut as a read cuts it; only
// a read, unlike RecordStore::Read (no probe, no password).
ButtonRecord ReadButtonRecord(const IniDocument& doc, int n);
// The one parser of numbered keys: the number of prefix + n exactly as the keys spell
// it (letter case aside, as names compare; no leading zero), or -1 for any other
// text: "SpeedButton007" is another key, never read.
int NumberedKey(std::string_view key, std::string_view prefix);
// The button number of a component name or record key "SpeedButton" + n (0 when it
// is none).
int NumberFromName(std::string_view name);

// The record operations, each on one in-memory document (one open of the file):
// Read fills the record and, when it has a program, writes "No" to "Button"/"Blank";
// it also takes the button's password into HeldPassword (empty when the button has
// none, so it always belongs to the record last read). Write stores the non-empty
// fields (the icon index only above 0) and, when HeldPassword is not empty, that
// password for the target; HeldPassword is emptied in any case. Erase deletes the
// ten keys and the password.
//
// Batch mode: BeginBatch takes every record of the document into memory; until Flush,
// the record operations and the probe work on that copy (the document's record
// sections and "Button"/"Blank" are not to be read directly meanwhile), and Flush
// writes the changed records back in one pass over the document. Page operations
// that touch every record use it, so that they cost one pass, not one scan of the
// document per key. Passwords go to the carrier at once in both modes.
class RecordStore {
public:
    explicit RecordStore(IniDocument& doc, PasswordCarrier* passwords = nullptr);
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    ButtonRecord Read(int n);
    void Write(int n, const ButtonRecord& record);
    void Erase(int n);
    // Writes a pending move or copy: the program always, every other non-empty
    // field, no password.
    void WriteMove(int n, const ButtonRecord& record);

    // The "Button"/"Blank" probe: "Yes" when none of the records n..m has a program.
    bool SlotsEmpty(int first, int last);

    // The highest button number that has any of the ten keys (0 when none).
    int HighestStored();
    // Every button number with any of the ten keys, ascending.
    std::vector<int> StoredNumbers();

    void BeginBatch();
    void Flush();
    // Leaves batch mode without writing anything back.
    void DiscardBatch();
    bool Batched() const { return batch_ != nullptr; }

    IniDocument& Document() { return doc_; }
    PasswordCarrier* Passwords() const { return passwords_; }
    std::string HeldPassword;

private:
    struct Batch;
    void SetBlank(const char* value);
    std::string Blank();

    IniDocument& doc_;
    PasswordCarrier* passwords_;
    std::unique_ptr<Batch> batch_;
};

// Runs a record store in batch mode for one scope: begins one unless the store is
// already batched, and flushes it on Commit (an exception before that leaves the
// document's records untouched; the caller's Modify then writes nothing).
class RecordBatch {
public:
    explicit RecordBatch(RecordStore& store) : store_(store), owner_(!store.Batched())
    {
        if (owner_)
            store_.BeginBatch();
    }
    ~RecordBatch()
    {
        if (owner_ && !committed_)
            store_.DiscardBatch();
    }
    void Commit()
    {
        if (owner_ && store_.Batched())
            store_.Flush();
        committed_ = true;
    }
    RecordBatch(const RecordBatch&) = delete;
    RecordBatch& operator=(const RecordBatch&) = delete;

private:
    RecordStore& store_;
    bool owner_;
    bool committed_ = false;
};

} // namespace kex
