// Small file helpers shared by the configuration-store tests.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kex::testing {

// A fresh directory under the system's temporary directory, removed with its
// content at the end (write bits are restored first, so read-only leftovers go too).
class TempDir {
public:
    TempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/kexini.XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = buf.data();
    }
    ~TempDir()
    {
        ::chmod(path_.c_str(), 0755);
        for (const std::string& name : List()) {
            std::string p = path_ + "/" + name;
            ::chmod(p.c_str(), 0644);
            ::unlink(p.c_str());
        }
        ::rmdir(path_.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    // Names of the entries, without "." and "..".
    std::vector<std::string> List() const
    {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(path_.c_str())) {
            while (dirent* e = ::readdir(d)) {
                std::string n = e->d_name;
                if (n != "." && n != "..")
                    names.push_back(n);
            }
            ::closedir(d);
        }
        return names;
    }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& file, const std::string& bytes)
{
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f << bytes;
    if (!f)
        throw std::runtime_error("cannot write " + file);
}

inline std::string ReadBytes(const std::string& file)
{
    std::ifstream f(file, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

inline bool Exists(const std::string& file)
{
    struct stat st {};
    return ::lstat(file.c_str(), &st) == 0;
}

} // namespace kex::testing
