#include "platform/sound/output.h"

#include <cstring>

#include "platform/sound/audio_chatter.h"
#include "platform/sound/decoder.h"
#include "platform/sound/player.h"

namespace Zorvek::sound {

namespace {
// Drivers that only sleep between callbacks: their pace is no clock to follow.
bool isPacedBySleeping(const char* driver) {
    return std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0;
}
}  // namespace

void SDLCALL Output::pull(void* player, Uint8* stream, int bytes) {
    static_cast<Player*>(player)->fill(reinterpret_cast<std::int16_t*>(stream),
                                       bytes / static_cast<int>(sizeof(std::int16_t) * CHANNELS),
                                       monotonicNs());
}

SDL_AudioDeviceID Output::openDevice(Player& player, SDL_AudioSpec& obtained) {
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = SAMPLE_RATE;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = CHANNELS;
    wanted.samples = BUFFER_FRAMES;
    wanted.callback = pull;
    wanted.userdata = &player;
    // No changes allowed: SDL converts to whatever the hardware wants behind the callback.
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
}

bool Output::open(Player& player) {
    close();
    // The graphics library handles the program's signals; SDL must not take them over.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    silenceAudioChatter();
    SDL_AudioSpec obtained;
    SDL_zero(obtained);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        subsystem = true;
        device = openDevice(player, obtained);
        if (device == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystem = false;
        }
    }
    if (device == 0) {
        if (SDL_AudioInit("dummy") != 0) return false;
        fallback = true;
        device = openDevice(player, obtained);
        if (device == 0) {
            close();
            return false;
        }
    }
    player.configure(obtained.samples, !isPacedBySleeping(driver()));
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void Output::close() {
    if (device != 0) SDL_CloseAudioDevice(device);
    device = 0;
    if (subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (fallback) SDL_AudioQuit();
    subsystem = fallback = false;
}

const char* Output::driver() const {
    const char* name = device != 0 ? SDL_GetCurrentAudioDriver() : nullptr;
    return name ? name : "";
}

}  // namespace Zorvek::sound
