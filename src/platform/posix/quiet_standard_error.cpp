#include "process/chatter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace Zorvek {

QuietStandardError::QuietStandardError(bool quiet) {
    if (!quiet) return;
    std::fflush(stderr);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere < 0) return;
    saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved >= 0) ::dup2(nowhere, STDERR_FILENO);
    ::close(nowhere);
}

QuietStandardError::~QuietStandardError() {
    if (saved < 0) return;
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
}

}  // namespace Zorvek
