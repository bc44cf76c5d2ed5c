#include "runtime/fail.h"

#include <allegro.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace Zorvek {

void fail(int code, const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    // The library's message box; without a system driver it writes to standard error.
    allegro_message("%s", message);
    std::exit(code);
}

}  // namespace Zorvek
