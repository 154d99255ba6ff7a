// A temporary directory that is removed with everything in it, and the helpers that
// make a private world of files in it.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "kex")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Writes a file, making its directories, with the mode given.
inline void Write(const std::filesystem::path& file, const std::string& text, int mode = 0644)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    ::chmod(file.c_str(), mode);
}

// An environment variable's value, empty when it is not set.
inline std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}
