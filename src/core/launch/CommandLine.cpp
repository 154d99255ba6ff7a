#include "core/launch/CommandLine.h"

#include <charconv>

#include "core/config/NewIniFile.h"
#include "core/launch/DesktopEntry.h"

namespace kex {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsSpecial(char c) { return IsSeparator(c) || c == '\'' || c == '"' || c == '\\'; }

} // namespace

std::string ShortPathOf(std::string_view path)
{
    bool special = false;
    for (char c : path)
        if (IsSpecial(c)) {
            special = true;
            break;
        }
    if (!special)
        return std::string(path);

    std::string quoted;
    quoted.reserve(path.size() + 8);
    quoted += '\'';
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''"; // close, an escaped quote, open again
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::vector<std::string> SplitCommandLine(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // a word has begun (also an empty one from "" or '')
    size_t i = 0;
    const size_t n = line.size();

    auto finishWord = [&] {
        if (inWord)
            words.push_back(std::move(word));
        word.clear();
        inWord = false;
    };

    while (i < n) {
        const char c = line[i];
        if (IsSeparator(c)) {
            finishWord();
            ++i;
        } else if (c == '\'') {
            inWord = true;
            ++i;
            while (i < n && line[i] != '\'')
                word += line[i++];
            if (i < n)
                ++i; // the closing quote
        } else if (c == '"') {
            inWord = true;
            ++i;
            while (i < n && line[i] != '"') {
                if (line[i] == '\\' && i + 1 < n) {
                    const char next = line[i + 1];
                    if (next == '"' || next == '\\' || next == '$' || next == '`') {
                        word += next;
                        i += 2;
                        continue;
                    }
                    if (next == '\n') {
                        i += 2;
                        continue;
                    }
                }
                word += line[i++];
            }
            if (i < n)
                ++i; // the closing quote
        } else if (c == '\\') {
            if (i + 1 < n) {
                if (line[i + 1] != '\n') {
                    inWord = true;
                    word += line[i + 1];
                }
                i += 2;
            } else {
                inWord = true;
                word += c;
                ++i;
            }
        } else {
            inWord = true;
            word += c;
            ++i;
        }
    }
    finishWord();
    return words;
}

std::string ProgramOf(std::string_view programText)
{
    // Only the first word matters; split a copy that stops early would save little.
    std::vector<std::string> words = SplitCommandLine(programText);
    return words.empty() ? std::string() : std::move(words.front());
}

std::string DirectoryPart(std::string_view programText)
{
    const std::string program = ProgramOf(programText);
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

std::string FileNamePart(std::string_view programText)
{
    const std::string program = ProgramOf(programText);
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? program : program.substr(slash + 1);
}

std::string NameWithoutExtension(std::string_view fileName)
{
    const size_t slash = fileName.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart)
        return std::string(fileName);
    return std::string(fileName.substr(0, dot));
}

std::string ProgramLabel(std::string_view programText)
{
    const std::vector<std::string> words = SplitCommandLine(programText);
    if (words.empty())
        return {};
    return NameWithoutExtension(PathFileName(words[TerminalWrapperWords(words)]));
}

std::string RecentEntryText(std::string_view description, std::string_view programText, int buttonNumber)
{
    std::string label;
    if (!description.empty())
        label = description;
    else
        label = ProgramLabel(programText);
    // The whole entry fits a stored value: a long label is cut, never the number after
    // it, and not inside a UTF-8 character (at most three bytes are given back).
    const std::string tail = "  |" + std::to_string(buttonNumber);
    const std::size_t room = kMaxValueLength > tail.size() ? kMaxValueLength - tail.size() : 0;
    if (label.size() > room) {
        std::size_t cut = room;
        for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80; ++back)
            --cut;
        label.resize(cut);
    }
    return label + tail;
}

int NumberFromRecentEntry(std::string_view text)
{
    const size_t bar = text.rfind("  |");
    if (bar == std::string_view::npos)
        return 0;
    const std::string_view digits = text.substr(bar + 3);
    if (digits.empty())
        return 0;
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size() || number < 0)
        return 0;
    return number;
}

bool ShouldShrink(std::string_view shrinkNow, std::string_view shrinkSetting)
{
    if (shrinkNow == "Yes")
        return true;
    if (shrinkNow == "No")
        return false;
    return shrinkSetting == "Yes";
}

std::string FilesParameterList(const std::vector<std::string>& files)
{
    std::string list;
    for (const std::string& file : files) {
        list += ' ';
        list += ShortPathOf(file);
    }
    return list;
}

std::string PathFileName(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string JoinCommandLine(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& w : words) {
        if (!line.empty())
            line += ' ';
        line += w.empty() ? std::string("''") : ShortPathOf(w);
    }
    return line;
}

namespace {

// A name in a message: in quotes, its line breaks written as \n and \r so that the
// message shows the name on one line.
std::string QuotedName(std::string_view name)
{
    std::string shown = "\"";
    for (char c : name)
        shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    return shown + "\"";
}

} // namespace

std::optional<std::string> UnstorableName(std::string_view name)
{
    if (name.find_first_of("\n\r") == std::string_view::npos)
        return std::nullopt;
    return QuotedName(name)
           + " holds a line break in its name, which the configuration file cannot keep. Rename it and try again.";
}

std::string FileNotFoundText(std::string_view name) { return QuotedName(name) + " cannot be found."; }

FileOpening OpeningOf(const std::vector<std::string>& opener, std::string_view file)
{
    FileOpening opening{JoinCommandLine(opener), ShortPathOf(file)};
    if (opener.size() == 1 && opening.program == opening.document)
        opening.document.clear();
    return opening;
}

} // namespace kex
