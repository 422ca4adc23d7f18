#include "common/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

std::string SystemError(int error) { return std::strerror(error); }

std::string DirectoryOf(const std::string& path)
{
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, int& error)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

IoResult WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes)
{
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return IoResult::failure(SystemError(errno));

    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    int error = 0;
    bool written = WriteAll(fd, bytes.data(), bytes.size(), error);
    if (written && ::fsync(fd) != 0)
        written = false, error = errno;
    if (::close(fd) != 0 && written)
        written = false, error = errno;
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        if (written)
            error = errno;
        ::unlink(temp.c_str());
        return IoResult::failure(SystemError(error));
    }
    int dir = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

IoResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return IoResult::failure(SystemError(errno));
    bytes.clear();
    std::uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            return IoResult::failure(SystemError(error));
        }
        if (n == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    return {};
}

} // namespace corvane
