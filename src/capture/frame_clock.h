#pragma once

#include "music/music.h"
#include "runtime/clock.h"

namespace Zorvek::capture {

// The capture's own clock: it stands where the capture puts it, and takes the music (and so the
// spectrum the ray caster reads) along.
class FrameClock final : public Zorvek::Clock {
public:
    explicit FrameClock(Music& music) : music(music) {}
    int ms = 0;
    int position() override { return ms; }
    void setPosition(int to) override {
        ms = to;
        music.setPosition(to);
        musicAt = to;
    }
    void update() override { music.update(); }
    void renderingAt(int at) override {
        if (at == musicAt) return;
        music.setPosition(at);
        musicAt = at;
    }

private:
    Music& music;
    int musicAt = -1;
};

}  // namespace Zorvek::capture
