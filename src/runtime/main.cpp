// The program: builds the show, lets it script itself, runs it, exits.
#include <allegro.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "show/velmora.h"

namespace {

// The show opens its datafile and module by relative name; they lie beside the program, so the
// program works from its own directory whatever directory it was started from.
void enterProgramDirectory() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return;  // no /proc: stay where we were started
    path[length] = '\0';
    char* slash = std::strrchr(path, '/');
    if (!slash) return;
    slash[slash == path ? 1 : 0] = '\0';
    if (chdir(path) != 0) return;
}

// The demo object holds every effect and its tables by value; it lives in static storage rather
// than on the entry function's stack. It is built once, on the first call, and never destroyed
// on the normal path.
Zorvek::Velmora& theShow() {
    alignas(Zorvek::Velmora) static unsigned char storage[sizeof(Zorvek::Velmora)];
    return *new (storage) Zorvek::Velmora();
}

}  // namespace

int main() {
    enterProgramDirectory();
    Zorvek::Velmora& show = theShow();
    try {
        show.script();
        show.run();
    } catch (...) {
        // Only an exception takes the demo apart; the normal end leaves that to the library's
        // exit handler.
        show.~Velmora();
        throw;
    }
    std::exit(0);
}
END_OF_MAIN()
