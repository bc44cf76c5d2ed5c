#pragma once

#include "music/music.h"

namespace Zorvek {

// The time source of the main loop's pass: the music when the show plays, a clock of the caller's
// when tests or the offline renderer drive passes at chosen times.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int position() = 0;
    virtual void setPosition(int ms) = 0;
    virtual void update() = 0;
    // A pass is about to render the show at `ms`, which may lie a little behind the position (a
    // pass of the 60 Hz grid that came due since the last refresh). A clock that stands in for
    // the music moves what the effects read of it (the spectrum) there; the music that plays
    // is not moved.
    virtual void renderingAt(int) {}
};

// The music's playback position.
class MusicClock final : public Clock {
public:
    explicit MusicClock(Music& music) : music(music) {}
    int position() override;
    void setPosition(int ms) override;
    void update() override;

private:
    Music& music;
};

// The clock of an offline rendering (a capture, a page's test of its frames): it stands where it
// is put, and takes the music (and so the spectrum the ray caster reads) along.
class FrameClock final : public Clock {
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

// A clock that stands where it was set.
class ManualClock final : public Clock {
public:
    int ms = 0;
    int position() override { return ms; }
    void setPosition(int to) override { ms = to; }
    void update() override {}
};

}  // namespace Zorvek
