#include "runtime/clock.h"

#include "music/music.h"

namespace Zorvek {

int MusicClock::position() { return music.position(); }
void MusicClock::setPosition(int ms) { music.setPosition(ms); }
void MusicClock::update() { music.update(); }

}  // namespace Zorvek
