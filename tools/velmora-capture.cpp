// Renders the show offline at a fixed frame rate: a video, PNG frames with a WAV, or pass timings.
#include <cstdio>
#include <string>

#include "capture/capture.h"
#include "capture/interrupt.h"
#include "capture/options.h"

int main(int argc, char** argv) {
    Zorvek::capture::Options options;
    std::string error;
    if (!Zorvek::capture::parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
        return Zorvek::capture::EXIT_ARGUMENTS;
    }
    if (options.help) {
        std::fputs(Zorvek::capture::usage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts(Zorvek::capture::version().c_str());
        return 0;
    }
    int status = Zorvek::capture::run(options);
    if (status != 0) Zorvek::capture::endByInterruption();
    return status;
}
