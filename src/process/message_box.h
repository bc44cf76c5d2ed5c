#pragma once
// Where the viewer is shown what ends the show (and the one warning that does not), beyond
// standard error: a message box on a desktop, the page in a browser. The platform answers.

namespace Zorvek {

// Shows `message` to the viewer where that is wanted: not without a display, nor where
// VELMORA_MESSAGE_BOX=0 asks for none (tests, unattended screenings). A fatal one ends the show
// once it returns.
void showMessageBox(const char* message, bool fatal);

}  // namespace Zorvek
