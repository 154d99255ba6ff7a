#include "core/config/IniDocument.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <stdexcept>

namespace kex {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t npos = std::string::npos;

void CheckName(std::string_view name, bool isSection)
{
    for (char c : name)
        if (c == '\n' || c == '\r' || (isSection ? c == ']' : c == '='))
            throw std::invalid_argument(std::string(isSection ? "Invalid section name: " : "Invalid key name: ")
                                        + std::string(name));
    // A key line must not read back as a section header or a comment.
    std::string_view t = NameOf(name);
    if (!isSection && (t.empty() || t.front() == '[' || t.front() == ';' || t.front() == '#'))
        throw std::invalid_argument("Invalid key name: " + std::string(name));
}

std::string Cut(std::string_view s, std::size_t n) { return std::string(s.substr(0, n)); }

// Names are hashed and compared as the profile compares them: ASCII letters without
// regard to case.
struct FoldHash {
    std::size_t operator()(std::string_view s) const noexcept
    {
        std::uint64_t h = 14695981039346656037ull;
        for (char c : s) {
            h ^= static_cast<unsigned char>(Lower(c));
            h *= 1099511628211ull;
        }
        return std::size_t(h);
    }
};
struct FoldEqual {
    bool operator()(std::string_view a, std::string_view b) const noexcept { return SameName(a, b); }
};
template <class T> using NameMap = std::unordered_map<std::string_view, T, FoldHash, FoldEqual>;

} // namespace

// ------------------------------------------------------------------ names and values

std::string_view NameOf(std::string_view name)
{
    name = TrimBlanks(name);
    while (name.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        name = TrimBlanks(name.substr(kByteOrderMark.size()));
    return name;
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string StoredValue(std::string_view value)
{
    std::string v(value);
    for (char& c : v)
        if (c == '\n' || c == '\r')
            c = ' ';
    return v;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

int ParseProfileInt(std::string_view text, int def)
{
    int base = 10;
    std::string_view digits = text;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        digits = text.substr(2);
    }
    bool negative = false;
    if (base == 10 && !digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    // from_chars takes a minus sign of its own: "--5" or "0x-1" are no integers.
    if (digits.empty() || digits[0] == '-' || digits[0] == '+')
        return def;
    long long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return def;
    if (negative)
        value = -value;
    if (base == 16 && value > INT_MAX && value <= 0xFFFFFFFFLL)
        value -= 0x100000000LL; // "0xFFFFFFFF" is -1, as a 32-bit integer reads it
    if (value < INT_MIN || value > INT_MAX)
        return def;
    return int(value);
}

namespace {

// The next line of `all` and the length of its ending (0 for the last line without one).
std::pair<std::string_view, std::size_t> NextLine(std::string_view all)
{
    std::size_t brk = 0;
    while (brk < all.size() && all[brk] != '\n' && all[brk] != '\r')
        ++brk;
    if (brk == all.size())
        return {all, 0};
    const std::size_t len = (all[brk] == '\r' && brk + 1 < all.size() && all[brk + 1] == '\n') ? 2 : 1;
    return {all.substr(0, brk), len};
}

} // namespace

std::vector<TextLine> SplitTextLines(std::string_view all)
{
    std::vector<TextLine> lines;
    while (!all.empty()) {
        const auto [text, len] = NextLine(all);
        lines.push_back({text, all.substr(text.size(), len)});
        all.remove_prefix(text.size() + len);
    }
    return lines;
}

ProfileLine ClassifyProfileLine(std::string_view text)
{
    using Kind = ProfileLine::Kind;
    ProfileLine p;
    // The byte-order mark some editors put at the start of a file is no part of the
    // first line's content (it stays in the file).
    std::string_view t = NameOf(text);
    if (t.empty() || t.front() == ';' || t.front() == '#')
        return p;
    if (t.front() == '[') {
        auto close = t.find(']');
        if (close != std::string_view::npos) {
            p.kind = Kind::Section;
            p.name = NameOf(t.substr(1, close - 1));
        }
        return p;
    }
    auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return p;
    p.kind = Kind::Key;
    p.name = NameOf(t.substr(0, eq));
    p.value = TrimBlanks(t.substr(eq + 1));
    return p;
}

// ---------------------------------------------------------------- IniDocument

// Where the key lines of one section are: every key name (its first occurrence and
// any later ones) and the last key line, after which a new key goes. Names are views
// into the lines, which the index follows when a line is replaced.
struct KeyPositions {
    std::size_t first = npos;
    std::vector<std::size_t> more;
};
struct KeyIndex {
    NameMap<KeyPositions> keys;
    std::size_t last = npos;
};

struct IniDocument::Section {
    Line header; // a section header; sections_[0], the lines before any header, has none
    bool hasHeader = false;
    std::vector<Line> lines;
    mutable std::unique_ptr<KeyIndex> keys; // made on the first look-up

    Section() = default;
    Section(const Section& o) : header(o.header), hasHeader(o.hasHeader), lines(o.lines) {}
    Section(Section&&) noexcept = default;
    Section& operator=(const Section& o)
    {
        header = o.header;
        hasHeader = o.hasHeader;
        lines = o.lines;
        keys.reset();
        return *this;
    }
    Section& operator=(Section&&) noexcept = default;

    std::string_view Name() const { return ClassifyProfileLine(header.text).name; }

    KeyIndex& Keys() const
    {
        if (!keys) {
            auto index = std::make_unique<KeyIndex>();
            index->keys.reserve(lines.size());
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (lines[i].removed || lines[i].kind != Kind::Key)
                    continue;
                auto [it, added] = index->keys.try_emplace(ClassifyProfileLine(lines[i].text).name);
                if (added)
                    it->second.first = i;
                else
                    it->second.more.push_back(i);
                index->last = i;
            }
            keys = std::move(index);
        }
        return *keys;
    }
};

// The sections of each name, in file order.
struct IniDocument::Index {
    NameMap<std::vector<std::size_t>> sections;
};

IniDocument::IniDocument() { sections_.emplace_back(); }
IniDocument::IniDocument(const IniDocument& other)
    : buffer_(other.buffer_), sections_(other.sections_), newEnding_(other.newEnding_)
{
}
IniDocument::IniDocument(IniDocument&& other) noexcept = default;
IniDocument& IniDocument::operator=(const IniDocument& other)
{
    if (this != &other) {
        buffer_ = other.buffer_;
        sections_ = other.sections_;
        index_.reset();
        newEnding_ = other.newEnding_;
    }
    return *this;
}
IniDocument& IniDocument::operator=(IniDocument&& other) noexcept = default;
IniDocument::~IniDocument() = default;

IniDocument IniDocument::Parse(std::string_view text) { return Adopt(std::string(text)); }

IniDocument IniDocument::Adopt(std::string text)
{
    IniDocument doc;
    doc.buffer_ = std::make_shared<const std::string>(std::move(text));
    std::string_view all = *doc.buffer_;
    while (!all.empty()) {
        const auto [lineText, len] = NextLine(all);
        Line line;
        line.text = lineText;
        line.ending = len == 0                       ? Ending::None
                      : len == 2                     ? Ending::CRLF
                      : all[lineText.size()] == '\n' ? Ending::LF
                                                     : Ending::CR;
        line.kind = ClassifyProfileLine(lineText).kind;
        all.remove_prefix(lineText.size() + len);
        if (line.kind == Kind::Section) {
            doc.sections_.emplace_back();
            doc.sections_.back().header = std::move(line);
            doc.sections_.back().hasHeader = true;
        } else {
            doc.sections_.back().lines.push_back(std::move(line));
        }
    }
    return doc;
}

IniDocument::Line IniDocument::MakeLine(std::string text, Ending ending)
{
    Line l;
    l.own = std::make_shared<const std::string>(std::move(text));
    l.text = *l.own;
    l.ending = ending;
    l.kind = ClassifyProfileLine(l.text).kind;
    return l;
}

namespace {
std::string_view EndingText(std::uint8_t e) { return e == 3 ? "\r" : e == 2 ? "\r\n" : e == 1 ? "\n" : ""; }
} // namespace

std::string IniDocument::Serialize() const
{
    std::size_t total = 0;
    auto count = [&](const Line& l) {
        if (!l.removed)
            total += l.text.size() + EndingText(std::uint8_t(l.ending)).size();
    };
    for (const Section& s : sections_) {
        if (s.hasHeader)
            count(s.header);
        std::for_each(s.lines.begin(), s.lines.end(), count);
    }
    std::string out;
    out.reserve(total);
    auto write = [&](const Line& l) {
        if (!l.removed) {
            out += l.text;
            out += EndingText(std::uint8_t(l.ending));
        }
    };
    for (const Section& s : sections_) {
        if (s.hasHeader)
            write(s.header);
        std::for_each(s.lines.begin(), s.lines.end(), write);
    }
    return out;
}

const IniDocument::Index& IniDocument::Sections() const
{
    if (!index_) {
        auto index = std::make_unique<Index>();
        for (std::size_t i = 1; i < sections_.size(); ++i)
            index->sections[sections_[i].Name()].push_back(i);
        index_ = std::move(index);
    }
    return *index_;
}

// Names given by callers are taken without surrounding blanks, as the names in the
// file are, so that a name written with a blank finds its own line again.
std::size_t IniDocument::FindSection(std::string_view name) const
{
    const Index& index = Sections();
    const auto it = index.sections.find(NameOf(name));
    return it == index.sections.end() ? npos : it->second.front();
}

std::size_t IniDocument::FindKey(const Section& section, std::string_view key) const
{
    const KeyIndex& index = section.Keys();
    const auto it = index.keys.find(NameOf(key));
    return it == index.keys.end() ? npos : it->second.first;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const
{
    const std::size_t s = FindSection(section);
    if (s == npos)
        return std::nullopt;
    const std::size_t k = FindKey(sections_[s], key);
    if (k == npos)
        return std::nullopt;
    return std::string(ClassifyProfileLine(sections_[s].lines[k].text).value);
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    auto v = Get(section, key);
    return Cut(v ? std::string_view(*v) : def, kMaxValueLength);
}

int IniDocument::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    auto v = Get(section, key);
    if (!v)
        return def;
    return ParseProfileInt(std::string_view(*v).substr(0, kMaxValueLength), def);
}

// New lines take the ending of the text's first line that has one (LF for a text
// without any).
IniDocument::Ending IniDocument::NewLineEnding() const
{
    if (!newEnding_) {
        newEnding_ = Ending::LF;
        auto take = [&](const Line& l) {
            if (!l.removed && l.ending != Ending::None) {
                newEnding_ = l.ending;
                return true;
            }
            return false;
        };
        for (const Section& s : sections_)
            if ((s.hasHeader && take(s.header)) || std::any_of(s.lines.begin(), s.lines.end(), take))
                break;
    }
    return *newEnding_;
}

const IniDocument::Line* IniDocument::LastLine() const
{
    for (auto s = sections_.rbegin(); s != sections_.rend(); ++s) {
        for (auto l = s->lines.rbegin(); l != s->lines.rend(); ++l)
            if (!l->removed)
                return &*l;
        if (s->hasHeader)
            return &s->header;
    }
    return nullptr;
}

// Only the text's very last line can be without a line ending: every line that ever
// had another after it got one then.
void IniDocument::EndLastLine()
{
    Section& s = sections_.back();
    Line* last = !s.lines.empty() ? &s.lines.back() : s.hasHeader ? &s.header : nullptr;
    if (last && last->ending == Ending::None)
        last->ending = NewLineEnding();
}

void IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    CheckName(section, true);
    CheckName(key, false);
    std::string line = std::string(NameOf(key)) + "=" + StoredValue(value);
    const std::size_t si = FindSection(section);
    if (si == npos) {
        // A new section goes at the end, after a blank line when the file has text.
        const Ending ending = NewLineEnding();
        if (const Line* last = LastLine(); last && !TrimBlanks(last->text).empty()) {
            EndLastLine();
            sections_.back().lines.push_back(MakeLine("", ending));
        }
        EndLastLine();
        Section added;
        added.header = MakeLine("[" + std::string(NameOf(section)) + "]", ending);
        added.hasHeader = true;
        added.lines.push_back(MakeLine(std::move(line), ending));
        sections_.push_back(std::move(added));
        if (index_)
            index_->sections[sections_.back().Name()].push_back(sections_.size() - 1);
        return;
    }
    Section& s = sections_[si];
    KeyIndex& index = s.Keys();
    if (auto it = index.keys.find(NameOf(key)); it != index.keys.end()) {
        // The index's name lies in the old line: taken out before the line goes, it
        // comes back with the name in the new one.
        auto node = index.keys.extract(it);
        // Keep the key as it was spelled and any indentation before it.
        Line& l = s.lines[node.mapped().first];
        std::string_view before = l.text.substr(0, l.text.find('='));
        while (!before.empty() && (before.back() == ' ' || before.back() == '\t'))
            before.remove_suffix(1);
        l = MakeLine(std::string(before) + "=" + StoredValue(value), l.ending);
        node.key() = ClassifyProfileLine(l.text).name;
        index.keys.insert(std::move(node));
        return;
    }
    // A new key goes after the last key line of the section (before trailing blank
    // lines and comments), or right after the header. No key line lies after it, so
    // the index's positions stay as they are.
    const std::size_t at = index.last == npos ? 0 : index.last + 1;
    if (si == sections_.size() - 1 && at == s.lines.size())
        EndLastLine();
    s.lines.insert(s.lines.begin() + std::ptrdiff_t(at), MakeLine(std::move(line), NewLineEnding()));
    index.keys[ClassifyProfileLine(s.lines[at].text).name].first = at;
    index.last = at;
}

void IniDocument::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

bool IniDocument::EraseKey(std::string_view section, std::string_view key)
{
    key = NameOf(key);
    const Index& sections = Sections();
    const auto named = sections.sections.find(NameOf(section));
    if (named == sections.sections.end())
        return false;
    bool removed = false;
    for (std::size_t si : named->second) {
        Section& s = sections_[si];
        KeyIndex& index = s.Keys();
        const auto it = index.keys.find(key);
        if (it == index.keys.end())
            continue;
        bool lastGone = false;
        auto remove = [&](std::size_t at) {
            s.lines[at].removed = true;
            lastGone = lastGone || at == index.last;
        };
        remove(it->second.first);
        std::for_each(it->second.more.begin(), it->second.more.end(), remove);
        index.keys.erase(it);
        if (lastGone) {
            std::size_t i = index.last;
            index.last = npos;
            while (i-- > 0)
                if (!s.lines[i].removed && s.lines[i].kind == Kind::Key) {
                    index.last = i;
                    break;
                }
        }
        removed = true;
    }
    if (removed)
        newEnding_.reset();
    return removed;
}

bool IniDocument::EraseSection(std::string_view section)
{
    const Index& index = Sections();
    const auto named = index.sections.find(NameOf(section));
    if (named == index.sections.end())
        return false;
    std::vector<bool> gone(sections_.size(), false);
    for (std::size_t si : named->second)
        gone[si] = true;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (!gone[i]) {
            if (kept != i)
                sections_[kept] = std::move(sections_[i]);
            ++kept;
        }
    sections_.erase(sections_.begin() + std::ptrdiff_t(kept), sections_.end());
    index_.reset();
    newEnding_.reset();
    return true;
}

bool IniDocument::HasSection(std::string_view section) const { return FindSection(section) != npos; }

std::vector<std::string> IniDocument::SectionNames() const
{
    const Index& index = Sections();
    std::vector<std::string> names;
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        const std::string_view name = sections_[i].Name();
        if (index.sections.find(name)->second.front() == i)
            names.emplace_back(name);
    }
    return names;
}

void IniDocument::ForEachKey(std::string_view section,
                             const std::function<void(std::string_view key, std::string_view value)>& visit) const
{
    const std::size_t si = FindSection(section);
    if (si == npos)
        return;
    const Section& s = sections_[si];
    const KeyIndex& index = s.Keys();
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        if (s.lines[i].removed || s.lines[i].kind != Kind::Key)
            continue;
        const ProfileLine p = ClassifyProfileLine(s.lines[i].text);
        if (index.keys.find(p.name)->second.first == i)
            visit(p.name, p.value);
    }
}

std::vector<std::pair<std::string, std::string>> IniDocument::ReadSection(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> keys;
    ForEachKey(section, [&](std::string_view key, std::string_view value) {
        keys.emplace_back(std::string(key), Cut(value, kMaxValueLength));
    });
    return keys;
}

bool IniDocument::Empty() const
{
    return sections_.size() == 1
           && std::all_of(sections_[0].lines.begin(), sections_[0].lines.end(),
                          [](const Line& l) { return l.removed; });
}

} // namespace kex
