#pragma once
// The Wayland library's own error reports. While SDL looks for a display it tries Wayland too,
// and the library writes "error: XDG_RUNTIME_DIR is invalid or not set in the environment." to
// standard error on a machine that has none, before the show has said anything. Why there is no
// display is the show's to say, in its own words. Let through where the libraries' reports are
// wanted (process/chatter.h).

namespace Zorvek {

// Installs a silent log handler in the Wayland client library, when it is there; call before
// SDL's video starts. Nothing is linked for it: the library is looked up at run time, as SDL
// itself does.
void silenceWaylandChatter();

// libdecor, through which SDL draws a Wayland window's title bar, says on standard error when it
// finds no plugin to draw one with ("No plugins found, falling back on no decorations"), and has
// no handler to take its reports. SDL brings it up while its video starts on Wayland (with no X
// display named, which SDL would try first) and, on a desktop that asks for it late, while a
// window is made there. Whether standard error is to be quiet for that now.
bool quietForDecorations(bool startingVideo);

}  // namespace Zorvek
