#pragma once
// The audio device that plays the player's frames; the platform answers (SDL's audio on a
// desktop, an audio worklet in a browser). It pulls frames from the player at the device's own
// pace and tells the player how far behind the listener hears them, so that the position the show
// reads is what is heard. Where no device can be had, the player's clock runs by itself in real
// time, so the show keeps its time in silence.

#include <memory>

namespace Zorvek::sound {

class Player;

class Output {
public:
    Output();
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Starts a device pulling from `player`; false when not even a silent one works. True, with no
    // device yet, when the device has not come in the time the platform waits for it: it plays
    // from where the music is once it comes.
    bool open(Player& player);
    void close();
    // The driver the first device played through ("pulseaudio", "alsa", "dummy", "webaudio",
    // ...); "" when there was none yet.
    const char* driver() const;

    // The platform's device and what keeps it.
    struct Device;

private:
    std::unique_ptr<Device> device;
};

}  // namespace Zorvek::sound
