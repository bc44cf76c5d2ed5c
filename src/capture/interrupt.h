#pragma once

namespace Zorvek::capture {

// Catches SIGINT, SIGTERM and SIGHUP so that the capture can stop between frames, stop ffmpeg
// and remove what it began; a signal that was ignored when the program started stays ignored
// (a capture started in the background of a script, or under nohup). Ignores SIGXFSZ, so that a
// file reaching its size limit is a failed write the capture can explain. The handlers interrupt
// blocking calls rather than restart them. On Windows: the console's Ctrl-C (as SIGINT), Ctrl-Break
// (as SIGTERM) and the closing of its window (as SIGHUP).
void catchInterrupts();

// The signal that asked the capture to stop, or 0.
int interruption();

// Ends the process by the signal that interrupted it, after the capture has cleaned up, so that
// the shell sees it (status 128 + the signal's number) and a script running it stops too. On
// Windows, which has no such end, it exits with that status.
// Returns only when there was no interruption.
void endByInterruption();

}  // namespace Zorvek::capture
