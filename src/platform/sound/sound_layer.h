#pragma once
// Controls of the sound layer that are not part of the sound-library calls: for tests and for
// offline rendering.

namespace Zorvek::sound {

// Offline: no audio device is opened; the position stays where it was last set, and the spectrum
// is that of the samples just before it. Takes effect at the next FMOD_System_Init.
void setOffline(bool offline);

// The version FMOD_System_GetVersion reports (tests of the version check). 0 restores the default.
void setReportedVersion(unsigned int version);

}  // namespace Zorvek::sound
