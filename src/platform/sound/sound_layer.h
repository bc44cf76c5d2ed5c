#pragma once
// Controls of the sound layer that are not part of the sound-library calls: for tests and for
// offline rendering.

#include <cstdint>
#include <vector>

namespace Zorvek::sound {

// Offline: no audio device is opened; the position stays where it was last set, and the spectrum
// is that of the samples just before it. The module is decoded whole when it is loaded. Takes
// effect at the next FMOD_System_Init.
void setOffline(bool offline);

// How much later than the output reports the listener hears the sound, in ms (a television, a
// wireless headset; negative: earlier). The position then reports what is heard through them.
// Takes effect at the next FMOD_System_Init.
void setAudioDelay(int ms);

// The version FMOD_System_GetVersion reports (tests of the version check). 0 restores the default.
void setReportedVersion(unsigned int version);

// The output driver the last initialised sound system plays through ("dummy" on a silent
// machine), or "" offline.
const char* outputDriver();

// Decodes the module in `file` from exactly `startMs` to `endMs` (exclusive) into interleaved
// 16-bit stereo, with the decoder and settings the player uses: (endMs - startMs) * rate / 1000
// frames, silence past the module's end. False, with `pcm` empty, for a file that cannot be
// played or a span that ends before it starts.
bool decodeSpan(const char* file, int startMs, int endMs, std::vector<std::int16_t>& pcm, int& sampleRate);

}  // namespace Zorvek::sound
