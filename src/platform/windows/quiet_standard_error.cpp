#include "process/chatter.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace Zorvek {

QuietStandardError::QuietStandardError(bool quiet) {
    if (!quiet) return;
    std::fflush(stderr);
    const int nowhere = _open("NUL", _O_WRONLY | _O_NOINHERIT);
    if (nowhere < 0) return;
    saved = _dup(_fileno(stderr));
    if (saved >= 0) _dup2(nowhere, _fileno(stderr));
    _close(nowhere);
}

QuietStandardError::~QuietStandardError() {
    if (saved < 0) return;
    std::fflush(stderr);
    _dup2(saved, _fileno(stderr));
    _close(saved);
}

}  // namespace Zorvek
