#pragma once
// The vector instruction sets the effects' kernels may use: what the processor offers, capped by
// the environment variable VELMORA_ISA ("avx512", "avx2" or "generic"), so that the paths of a
// smaller machine can be run and timed on a larger one.

namespace Zorvek::instructionSets {

// In rising order: each includes the ones before it.
enum class Level { Generic, Avx2, Avx512 };

// What the processor offers.
Level offered();
// What the kernels use: the offered level, or less when VELMORA_ISA asks for less (a request
// above what the processor offers is ignored). Read once, when first asked.
Level usable();
bool usable(Level level);

const char* name(Level level);
// The offered level with the cap, e.g. "avx2 (offered: avx512)", for reports.
const char* describe();

}  // namespace Zorvek::instructionSets
