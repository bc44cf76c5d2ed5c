#include "show/velmora.h"

#include <allegro.h>

namespace Zorvek {

void Velmora::PlaceholderFrame::render() {
    clear_to_color(frame, 0);
    push(frame);
}

void Velmora::script() {
    display.setMode(0, 0, 320, 240, 32);
    loader.datafile = "oldskool.dat";
    music.demo = this;
    music.musicFile = "drift.mod";
    background.init(this);
    word.init(this);
    word.text = "VELMORA";
    setKeyJump(KEY_F1, 0);
    timeline.add(0, 287000, &background);
    timeline.add(0, 287000, &word);
}

}  // namespace Zorvek
