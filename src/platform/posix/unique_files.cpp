#include "capture/unique_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace Zorvek::capture {

namespace {

// The exclusive creation calls make private files and folders; the capture's outputs get the
// permissions any new file gets.
mode_t creationMask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

int createUniqueFile(std::string& name) {
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) fchmod(fd, 0666 & ~creationMask());
    return fd;
}

bool createUniqueFolder(std::string& name) {
    if (!mkdtemp(name.data())) return false;
    chmod(name.c_str(), 0777 & ~creationMask());
    return true;
}

int anonymousFile(const char* name) {
    int fd = memfd_create(name, MFD_CLOEXEC);
    if (fd >= 0) return fd;
    // Without memory files: a temporary file whose name goes at once.
    std::error_code ec;
    std::string path = (std::filesystem::temp_directory_path(ec) / "velmora-XXXXXX").string();
    fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd >= 0) unlink(path.c_str());
    return fd;
}

}  // namespace Zorvek::capture
