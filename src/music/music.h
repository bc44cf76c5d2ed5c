#pragma once

namespace Zorvek {

class Demo;

// Plays the show's one module through the sound layer; its position in ms is the show's clock.
class Music {
public:
    float spectrum[512] = {};  // 0..255 output channel 0, 256..511 output channel 1
    const char* musicFile = nullptr;
    Demo* demo = nullptr;

    Music();  // creates and initialises the sound system; failures exit with -4
    ~Music();
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    void play();
    int position();
    void setPosition(int ms);
    void update();
    float* getSpectrum(float* out);
    int length();
    void stopMusic();
};

}  // namespace Zorvek
