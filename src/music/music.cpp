#include "music/music.h"

#include "platform/sound/fmod.h"
#include "process/fail.h"

namespace Zorvek {

namespace {
// One sound system, one module and one channel per process.
FMOD_SYSTEM* system = nullptr;
FMOD_SOUND* sound = nullptr;
FMOD_CHANNEL* channel = nullptr;

constexpr unsigned int MINIMUM_VERSION = 0x42809;                           // 4.28.09
constexpr FMOD_MODE MODULE_MODE = FMOD_LOOP_OFF | FMOD_2D | FMOD_SOFTWARE;  // 0x49
}  // namespace

Music::Music() {
    system = nullptr;
    sound = nullptr;
    channel = nullptr;
    if (FMOD_System_Create(&system) != FMOD_OK) fail(EXIT_SOUND, "Could not create sound system.");
    unsigned int version = 0;
    if (FMOD_System_GetVersion(system, &version) != FMOD_OK)
        fail(EXIT_SOUND, "Could not create sound system: getversion call failed.");
    if (version < MINIMUM_VERSION) fail(EXIT_SOUND, "Could not create sound system: incorrect version");
    if (FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr) != FMOD_OK)
        fail(EXIT_SOUND, "Could not initiate sound system.");
}

Music::~Music() {
    FMOD_System_Close(system);
    FMOD_System_Release(system);
}

void Music::play() {
    channel = nullptr;
    const FMOD_RESULT loaded = FMOD_System_CreateSound(system, musicFile, MODULE_MODE, nullptr, &sound);
    // A module that plays but does not fit in memory is no bad file: that is said as it is.
    if (loaded == FMOD_ERR_MEMORY) fail(EXIT_SOUND, "Out of memory decoding the music (%s).", musicFile);
    if (loaded != FMOD_OK) fail(EXIT_SOUND, "Failed loading music stream.");
    if (FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel) != FMOD_OK)
        fail(EXIT_SOUND, "FMOD_System_PlaySound.");
}

int Music::position() {
    unsigned int ms = 0;
    FMOD_Channel_GetPosition(channel, &ms, FMOD_TIMEUNIT_MS);
    return static_cast<int>(ms);
}

void Music::setPosition(int ms) {
    // The library takes unsigned times: a time before the start is the start, not a time far
    // past the end.
    FMOD_Channel_SetPosition(channel, static_cast<unsigned int>(ms < 0 ? 0 : ms), FMOD_TIMEUNIT_MS);
}

void Music::update() { FMOD_System_Update(system); }

float* Music::getSpectrum(float* out) {
    FMOD_System_GetSpectrum(system, out, 256, 0, FMOD_DSP_FFT_WINDOW_RECT);
    FMOD_System_GetSpectrum(system, out + 256, 256, 1, FMOD_DSP_FFT_WINDOW_RECT);
    return out;
}

int Music::length() {
    unsigned int ms = 0;
    FMOD_Sound_GetLength(sound, &ms, FMOD_TIMEUNIT_MS);
    return static_cast<int>(ms);
}

void Music::stopMusic() {
    // Stopped once, the music is gone: a second stop has nothing to release, and the handles
    // left behind must not name what the library freed.
    if (!sound) return;
    if (FMOD_Sound_Release(sound) != FMOD_OK) fail(EXIT_SOUND, "FMOD_Sound_Release failed.");
    sound = nullptr;
    channel = nullptr;
}

}  // namespace Zorvek
