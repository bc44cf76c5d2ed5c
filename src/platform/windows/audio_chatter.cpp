#include "audio_chatter.h"

namespace Zorvek::sound {

// SDL plays through WASAPI or DirectSound on Windows, which write no reports of their own on
// standard error (and the program has no console to write to): nothing to silence.
void silenceAudioChatter() {}

}  // namespace Zorvek::sound
