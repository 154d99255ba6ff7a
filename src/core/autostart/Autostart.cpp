#include "core/autostart/Autostart.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "core/config/NewIniFile.h"
#include "core/launch/DesktopEntry.h"

namespace kex {

std::string AutostartFileName(const std::string& configHome, const std::string& home)
{
    const std::string base = !configHome.empty() && configHome[0] == '/' ? configHome : home + "/.config";
    return base + "/autostart/kexbar.desktop";
}

std::string ExecArgument(const std::string& arg)
{
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    const bool quote = arg.empty() || arg.find_first_of(reserved) != std::string::npos;
    if (quote)
        quoted += '"';
    for (char c : arg) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    if (quote)
        quoted += '"';
    // The value's own escapes, read before the line is split.
    std::string value;
    for (char c : quoted) {
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

std::string AutostartEntry(const std::string& program, const std::vector<std::string>& args, const std::string& appDir)
{
    std::string exec = "env " + ExecArgument("KEXBAR_DIR=" + appDir) + " " + ExecArgument(program);
    for (const std::string& a : args)
        exec += " " + ExecArgument(a);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kexbar\n"
           "Comment=The program launcher bar\n"
           "Exec="
           + exec
           + "\n"
             "Icon=kexbar\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartEnabled(const std::string& file)
{
    std::string text;
    try {
        if (!ReadRegularFile(file, text))
            return false;
    } catch (const std::exception&) {
        return false; // not a regular file: the session starts nothing from it
    }
    const std::optional<DesktopEntry> entry = ParseDesktopEntry(text);
    return entry && !entry->hidden;
}

void SetAutostart(const std::string& file, bool on, const std::string& entryText)
{
    if (!on) {
        if (::unlink(file.c_str()) != 0 && errno != ENOENT)
            throw std::runtime_error(file + " cannot be removed: " + std::strerror(errno));
        return;
    }
    const std::filesystem::path dir = std::filesystem::path(file).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec)
        throw std::runtime_error(dir.string() + " cannot be made: " + ec.message());
    // A file that is no regular one (a directory, a FIFO) is not written over.
    struct stat st {};
    if (::lstat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        throw std::runtime_error(file + " cannot be written: it is not a regular file");
    errno = 0;
    if (!ReplaceFile(file, entryText))
        throw std::runtime_error(file + " cannot be written: " + std::strerror(errno ? errno : EACCES));
}

} // namespace kex
