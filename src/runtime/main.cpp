// The program: builds the show, lets it script itself, runs it, exits.
#include <allegro.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/data_dir.h"
#include "show/velmora.h"

namespace {

// The demo object holds every effect and its tables by value; it lives in static storage rather
// than on the entry function's stack. It is built once, on the first call, and never destroyed
// on the normal path.
Zorvek::Velmora& theShow() {
    alignas(Zorvek::Velmora) static unsigned char storage[sizeof(Zorvek::Velmora)];
    return *new (storage) Zorvek::Velmora();
}

}  // namespace

int main() {
    // The show opens its files by relative name: work from the folder that holds them.
    Zorvek::enterShowDataFolder("velmora");
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
