// The program that opens a file: the file itself when it is an executable, else the
// desktop's default application for the file's content type (GIO).
#include "platform/LinuxPlatform.h"

#include "core/launch/DesktopEntry.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kex {

namespace {

std::string AbsolutePath(const std::string& file)
{
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(file, ec);
    if (ec)
        return file;
    return abs.lexically_normal().string();
}

// The content type of an existing file: its name and its first bytes.
std::string ContentTypeOf(const std::string& file, bool directory)
{
    if (directory)
        return "inode/directory";
    char head[4096];
    std::size_t got = 0;
    if (std::ifstream in(file, std::ios::binary); in) {
        in.read(head, sizeof head);
        got = std::size_t(in.gcount());
    }
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(file.c_str(), reinterpret_cast<const guchar*>(head), got, &uncertain);
    std::string result = type ? type : "";
    g_free(type);
    return result;
}

// The absolute path of a program found through PATH; empty when not found.
std::string InPath(const std::string& program)
{
    std::string path;
    if (gchar* found = g_find_program_in_path(program.c_str())) {
        path = AbsolutePath(found);
        g_free(found);
    }
    return path;
}

// argv inside the user's terminal emulator (see TerminalCommand).
std::vector<std::string> RunInTerminal(const std::vector<std::string>& argv)
{
    const char* terminal = std::getenv("TERMINAL");
    return InTerminalResolved(argv, terminal ? terminal : "", [](const std::string& name) { return InPath(name); });
}

// The default application's command for a content type (see OpenCommand); empty when
// there is none or its program is not found.
std::vector<std::string> DefaultCommandFor(const std::string& type)
{
    GAppInfo* app = g_app_info_get_default_for_type(type.c_str(), FALSE);
    if (!app)
        return {};
    std::optional<DesktopEntry> entry;
    if (G_IS_DESKTOP_APP_INFO(app))
        if (const char* file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app)))
            entry = ReadDesktopEntry(file);
    g_object_unref(app);
    if (!entry)
        return {};
    std::vector<std::string> argv = entry->OpenerArgv();
    if (argv.empty() || (argv[0] = InPath(argv[0])).empty())
        return {};
    return entry->terminal ? RunInTerminal(argv) : argv;
}

// The absolute path of the default application's program for a content type; empty
// when there is none or its program is not found.
std::string DefaultProgramFor(const std::string& type)
{
    GAppInfo* app = g_app_info_get_default_for_type(type.c_str(), FALSE);
    if (!app)
        return {};
    std::string program;
    if (const char* exe = g_app_info_get_executable(app); exe && *exe)
        program = InPath(exe);
    g_object_unref(app);
    return program;
}

} // namespace

int LinuxPlatform::FindExecutable(const std::string& file, std::string& program)
{
    program.clear();
    struct stat st {};
    if (file.empty() || ::stat(file.c_str(), &st) != 0)
        return kFindFileNotFound;

    const bool directory = S_ISDIR(st.st_mode);
    if (S_ISREG(st.st_mode) && ::access(file.c_str(), X_OK) == 0) {
        program = AbsolutePath(file);
        return kFindOk;
    }

    const std::string type = ContentTypeOf(file, directory);
    if (type.empty())
        return kFindNoAssociation;
    program = DefaultProgramFor(type);
    return program.empty() ? kFindNoAssociation : kFindOk;
}

std::vector<std::string> LinuxPlatform::TerminalCommand(const std::vector<std::string>& argv)
{
    return RunInTerminal(argv);
}

std::vector<std::string> LinuxPlatform::OpenCommand(const std::string& file)
{
    struct stat st {};
    if (file.empty() || ::stat(file.c_str(), &st) != 0)
        return {};
    if (S_ISREG(st.st_mode) && ::access(file.c_str(), X_OK) == 0)
        return {AbsolutePath(file)};
    const std::string type = ContentTypeOf(file, S_ISDIR(st.st_mode));
    return type.empty() ? std::vector<std::string>() : DefaultCommandFor(type);
}

} // namespace kex
