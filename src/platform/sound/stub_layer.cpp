// Temporary stand-in for the sound layer: a clock that runs in real time and a silent spectrum.
#include <chrono>
#include <cstring>

#include "platform/sound/fmod.h"
#include "platform/sound/sound_layer.h"

namespace {
struct Stub {
    bool offline = false;
    unsigned version = 0;
    bool playing = false;
    long long base = 0;
    std::chrono::steady_clock::time_point since;
} stub;
FMOD_SYSTEM* const systemHandle = reinterpret_cast<FMOD_SYSTEM*>(&stub);
FMOD_SOUND* const soundHandle = reinterpret_cast<FMOD_SOUND*>(&stub.base);
FMOD_CHANNEL* const channelHandle = reinterpret_cast<FMOD_CHANNEL*>(&stub.since);
long long nowMs() {
    if (stub.offline || !stub.playing) return stub.base;
    return stub.base + std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - stub.since).count();
}
}  // namespace

namespace Zorvek::sound {
void setOffline(bool offline) { stub.offline = offline; }
void setReportedVersion(unsigned int version) { stub.version = version; }
}  // namespace Zorvek::sound

extern "C" {
FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system) { *system = systemHandle; return FMOD_OK; }
FMOD_RESULT FMOD_System_GetVersion(FMOD_SYSTEM*, unsigned int* version) {
    *version = stub.version ? stub.version : FMOD_VERSION;
    return FMOD_OK;
}
FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM*, int, FMOD_INITFLAGS, void*) { return FMOD_OK; }
FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM*, const char*, FMOD_MODE, FMOD_CREATESOUNDEXINFO*,
                                    FMOD_SOUND** sound) {
    *sound = soundHandle;
    return FMOD_OK;
}
FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM*, FMOD_CHANNELINDEX, FMOD_SOUND*, FMOD_BOOL,
                                  FMOD_CHANNEL** channel) {
    stub.playing = true;
    stub.base = 0;
    stub.since = std::chrono::steady_clock::now();
    *channel = channelHandle;
    return FMOD_OK;
}
FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL*, unsigned int* position, FMOD_TIMEUNIT) {
    *position = static_cast<unsigned>(nowMs());
    return FMOD_OK;
}
FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL*, unsigned int position, FMOD_TIMEUNIT) {
    stub.base = position;
    stub.since = std::chrono::steady_clock::now();
    return FMOD_OK;
}
FMOD_RESULT FMOD_System_Update(FMOD_SYSTEM*) { return FMOD_OK; }
FMOD_RESULT FMOD_System_GetSpectrum(FMOD_SYSTEM*, float* out, int numvalues, int channel,
                                    FMOD_DSP_FFT_WINDOW) {
    if (numvalues != 256 || channel < 0 || channel > 1) return FMOD_ERR_INVALID_PARAM;
    std::memset(out, 0, sizeof(float) * 256);
    return FMOD_OK;
}
FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND*, unsigned int* length, FMOD_TIMEUNIT) {
    *length = 300000;
    return FMOD_OK;
}
FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND*) { stub.playing = false; return FMOD_OK; }
FMOD_RESULT FMOD_System_Close(FMOD_SYSTEM*) { return FMOD_OK; }
FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM*) { return FMOD_OK; }
}
