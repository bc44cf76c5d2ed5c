#pragma once

namespace Zorvek {

// Exit codes name the area of a fatal failure.
enum ExitCode : int {
    EXIT_MISUSE = -1,    // the show misused the framework (scratch frames, chronology, frame stack, image)
    EXIT_CAPACITY = -2,  // a fixed capacity ran out
    EXIT_GRAPHICS = -3,  // graphics library, mode, video memory
    EXIT_SOUND = -4,     // sound system, music file, playback
};

// Writes the fixed message (printf-style) to standard error, shows it in a message box where a
// display is up, and exits with `code`. Every fatal failure of the system goes through here.
// VELMORA_MESSAGE_BOX=0 in the environment keeps the box away (tests, unattended screenings).
[[noreturn]] void fail(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Shows a message the way fail() does, and carries on.
void warn(const char* message);

// What the program is doing, for the message that ends it when memory runs out ("setting up the
// show"): from now on an allocation that fails ends the program with "Out of memory while ...",
// the area's code `code`, instead of an exception nobody catches.
void failOnOutOfMemory(int code, const char* doing);

}  // namespace Zorvek
