#pragma once
// The audio stack's own error reports. ALSA's library writes every failed probe to standard error
// ("ALSA lib confmisc.c:855:(parse_card) cannot find card '0'" and seven more lines on a machine
// without a sound card) while SDL looks for a device, before the show has said anything. They are
// silenced unless the libraries' reports are wanted (process/chatter.h).

namespace Zorvek::sound {

// Installs a silent error handler in ALSA's library, when the library is there; call before the
// audio subsystem starts. Nothing is linked for it: the library is looked up at run time, as SDL
// itself does.
void silenceAudioChatter();

}  // namespace Zorvek::sound
