#include "process/chatter.h"

#include <cstdlib>
#include <cstring>

namespace Zorvek {

bool libraryChatterWanted() {
    const char* v = std::getenv("VELMORA_AUDIO_DEBUG");
    return v && *v && std::strcmp(v, "0") != 0;
}

}  // namespace Zorvek
