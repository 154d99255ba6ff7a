// The program that opens a file: the file itself when it is an executable, else the
// desktop's default application for the file's content type (GIO).
#include "platform/LinuxPlatform.h"

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

// The absolute path of the default application's program for a content type; empty
// when there is none or its program is not found.
std::string DefaultProgramFor(const std::string& type)
{
    GAppInfo* app = g_app_info_get_default_for_type(type.c_str(), FALSE);
    if (!app)
        return {};
    std::string program;
    if (const char* exe = g_app_info_get_executable(app); exe && *exe) {
        if (gchar* found = g_find_program_in_path(exe)) {
            program = AbsolutePath(found);
            g_free(found);
        }
    }
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

} // namespace kex
