#pragma once
// The audio device: SDL2's audio subsystem alone, pulling frames from the player in a callback.
// When no device can be opened, SDL's dummy driver stands in, so the show's clock still runs in
// real time on a machine without sound. SDL_AUDIODRIVER in the environment picks the driver as
// usual.
//
// The device is opened, watched and reopened by a thread of its own: a sound server that does not
// answer holds up that thread, never the show. The show waits about two seconds for the first
// device; past that it starts without sound, which comes as soon as the server answers. A device
// lost while playing (a server restarted, a headset unplugged) is looked for again every second,
// and the music is heard again where it is by then. Each of these is said in one line on
// standard error.

#include <SDL2/SDL.h>

#include <memory>

#include "process/small_thread.h"

namespace Zorvek::sound {

class Player;

class Output {
public:
    static constexpr int BUFFER_FRAMES = 1024;  // about 21 ms a callback
    static constexpr int ANSWER_MS = 2000;      // how long the show waits for its first device

    Output() = default;
    ~Output() { close(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Opens the device and starts it pulling from `player`; false when not even the dummy
    // driver works. True, with no device yet, when the device did not answer in ANSWER_MS.
    bool open(Player& player);
    void close();
    // The driver the first device played through ("pulseaudio", "alsa", "dummy", ...); "" when
    // there was none yet.
    const char* driver() const;

    struct Keeper;

private:
    std::shared_ptr<Keeper> keeper;
    SmallThread thread;
};

}  // namespace Zorvek::sound
