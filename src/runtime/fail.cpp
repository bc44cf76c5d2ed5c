#include "runtime/fail.h"

#include <allegro.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace Zorvek {

void warn(const char* message) {
    // The library's message box when its system driver has one. Without one (no library yet, or
    // no system driver in headless runs) the library would print to standard output, where the
    // message is lost among the program's own output; a failure belongs on standard error.
    if (system_driver && system_driver->message) {
        allegro_message("%s", message);
    } else {
        std::fprintf(stderr, "%s\n", message);
    }
}

void fail(int code, const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    warn(message);
    std::exit(code);
}

}  // namespace Zorvek
