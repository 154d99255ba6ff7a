// kexbar-config read-link: what a shortcut file points to, one value a line.
#include <ostream>

#include "core/config/ConfigTool.h"
#include "core/launch/ShellLink.h"

namespace kex {

namespace {

// A value on one line: line breaks inside it are written as blanks, so that a value
// can never pass for another line.
std::string OneLine(std::string value)
{
    for (char& c : value)
        if (c == '\n' || c == '\r')
            c = ' ';
    return value;
}

int ReadLink(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const std::string& file = args[0];
    TShellLink link;
    link.SetPath(file);
    if (!link.Resolved()) {
        err << "kexbar-config: cannot read shortcut " << file << ": " << link.Error() << "\n";
        return kConfigUsage;
    }
    out << "Target=" << OneLine(link.Target()) << "\n"
        << "WorkingDir=" << OneLine(link.WorkingDir()) << "\n"
        << "Description=" << OneLine(link.Description()) << "\n"
        << "Arguments=" << OneLine(link.Arguments()) << "\n"
        << "IconLocation=" << OneLine(link.IconLocation()) << "\n"
        << "IconNumber=" << link.IconNumber() << "\n"
        << "ShowCmd=" << link.ShowCmd() << "\n"
        << "HotKey=" << link.HotKey() << "\n";
    return kConfigOk;
}

} // namespace

std::vector<ToolCommand> ShortcutCommands() { return {{"read-link", "FILE", 1, 1, ReadLink}}; }

} // namespace kex
