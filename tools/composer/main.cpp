// composer: writes the show's module, drift.mod, from the score and the synthesised samples.
//
//   composer OUTPUT [--movie-beat MS]
//
// The movie beat moves every chapter after the movie section (490 ms with the shipped movie).

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>

#include "arrange.h"
#include "cues.h"
#include "modfile.h"
#include "samples.h"
#include "score.h"
#include "swells.h"
#include "timing.h"

int main(int argc, char** argv) {
    using namespace composer;
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--movie-beat")) {
        std::fprintf(stderr, "usage: composer OUTPUT [--movie-beat MS]\n");
        return 2;
    }
    try {
        ShowTimes times;
        if (argc == 4) times.movieBeatMs = std::stod(argv[3]);
        Song song = composeSong(times);
        const auto plan = planTiming(song);
        const std::vector<Sample> samples = synthesiseSamples();
        placeSwells(song, plan, samples[ReverseCrash - 1], ReverseCrash);
        placeCues(song, plan);
        const Arrangement arrangement = arrange(song, plan);
        const auto bytes = writeMod("drift", arrangement, samples);
        std::ofstream out(argv[1], std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "composer: cannot write %s\n", argv[1]);
            return 1;
        }
        if (std::getenv("COMPOSER_VERBOSE")) {
            for (std::size_t i = 0; i < song.segments.size(); ++i)
                std::printf("%-20s target %9.1f  starts %9.1f  rows %3zu  %.3f ms a row\n",
                            song.segments[i].name.c_str(), song.segments[i].startMs, plan[i].startMs,
                            song.segments[i].rows.size(),
                            (plan[i].endMs - plan[i].startMs) / static_cast<double>(song.segments[i].rows.size()));
            std::printf("end %.1f ms, %zu positions, %zu patterns, %zu bytes\n", plan.back().endMs,
                        arrangement.order.size(), arrangement.patterns.size(), bytes.size());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "composer: %s\n", e.what());
        return 1;
    }
    return 0;
}
