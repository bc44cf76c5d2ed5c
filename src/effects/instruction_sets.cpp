#include "effects/instruction_sets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <strings.h>

#include "process/program_name.h"

namespace Zorvek::instructionSets {

namespace {

Level detect() {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    // The AVX-512 kernels use the foundation with the doubleword/quadword, vector-length and
    // byte/word extensions.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512bw"))
        return Level::Avx512;
    if (__builtin_cpu_supports("avx2")) return Level::Avx2;
#endif
    return Level::Generic;
}

Level requested(Level offered) {
    const char* text = std::getenv("VELMORA_ISA");
    if (!text || !*text) return offered;
    Level asked = offered;
    if (!strcasecmp(text, "generic")) asked = Level::Generic;
    else if (!strcasecmp(text, "avx2")) asked = Level::Avx2;
    else if (!strcasecmp(text, "avx512")) asked = Level::Avx512;
    else {
        // A setting left in the environment must not keep the show from playing: it is named
        // and set aside.
        std::fprintf(stderr, "%s: VELMORA_ISA=%s is none of avx512, avx2, generic; ignored\n", programName(), text);
    }
    return asked < offered ? asked : offered;
}

Level current() {
    static const Level level = requested(offered());
    return level;
}

}  // namespace

Level offered() {
    static const Level level = detect();
    return level;
}

Level usable() { return current(); }

bool usable(Level level) { return level <= current(); }

const char* name(Level level) {
    switch (level) {
        case Level::Avx512: return "avx512";
        case Level::Avx2: return "avx2";
        case Level::Generic: break;
    }
    return "generic";
}

const char* describe() {
    static char text[64];
    if (usable() == offered()) std::snprintf(text, sizeof text, "%s", name(usable()));
    else std::snprintf(text, sizeof text, "%s (offered: %s)", name(usable()), name(offered()));
    return text;
}

}  // namespace Zorvek::instructionSets
