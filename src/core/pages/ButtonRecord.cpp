#include "core/pages/ButtonRecord.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <stdexcept>
#include <unordered_map>

#include "core/config/Settings.h"

namespace kex {

std::optional<bool> ButtonRecord::ShrinkChoice() const
{
    if (Shrink == "Yes" || Shrink == "No")
        return Shrink == "Yes";
    return std::nullopt;
}

namespace {

constexpr std::string_view kKeyPrefix = "SpeedButton";
constexpr int kIconField = 3;

using Fields = std::array<std::optional<std::string>, 10>; // nullopt: the key is absent

// What a written value reads back as: line breaks become blanks (the store cannot
// hold them) and surrounding blanks are not part of a value.
std::string Normalize(std::string_view value)
{
    return std::string(TrimBlanks(StoredValue(value)));
}

std::string Cut(const std::string& s) { return s.substr(0, kMaxValueLength); }


int RecordSectionIndex(std::string_view name)
{
    for (std::size_t i = 0; i < RecordSections.size(); ++i)
        if (SameName(name, RecordSections[i]))
            return int(i);
    return -1;
}

int KeyNumber(std::string_view key) { return NumberedKey(key, kKeyPrefix); }

// Every record of the document as the profile reads it: the first section of each
// name, the first key of each number in it (a number has one spelling, so that is the
// first key of each name), whole values.
std::unordered_map<int, Fields> LoadRecords(const IniDocument& doc)
{
    std::unordered_map<int, Fields> records;
    for (std::size_t k = 0; k < RecordSections.size(); ++k)
        doc.ForEachKey(RecordSections[k], [&](std::string_view key, std::string_view value) {
            const int n = KeyNumber(key);
            if (n >= 0)
                records[n][k] = std::string(value);
        });
    return records;
}

bool AnyKey(const Fields& f)
{
    for (const auto& v : f)
        if (v)
            return true;
    return false;
}

} // namespace

// ------------------------------------------------------------------ ButtonRecord

std::string ButtonRecord::Field(int k) const
{
    switch (k) {
    case 0: return Program;
    case 1: return Parameters;
    case 2: return IconFile;
    case 3: return std::to_string(IconIndex);
    case 4: return Description;
    case 5: return Shrink;
    case 6: return Select;
    case 7: return Working;
    case 8: return SoundSelect;
    case 9: return SoundLaunch;
    }
    throw std::out_of_range("No record field " + std::to_string(k));
}

void ButtonRecord::SetField(int k, const std::string& value)
{
    switch (k) {
    case 0: Program = value; return;
    case 1: Parameters = value; return;
    case 2: IconFile = value; return;
    case 3: IconIndex = ParseProfileInt(value, 0); return;
    case 4: Description = value; return;
    case 5: Shrink = value; return;
    case 6: Select = value; return;
    case 7: Working = value; return;
    case 8: SoundSelect = value; return;
    case 9: SoundLaunch = value; return;
    }
    throw std::out_of_range("No record field " + std::to_string(k));
}

std::string ButtonKey(int n) { return std::string(kKeyPrefix) + std::to_string(n); }

ButtonRecord ReadButtonRecord(const IniDocument& doc, int n)
{
    ButtonRecord r;
    const std::string key = ButtonKey(n);
    for (int k = 0; k < 10; ++k) {
        if (k == kIconField)
            r.IconIndex = doc.ReadInteger(RecordSections[std::size_t(k)], key, 0);
        else
            r.SetField(k, doc.ReadString(RecordSections[std::size_t(k)], key, ""));
    }
    return r;
}

int NumberedKey(std::string_view key, std::string_view prefix)
{
    if (key.size() <= prefix.size() || !SameName(key.substr(0, prefix.size()), prefix))
        return -1;
    std::string_view digits = key.substr(prefix.size());
    if (digits.size() > 9 || (digits.size() > 1 && digits[0] == '0'))
        return -1;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

int NumberFromName(std::string_view name) { return std::max(0, NumberedKey(name, kKeyPrefix)); }

// ---------------------------------------------------------------- PasswordBuffer


// ------------------------------------------------------------------- RecordStore

struct RecordStore::Batch {
    std::unordered_map<int, Fields> records;
    std::set<int> dirty; // numbers whose keys Flush rewrites
    std::optional<std::string> blank;
    bool blankDirty = false;
};

RecordStore::RecordStore(IniDocument& doc, PasswordCarrier* passwords) : doc_(doc), passwords_(passwords) {}

RecordStore::~RecordStore() = default;

void RecordStore::SetBlank(const char* value)
{
    if (batch_) {
        batch_->blank = value;
        batch_->blankDirty = true;
    } else {
        doc_.WriteString(settings::Blank.section, settings::Blank.key, value);
    }
}

std::string RecordStore::Blank()
{
    if (batch_)
        return batch_->blank ? Cut(*batch_->blank) : std::string();
    return doc_.ReadString(settings::Blank.section, settings::Blank.key, "");
}

ButtonRecord RecordStore::Read(int n)
{
    ButtonRecord r;
    if (batch_) {
        auto it = batch_->records.find(n);
        if (it != batch_->records.end()) {
            const Fields& f = it->second;
            for (int k = 0; k < 10; ++k) {
                if (!f[std::size_t(k)])
                    continue;
                std::string v = Cut(*f[std::size_t(k)]);
                if (k == kIconField)
                    r.IconIndex = ParseProfileInt(v, 0);
                else
                    r.SetField(k, v);
            }
        }
    } else {
        r = ReadButtonRecord(doc_, n);
    }
    if (!r.Program.empty())
        SetBlank("No");
    HeldPassword = passwords_ ? passwords_->PasswordOf(n) : std::string();
    return r;
}

void RecordStore::Write(int n, const ButtonRecord& record)
{
    const std::string key = ButtonKey(n);
    for (int k = 0; k < 10; ++k) {
        std::string v;
        if (k == kIconField) {
            if (record.IconIndex <= 0)
                continue;
            v = std::to_string(record.IconIndex);
        } else {
            v = record.Field(k);
            if (v.empty())
                continue;
        }
        if (batch_) {
            batch_->records[n][std::size_t(k)] = Normalize(v);
        } else {
            doc_.WriteString(RecordSections[std::size_t(k)], key, v);
        }
    }
    if (batch_)
        batch_->dirty.insert(n);
    if (!HeldPassword.empty() && passwords_)
        passwords_->StorePassword(n, HeldPassword);
    HeldPassword.clear();
}

void RecordStore::WriteMove(int n, const ButtonRecord& record)
{
    const std::string key = ButtonKey(n);
    for (int k = 0; k < 10; ++k) {
        std::string v;
        if (k == kIconField) {
            if (record.IconIndex <= 0)
                continue;
            v = std::to_string(record.IconIndex);
        } else {
            v = record.Field(k);
            if (v.empty() && k != 0)
                continue;
        }
        if (batch_)
            batch_->records[n][std::size_t(k)] = Normalize(v);
        else
            doc_.WriteString(RecordSections[std::size_t(k)], key, v);
    }
    if (batch_)
        batch_->dirty.insert(n);
}

void RecordStore::Erase(int n)
{
    if (batch_) {
        batch_->records.erase(n);
        batch_->dirty.insert(n);
    } else {
        const std::string key = ButtonKey(n);
        for (std::string_view section : RecordSections)
            doc_.EraseKey(section, key);
    }
    if (passwords_)
        passwords_->ErasePassword(n);
}

bool RecordStore::SlotsEmpty(int first, int last)
{
    SetBlank("Yes");
    for (int n = first; n <= last; ++n)
        Read(n);
    return Blank() == "Yes";
}

std::vector<int> RecordStore::StoredNumbers()
{
    std::vector<int> numbers;
    if (batch_) {
        for (const auto& [n, f] : batch_->records)
            if (AnyKey(f))
                numbers.push_back(n);
    } else {
        for (const auto& [n, f] : LoadRecords(doc_))
            if (AnyKey(f))
                numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

int RecordStore::HighestStored()
{
    std::vector<int> numbers = StoredNumbers();
    return numbers.empty() ? 0 : numbers.back();
}

void RecordStore::BeginBatch()
{
    if (batch_)
        return;
    auto b = std::make_unique<Batch>();
    b->records = LoadRecords(doc_);
    if (auto v = doc_.Get(settings::Blank.section, settings::Blank.key))
        b->blank = *v;
    batch_ = std::move(b);
}

void RecordStore::DiscardBatch() { batch_.reset(); }

namespace {

// The new key lines of each record section, in number order.
using RecordLines = std::array<std::string, RecordSections.size()>;

std::string_view FirstLineEnding(const std::vector<TextLine>& lines)
{
    for (const TextLine& l : lines)
        if (!l.ending.empty())
            return l.ending;
    return "\n";
}

RecordLines AddedKeyLines(const std::unordered_map<int, Fields>& records, const std::set<int>& dirty,
                          std::string_view ending)
{
    RecordLines added;
    for (int n : dirty) {
        auto it = records.find(n);
        if (it == records.end())
            continue;
        const std::string key = ButtonKey(n);
        for (std::size_t k = 0; k < RecordSections.size(); ++k) {
            const auto& v = it->second[k];
            if (!v || v->empty())
                continue;
            added[k] += key;
            added[k] += '=';
            added[k] += *v;
            added[k] += ending;
        }
    }
    return added;
}

// Which lines stay (a changed number's keys go from every section of that name, as
// erasing a key does), and after which line each section's new keys go: after the
// last key that stays in its first section, else after its header, as a new key is
// placed (-1: the document has no such section yet).
struct RewritePlan {
    std::vector<bool> keep;
    std::array<std::ptrdiff_t, RecordSections.size()> insertAfter;
};

RewritePlan PlanRewrite(const std::vector<TextLine>& lines, const std::set<int>& dirty)
{
    RewritePlan plan;
    plan.keep.assign(lines.size(), true);
    plan.insertAfter.fill(-1);
    int current = -1;
    bool first = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ProfileLine k = ClassifyProfileLine(lines[i].text);
        if (k.kind == ProfileLine::Kind::Section) {
            current = RecordSectionIndex(k.name);
            first = current >= 0 && plan.insertAfter[std::size_t(current)] < 0;
            if (first)
                plan.insertAfter[std::size_t(current)] = std::ptrdiff_t(i);
        } else if (k.kind == ProfileLine::Kind::Key && current >= 0) {
            int n = KeyNumber(k.name);
            if (n >= 0 && dirty.count(n))
                plan.keep[i] = false;
            else if (first)
                plan.insertAfter[std::size_t(current)] = std::ptrdiff_t(i);
        }
    }
    return plan;
}

std::string RewrittenText(const std::string& text, const std::vector<TextLine>& lines, const RewritePlan& plan,
                          const RecordLines& added, std::string_view ending)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    std::string_view lastText;
    // Whether the text so far ends with a line ending (of any kind: LF, CR LF, CR).
    bool ended = true;
    auto emitInserted = [&](std::size_t i) {
        for (std::size_t s = 0; s < RecordSections.size(); ++s)
            if (plan.insertAfter[s] == std::ptrdiff_t(i) && !added[s].empty()) {
                if (!ended)
                    out += ending; // the file's last line had no line break
                out += added[s];
                lastText = "x";
                ended = true;
            }
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (plan.keep[i]) {
            out += lines[i].text;
            out += lines[i].ending;
            lastText = lines[i].text;
            ended = !lines[i].ending.empty();
        }
        emitInserted(i);
    }
    // Sections the document does not have yet go at its end, each after a blank line
    // when the text before it is not blank.
    for (std::size_t s = 0; s < RecordSections.size(); ++s) {
        if (plan.insertAfter[s] >= 0 || added[s].empty())
            continue;
        if (!ended)
            out += ending;
        if (!out.empty() && !TrimBlanks(lastText).empty())
            out += ending;
        out += '[';
        out += RecordSections[s];
        out += ']';
        out += ending;
        out += added[s];
        lastText = "x";
        ended = true;
    }
    return out;
}

} // namespace

void RecordStore::Flush()
{
    if (!batch_)
        return;
    std::unique_ptr<Batch> b = std::move(batch_);
    if (!b->dirty.empty()) {
        const std::string text = doc_.Serialize();
        const std::vector<TextLine> lines = SplitTextLines(text);
        const std::string_view ending = FirstLineEnding(lines);
        const RecordLines added = AddedKeyLines(b->records, b->dirty, ending);
        const RewritePlan plan = PlanRewrite(lines, b->dirty);
        doc_ = IniDocument::Parse(RewrittenText(text, lines, plan, added, ending));
    }
    if (b->blankDirty && b->blank)
        doc_.WriteString(settings::Blank.section, settings::Blank.key, *b->blank);
}

} // namespace kex
