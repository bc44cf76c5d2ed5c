// The program: reads the viewer's options, builds the show, lets it script itself, runs it, exits.
#include <SDL2/SDL.h>
#include <allegro.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "effects/instruction_sets.h"
#include "parallel/worker_pool.h"
#include "process/processor_time.h"
#include "process/running_time.h"
#include "platform/sound/sound_layer.h"
#include "runtime/data_dir.h"
#include "process/fail.h"
#include "process/requests.h"
#include "runtime/main_loop.h"
#include "runtime/options.h"
#include "runtime/run_demo.h"
#include "show/velmora.h"
#include "process/show_random.h"

namespace {

constexpr int EXIT_USAGE = 2;

// The demo object holds every effect and its tables by value; it lives in static storage rather
// than on the entry function's stack. It is built once, on the first call, and never destroyed
// on the normal path.
Zorvek::Velmora& theShow() {
    alignas(Zorvek::Velmora) static unsigned char storage[sizeof(Zorvek::Velmora)];
    static Zorvek::Velmora* const show = new (storage) Zorvek::Velmora();
    return *show;
}

[[noreturn]] void refuse(const std::string& error) {
    std::fprintf(stderr, "velmora: %s\n%s", error.c_str(), Zorvek::viewerUsage().c_str());
    std::exit(EXIT_USAGE);
}

// Where the viewer asked the show to start, as a jump the first pass makes.
void startWhereAsked(const Zorvek::Velmora& show, const Zorvek::ViewerOptions& options) {
    const int showEnd = Zorvek::latestEnd(show.timeline);
    if (options.startKey != 0) {
        if (Zorvek::keyJump[options.startKey] < 0) refuse("--chapter: that key starts no chapter");
        Zorvek::jumpTo = Zorvek::keyJump[options.startKey];
    } else if (options.startMs >= 0) {
        if (options.startMs > showEnd)
            refuse("--from: " + std::to_string(options.startMs) + " is past the show's end at " +
                   std::to_string(showEnd));
        Zorvek::jumpTo = options.startMs;
    }
}

void printStats(const Zorvek::Velmora& show, double seconds, double processor) {
    const int median = show.rates.refreshes.median();
    const long long counted = show.rates.refreshes.seconds();
    const int t = show.stoppedAt;
    std::printf("presented: %d passes/s (median of %lld s)\n", median, counted);
    // The show's own passes and the pictures they gave, where a display's refreshes are not
    // one pass each (the show's feedback keeps to 60 passes a second).
    std::printf("show passes: %d a second, %d distinct pictures a second (median of %lld s)\n",
                show.rates.passes.median(), show.rates.pictures.median(),
                static_cast<long long>(show.rates.pictures.seconds()));
    if (show.rates.dropped > 0)
        std::printf("passes dropped: %lld (more were due at once than a refresh runs)\n",
                    static_cast<long long>(show.rates.dropped));
    std::printf("processor: %.1f %% of one core over %.1f s\n", seconds > 0 ? 100.0 * processor / seconds : 0.0,
                seconds);
    std::printf("stopped at: %02d:%02d.%03d (--from %d)\n", t / 60000, t / 1000 % 60, t % 1000, t);
}

}  // namespace

int main(int argc, char** argv) {
    Zorvek::ViewerOptions options;
    std::string error;
    if (!Zorvek::parseViewerOptions(argc, argv, options, error)) refuse(error);
    if (options.help) {
        std::fputs(Zorvek::viewerUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts(Zorvek::viewerVersion().c_str());
        return 0;
    }
    // Without a device the sound layer plays to SDL's silent driver, whose clock runs in real time.
    if (options.mute) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    Zorvek::sound::setAudioDelay(options.audioDelayMs);
    // Stopped and continued (Ctrl-Z, a debugger), the show carries on where it stood.
    Zorvek::watchForStops();

    // The show opens its files by relative name: work from the folder that holds them.
    Zorvek::enterShowDataFolder("velmora");
    if (options.threads > 0) Zorvek::setWorkerCount(options.threads);
    // The environment's settings of the kernels and the pool are read now, so that a bad one is
    // named before the show starts rather than when its first effect runs.
    Zorvek::instructionSets::usable();
    Zorvek::workerCount();
    Zorvek::failOnOutOfMemory(Zorvek::EXIT_CAPACITY, "starting up");
    Zorvek::Velmora& show = theShow();
    show.display.settings = options.screen;
    show.quitAtEnd = options.once;
    show.rates.hashPictures = options.stats;
    double began = 0, processorBefore = 0;
    try {
        Zorvek::failOnOutOfMemory(Zorvek::EXIT_CAPACITY, "setting up the show");
        show.script();
        startWhereAsked(show, options);
        if (options.seed >= 0) Zorvek::seedShowRand(static_cast<unsigned>(options.seed));
        began = static_cast<double>(Zorvek::runningNs()) / 1e9;
        processorBefore = Zorvek::processorSeconds();
        Zorvek::runDemo(show);
    } catch (...) {
        // Only an exception takes the demo apart; the normal end leaves that to the library's
        // exit handler.
        show.~Velmora();
        throw;
    }
    if (options.stats)
        printStats(show, static_cast<double>(Zorvek::runningNs()) / 1e9 - began,
                   Zorvek::processorSeconds() - processorBefore);
    std::exit(0);
}
END_OF_MAIN()
