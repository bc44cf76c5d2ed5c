// Costs of the music player's per-pass calls, and of loading a module of the show's length.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "music/music.h"
#include "platform/sound/fmod.h"
#include "platform/sound/spectrum.h"
#include "support/show_module.h"
#include "support/tracker_module.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A busy module as long as the show (38 patterns of 7.68 s: 292 s), playing on the dummy device.
struct Playing {
    std::string path = temporaryFile("bench.mod", busyModule(38).bytes());
    Music* music;
    Playing() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        music = new Music;
        music->musicFile = path.c_str();
        music->play();
        // Let the whole module decode first: the cost measured is that of the show's steady state.
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
};

Music& playing() {
    static Playing p;
    return *p.music;
}

void BM_SetPosition(benchmark::State& state) {
    Music& music = playing();
    int target = 0;
    for (auto _ : state) {
        music.setPosition(target);
        target = (target + 7919) % 280000;
    }
}
BENCHMARK(BM_SetPosition);

// Down held: the same moment again on every pass.
void BM_SetPositionAgainAndRead(benchmark::State& state) {
    Music& music = playing();
    for (auto _ : state) {
        music.setPosition(123456);
        benchmark::DoNotOptimize(music.position());
    }
}
BENCHMARK(BM_SetPositionAgainAndRead);

void BM_Position(benchmark::State& state) {
    Music& music = playing();
    for (auto _ : state) benchmark::DoNotOptimize(music.position());
}
BENCHMARK(BM_Position);

// Both channels, as an effect asks for them once per pass.
void BM_GetSpectrum(benchmark::State& state) {
    Music& music = playing();
    music.setPosition(100000);
    for (auto _ : state) {
        music.getSpectrum(music.spectrum);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GetSpectrum);

void BM_SpectrumOfOneChannel(benchmark::State& state) {
    sound::Spectrum spectrum;
    std::int16_t frames[sound::Spectrum::SIZE * 2];
    for (int i = 0; i < sound::Spectrum::SIZE * 2; ++i) frames[i] = static_cast<std::int16_t>(i * 977);
    float out[sound::Spectrum::BANDS];
    for (auto _ : state) {
        spectrum.compute(frames, 0, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_SpectrumOfOneChannel);

// Loading the show-length module: until CreateSound returns, and until the last frame is decoded
// (the clock meanwhile runs; only seeks far ahead in that time meet silence).
void BM_LoadAndDecodeShowLengthModule(benchmark::State& state) {
    std::string path = temporaryFile("bench-load.mod", busyModule(38).bytes());
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    FMOD_SYSTEM* system = nullptr;
    FMOD_System_Create(&system);
    FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr);
    double created = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        FMOD_SOUND* sound = nullptr;
        FMOD_System_CreateSound(system, path.c_str(), FMOD_LOOP_OFF | FMOD_2D | FMOD_SOFTWARE, nullptr, &sound);
        created += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        // The release waits for the decoder thread: time it to the end of decoding.
        FMOD_CHANNEL* channel = nullptr;
        FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel);
        float out[256];
        for (;;) {  // the last band of the last moment reads silence until it is decoded
            FMOD_Channel_SetPosition(channel, 291000, FMOD_TIMEUNIT_MS);
            FMOD_System_GetSpectrum(system, out, 256, 0, FMOD_DSP_FFT_WINDOW_RECT);
            bool any = false;
            for (float v : out) any = any || v != 0.0f;
            if (any) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        FMOD_Sound_Release(sound);
    }
    state.counters["create_ms"] = created / static_cast<double>(state.iterations());
    FMOD_System_Close(system);
    FMOD_System_Release(system);
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadAndDecodeShowLengthModule)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The show's module playing for 10 s: the largest difference between the music's position and a
// wall clock read beside it, once a millisecond.
void BM_ShowModuleClockAgainstWallClock(benchmark::State& state) {
    std::string show = showModulePath();
    if (show.empty()) {
        state.SkipWithError("this build has composed no drift.mod");
        return;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    for (auto _ : state) {
        Music music;
        music.musicFile = show.c_str();
        music.play();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the first frame is heard
        auto t0 = std::chrono::steady_clock::now();
        int p0 = music.position(), last = p0, backwards = 0;
        double worst = 0, wall = 0;
        while (wall < 10000) {
            wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            int p = music.position();
            backwards += p < last;
            last = p;
            worst = std::max(worst, std::fabs(p - p0 - wall));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        music.stopMusic();
        state.counters["worst_ms"] = worst;
        state.counters["backwards"] = backwards;
    }
}
BENCHMARK(BM_ShowModuleClockAgainstWallClock)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
