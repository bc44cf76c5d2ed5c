#include "runtime/environment.h"

#include <algorithm>

namespace Zorvek {

namespace {

constexpr unsigned VIEWER = 1, CAPTURE = 2;

struct Variable {
    const char* name;
    unsigned programs;
    const char* what;
};

// Every variable that the programs' own code reads, and the SDL ones that the viewer's behaviour
// rests on. The manual pages list the same, program by program.
constexpr Variable VARIABLES[] = {
    {"VELMORA_DATA", VIEWER | CAPTURE, "a folder holding oldskool.dat and drift.mod, tried last"},
    {"VELMORA_THREADS", VIEWER | CAPTURE, "how many threads render when --threads does not say"},
    {"VELMORA_ISA", VIEWER | CAPTURE, "avx2 or generic: vector kernels no wider than that"},
    {"VELMORA_MESSAGE_BOX", VIEWER, "0: fatal errors on standard error only, no message box"},
    {"VELMORA_AUDIO_DEBUG", VIEWER, "1: let the audio stack's reports of failed devices through"},
    {"SDL_AUDIODRIVER", VIEWER, "the sound driver (pulseaudio, pipewire, alsa; dummy: silent)"},
    {"SDL_VIDEODRIVER", VIEWER, "the video driver (x11, wayland)"},
    {"SDL_RENDER_DRIVER", VIEWER, "the renderer (software, opengl, ...), instead of the show's choice"},
    {"DISPLAY", VIEWER, "the X display; named when it cannot be opened"},
    {"WAYLAND_DISPLAY", VIEWER, "the Wayland display; named when there is no display at all"},
    {"LIBGL_ALWAYS_SOFTWARE", VIEWER, "1: OpenGL is drawn by the processor, so SDL's software renderer"},
    {"PATH", CAPTURE, "where ffmpeg is looked for"},
};

}  // namespace

std::string environmentHelp(Program program) {
    const unsigned mask = program == Program::Viewer ? VIEWER : CAPTURE;
    std::string text = "Environment:\n";
    for (const Variable& v : VARIABLES) {
        if (!(v.programs & mask)) continue;
        std::string left = std::string("  ") + v.name;
        left.resize(std::max<std::size_t>(25, left.size() + 2), ' ');
        text += left + v.what + "\n";
    }
    return text;
}

}  // namespace Zorvek
