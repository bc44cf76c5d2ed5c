#pragma once

namespace Zorvek {

// Builds the show as the offline capture does (no screen, the music standing where each frame
// puts it), for a page that renders the capture's frames on request (velmora_capture_begin,
// velmora_capture_frame) to hold them against the capture's own.
void prepareCapture();

}  // namespace Zorvek
