#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Zorvek::platform {

namespace {
// Reads exactly `size` bytes, through short reads and interruptions.
bool readFully(int fd, std::uint8_t* at, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::read(fd, at, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

FileStatus readRegularFile(const char* path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (!path || !*path) return FileStatus::NotFound;
    // Without O_NONBLOCK, opening a pipe waits for a writer forever.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? FileStatus::NotFound : FileStatus::Unreadable;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
              static_cast<unsigned long long>(info.st_size) <= limit;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        ok = readFully(fd, bytes.data(), bytes.size());
        // A file that grew while it was read is taken as it stood when it was opened.
    }
    ::close(fd);
    if (!ok) bytes.clear();
    return ok ? FileStatus::Ok : FileStatus::Unreadable;
}

}  // namespace Zorvek::platform
