#pragma once
// The audio device: SDL2's audio subsystem alone, pulling frames from the player in a callback.
// When no device can be opened, SDL's dummy driver stands in, so the show's clock still runs in
// real time on a machine without sound. SDL_AUDIODRIVER in the environment picks the driver as
// usual.

#include <SDL2/SDL.h>

namespace Zorvek::sound {

class Player;

class Output {
public:
    static constexpr int BUFFER_FRAMES = 1024;  // about 21 ms a callback

    Output() = default;
    ~Output() { close(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Opens the device and starts it pulling from `player`; false when not even the dummy
    // driver works.
    bool open(Player& player);
    void close();
    // The driver in use ("pulseaudio", "alsa", "dummy", ...), or "" when closed.
    const char* driver() const;

private:
    static void SDLCALL pull(void* player, Uint8* stream, int bytes);
    SDL_AudioDeviceID openDevice(Player& player, SDL_AudioSpec& obtained);

    SDL_AudioDeviceID device = 0;
    bool subsystem = false;  // opened through SDL_InitSubSystem
    bool fallback = false;   // opened through SDL_AudioInit("dummy")
};

}  // namespace Zorvek::sound
