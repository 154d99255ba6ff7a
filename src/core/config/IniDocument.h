// The parsed text of a Windows-profile ("INI") file with the profile's rules for
// names and values, indexed so that a look-up costs the same in a file of ten pages
// as in one of a thousand. The file object that reads and writes it on disk is
// TNewIniFile (NewIniFile.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kex {

// A value is cut to this many characters when it is read (a 1024-byte buffer).
inline constexpr std::size_t kMaxValueLength = 1023;
// EraseKey cuts section and key names to this many characters first.
inline constexpr std::size_t kMaxEraseNameLength = 127;

// Blanks and tabs around a name or value are not part of it.
std::string_view TrimBlanks(std::string_view s);
// A name as the file's lines give it: byte-order marks before it and blanks around
// it are no part of it, so that a name given with either finds its own line again.
std::string_view NameOf(std::string_view name);
// The form a value takes in the file: line breaks inside it become blanks (they would
// split it into lines of their own).
std::string StoredValue(std::string_view value);

// ASCII case-insensitive comparison, as the profile functions compare names.
bool SameName(std::string_view a, std::string_view b);

// Integer rules of the profile: decimal, or "0x"/"0X" hexadecimal when the text is
// longer than two characters; anything else (empty, trailing junk, out of the
// 32-bit range) gives the default.
int ParseProfileInt(std::string_view text, int def);

// A text split into lines, each with its line ending: LF, CR LF, or a lone CR (files
// written with old Macintosh line ends); the last line may have none.
struct TextLine {
    std::string_view text;
    std::string_view ending;
};
std::vector<TextLine> SplitTextLines(std::string_view all);

// One line of a profile file as the store reads it: blank and comment lines (";",
// "#") are nothing, "[name]" is a section header, a line with "=" is a key; names and
// values are taken without surrounding blanks and tabs; a UTF-8 byte-order mark at the
// start is no part of the line (nor of a name given by a caller).
struct ProfileLine {
    enum class Kind : std::uint8_t { Other, Section, Key };
    Kind kind = Kind::Other;
    std::string_view name;
    std::string_view value;
};
ProfileLine ClassifyProfileLine(std::string_view text);

// The parsed text of one profile file. Every line is kept as it was read, with its
// own line ending, so that unknown sections, keys, comments and blank lines survive a
// rewrite byte for byte. Lookups follow the profile functions: section and key names
// match without regard to ASCII case, the first match wins, keys and values are taken
// without surrounding blanks and tabs. Lines without "=" and comment lines (";" or
// "#") are never keys; lines before the first section belong to no section.
//
// The text is held section by section, and each section's keys are indexed by name
// (built on the first look-up into that section, kept right by every change), so a
// look-up or a change costs the same whatever the file's size; parsing is one pass.
// A document is not for use by two threads at once (a look-up may build an index).
class IniDocument {
public:
    IniDocument();
    IniDocument(const IniDocument& other);
    IniDocument(IniDocument&& other) noexcept;
    IniDocument& operator=(const IniDocument& other);
    IniDocument& operator=(IniDocument&& other) noexcept;
    ~IniDocument();

    static IniDocument Parse(std::string_view text);
    std::string Serialize() const;

    // The stored value (whole, not cut), or nothing when the key is absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Profile read: the value cut to kMaxValueLength, or the default when absent.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

    // Changes the first matching key of the first matching section; a new key goes
    // after the last key of that section, a new section at the end of the text.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // Removes every occurrence of the key in every section of that name, so that an
    // erased key reads as absent afterwards. Answers whether anything was removed.
    bool EraseKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines.
    bool EraseSection(std::string_view section);

    bool HasSection(std::string_view section) const;
    // Section names in file order (each name once, as first written).
    std::vector<std::string> SectionNames() const;
    // Keys of the first section of that name with their values, first occurrence of
    // each key only, in file order.
    std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;
    // The same keys with their whole values, as views into the document that hold
    // until it is changed.
    void ForEachKey(std::string_view section,
                    const std::function<void(std::string_view key, std::string_view value)>& visit) const;
    bool Empty() const;

private:
    friend class TNewIniFile;
    // Takes the text over without copying it.
    static IniDocument Adopt(std::string text);

    enum class Ending : std::uint8_t { None, LF, CRLF, CR };
    using Kind = ProfileLine::Kind;
    // A line points into the text it was parsed from, or into a string of its own
    // once it is made or changed here. Both are shared and never changed, so copies
    // of a document may share them. A removed line stays in place, marked, until the
    // document is written out, so that the positions the indexes hold stay true.
    struct Line {
        std::string_view text; // without the line ending
        std::shared_ptr<const std::string> own;
        Ending ending = Ending::None;
        Kind kind = Kind::Other;
        bool removed = false;
    };
    struct Section;
    struct Index;
    static Line MakeLine(std::string text, Ending ending);

    // Position in sections_ of the first section of that name, or npos.
    std::size_t FindSection(std::string_view name) const;
    // Position in the section's lines of the first key of that name, or npos.
    std::size_t FindKey(const Section& section, std::string_view key) const;
    const Index& Sections() const;
    Ending NewLineEnding() const;
    // The text's last line that is not removed, or nullptr.
    const Line* LastLine() const;
    // Before a line is added at the very end: the line that ends the text now gets a
    // line ending when it has none.
    void EndLastLine();

    std::shared_ptr<const std::string> buffer_; // the parsed text
    // sections_[0] holds the lines before the first section header (it has none).
    std::vector<Section> sections_;
    mutable std::unique_ptr<Index> index_; // section names, made on first use
    mutable std::optional<Ending> newEnding_;
};

} // namespace kex
