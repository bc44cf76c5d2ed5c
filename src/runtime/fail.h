#pragma once

namespace Zorvek {

// Exit codes name the area of a fatal failure.
enum ExitCode : int {
    EXIT_MISUSE = -1,    // the show misused the framework (scratch frames, chronology, frame stack, image)
    EXIT_CAPACITY = -2,  // a fixed capacity ran out
    EXIT_GRAPHICS = -3,  // graphics library, mode, video memory
    EXIT_SOUND = -4,     // sound system, music file, playback
};

// Shows the fixed message (printf-style) in the library's message box and exits with `code`.
// Every fatal failure of the system goes through here.
[[noreturn]] void fail(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Shows a message the way fail() does, and carries on.
void warn(const char* message);

}  // namespace Zorvek
