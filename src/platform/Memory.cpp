#include "platform/Memory.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kex {

std::string ReadKernelFile(const std::string& path, std::size_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::string text;
    char buf[8192];
    while (text.size() < limit) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buf, std::size_t(n));
    }
    ::close(fd);
    return text;
}

std::string LinuxMemory::MemInfo() { return ReadKernelFile("/proc/meminfo"); }

} // namespace kex
