#include "process/fail.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "process/message_box.h"

namespace Zorvek {

namespace {
void showMessage(const char* message, bool fatal) {
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
    showMessageBox(message, fatal);
}
}  // namespace

namespace {
int memoryCode = 0;
const char* memoryDoing = "";
}  // namespace

void failOnOutOfMemory(int code, const char* doing) {
    memoryCode = code;
    memoryDoing = doing;
    std::set_new_handler([] { fail(memoryCode, "Out of memory while %s.", memoryDoing); });
}

void warn(const char* message) { showMessage(message, false); }

void fail(int code, const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    showMessage(message, true);
    std::exit(code);
}

}  // namespace Zorvek
