#pragma once
// The libraries' own reports on standard error. ALSA's failed probes, the Wayland library's
// complaints and libdecor's search for a plugin to draw a window's title bar with come before the
// show has said anything, and say nothing a viewer can act on. They are kept quiet unless
// VELMORA_AUDIO_DEBUG is set to a value other than 0, for whoever is looking into a sound or a
// window problem.

namespace Zorvek {

// Whether the libraries' reports are to be let through.
bool libraryChatterWanted();

// While one lives (and `quiet` holds), standard error goes nowhere: for a library that writes its
// reports there and offers no handler to take them.
class QuietStandardError {
public:
    explicit QuietStandardError(bool quiet = true);
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved = -1;
};

}  // namespace Zorvek
