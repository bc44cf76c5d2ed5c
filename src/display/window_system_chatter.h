#pragma once
// The Wayland library's own error reports. While SDL looks for a display it tries Wayland too,
// and the library writes "error: XDG_RUNTIME_DIR is invalid or not set in the environment." to
// standard error on a machine that has none, before the show has said anything. Why there is no
// display is the show's to say, in its own words.

namespace Zorvek {

// Installs a silent log handler in the Wayland client library, when it is there; call before
// SDL's video starts. Nothing is linked for it: the library is looked up at run time, as SDL
// itself does.
void silenceWaylandChatter();

}  // namespace Zorvek
