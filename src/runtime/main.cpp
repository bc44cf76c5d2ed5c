// The program: builds the show, lets it script itself, runs it, exits.
#include <allegro.h>

#include <cstdlib>
#include <new>

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
    Zorvek::Velmora& show = theShow();
    show.script();
    show.run();
    std::exit(0);
}
END_OF_MAIN()
