// The audio device on a desktop: SDL2's audio subsystem alone, pulling frames from the player in
// a callback. When no device can be opened, SDL's dummy driver stands in, so the show's clock
// still runs in real time on a machine without sound. SDL_AUDIODRIVER in the environment picks
// the driver as usual.
//
// The device is opened, watched and reopened by a thread of its own: a sound server that does not
// answer holds up that thread, never the show. The show waits about two seconds for the first
// device; past that it starts without sound, which comes as soon as the server answers. A device
// lost while playing (a server restarted, a headset unplugged) is looked for again every second,
// and the music is heard again where it is by then. Each of these is said in one line on
// standard error.
#include "platform/sound/output.h"

#include <SDL2/SDL.h>
#include <errno.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "audio_chatter.h"
#include "platform/sound/decoder.h"
#include "platform/sound/player.h"
#include "server_latency.h"
#include "process/running_time.h"
#include "process/small_thread.h"
#include "process/time.h"
#include "process/program_name.h"

namespace Zorvek::sound {

namespace {
constexpr int BUFFER_FRAMES = 1024;          // about 21 ms a callback
constexpr int ANSWER_MS = 2000;              // how long the show waits for its first device
constexpr Nanos WATCH = 100 * MILLISECOND;   // how often the device is looked at
constexpr Nanos RETRY = 1000 * MILLISECOND;  // how often a lost device is looked for
// How often the server is asked how far behind it plays: often while it settles its buffers to
// a new stream (a sink that was idle may first hold seconds), then now and then, for a sink
// that changes (a headset connected, another stream asking for less).
constexpr Nanos SETTLING = 5000 * MILLISECOND;
constexpr Nanos SETTLING_CHECKS = 500 * MILLISECOND;
constexpr Nanos LATER_CHECKS = 5000 * MILLISECOND;
constexpr int LATENCY_ANSWER_MS = 500;
// Changes smaller than this are the server's rounding, not worth a move of the clock.
constexpr int LATENCY_STEP = SAMPLE_RATE / 500;

// Drivers that only sleep between callbacks: their pace is no clock to follow.
bool isPacedBySleeping(const char* driver) {
    return std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0;
}

// Drivers that play through a sound server that can say how far behind it is.
bool isServer(const char* driver) {
    return std::strcmp(driver, "pulseaudio") == 0 || std::strcmp(driver, "pipewire") == 0;
}

[[gnu::format(printf, 1, 2)]] void say(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "%s: %s\n", programName(), line);
    std::fflush(stderr);
}

void SDLCALL pull(void* player, Uint8* stream, int bytes) {
    static_cast<Player*>(player)->fill(reinterpret_cast<std::int16_t*>(stream),
                                       bytes / static_cast<int>(sizeof(std::int16_t) * CHANNELS), runningNs());
}
}  // namespace

// What the device's thread shares with the program. The thread owns every SDL audio call; the
// program only asks it to stop. It touches the player only while no stop was asked, under `lock`.
struct Keeper {
    std::mutex lock;
    std::condition_variable changed;
    Player* player = nullptr;
    enum class First { Pending, Playing, Failed } first = First::Pending;
    bool awaited = true;  // the program still waits for the first device
    bool stopping = false;
    bool finished = false;
    const char* driver = "";

    // Thread side.
    SDL_AudioDeviceID device = 0;
    bool driverUp = false;
    int bufferFrames = 0;
    Nanos opened = 0, nextCheck = 0;
    bool asksServer = false;
    int latency = 0;  // what the player was last told

    void run();
    bool openDevice(const char* driverName);
    void closeDevice();
    void startPlaying(bool said);
    void checkLatency();
};

bool Keeper::openDevice(const char* driverName) {
    if (SDL_AudioInit(driverName) != 0) return false;
    driverUp = true;
    SDL_AudioSpec wanted, obtained;
    SDL_zero(wanted);
    SDL_zero(obtained);
    wanted.freq = SAMPLE_RATE;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = CHANNELS;
    wanted.samples = BUFFER_FRAMES;
    wanted.callback = pull;
    wanted.userdata = player;
    // No changes allowed: SDL converts to whatever the hardware wants behind the callback.
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        closeDevice();
        return false;
    }
    bufferFrames = obtained.samples;
    return true;
}

void Keeper::closeDevice() {
    if (device != 0) SDL_CloseAudioDevice(device);
    device = 0;
    if (driverUp) SDL_AudioQuit();
    driverUp = false;
}

// Under `lock`, with no stop asked: the device plays the player from now on.
void Keeper::startPlaying(bool said) {
    const char* name = SDL_GetCurrentAudioDriver();
    if (!name) name = "";
    if (first == First::Pending) driver = name;
    player->configure(bufferFrames, !isPacedBySleeping(name));
    SDL_PauseAudioDevice(device, 0);
    opened = monotonicNow();
    nextCheck = opened + SETTLING_CHECKS;
    asksServer = isServer(name);
    latency = bufferFrames;
    if (said) {
        double heard = 0;
        const int ms = player->heard(runningNs(), heard) ? static_cast<int>(heard * 1000 / SAMPLE_RATE) : 0;
        say("sound is back (%s), at %02d:%02d.%d of the music", name, ms / 60000, ms / 1000 % 60, ms / 100 % 10);
    }
}

void Keeper::checkLatency() {
    const Nanos now = monotonicNow();
    if (!asksServer || now < nextCheck) return;
    nextCheck = now + (now - opened < SETTLING ? SETTLING_CHECKS : LATER_CHECKS);
    const std::int64_t us = serverLatencyUs(LATENCY_ANSWER_MS);
    if (us < 0) return;
    // The server's average over its buffer's filling and draining: a callback's frames are heard
    // about that long after it (measured with a null sink's monitor: within a few ms from 15 to
    // 200 ms).
    const int frames = static_cast<int>(us * SAMPLE_RATE / 1'000'000);
    if (std::abs(frames - latency) < LATENCY_STEP) return;
    std::lock_guard<std::mutex> guard(lock);
    if (stopping || device == 0) return;
    player->setLatency(frames, runningNs());
    latency = frames;
}

void Keeper::run() {
    bool ok = openDevice(nullptr);
    std::unique_lock<std::mutex> l(lock);
    // A device that cannot be had at once gives way to the silent driver, as long as the program
    // still waits; one that comes late is looked for again instead.
    if (!ok && awaited && !stopping) {
        l.unlock();
        ok = openDevice("dummy");
        l.lock();
    }
    bool late = !awaited;
    Nanos nextTry = monotonicNow() + RETRY;
    if (!stopping) {
        if (ok) startPlaying(late);
        first = ok ? First::Playing : First::Failed;
        changed.notify_all();
    }
    const bool wanted = ok || late;  // whether a device is worth looking for again
    while (wanted && !stopping) {
        changed.wait_for(l, std::chrono::nanoseconds(WATCH), [this] { return stopping; });
        if (stopping) break;
        if (device != 0 && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED) {
            player->deviceGone(runningNs());
            const char* name = SDL_GetCurrentAudioDriver();
            say("sound device lost (%s); the show plays on without sound until it returns", name ? name : "");
            l.unlock();
            closeDevice();
            l.lock();
            nextTry = monotonicNow() + RETRY;
        } else if (device != 0) {
            l.unlock();
            checkLatency();
            l.lock();
        } else if (monotonicNow() >= nextTry) {
            l.unlock();
            ok = openDevice(nullptr);
            l.lock();
            if (ok && !stopping) startPlaying(true);
            nextTry = monotonicNow() + RETRY;
        }
    }
    l.unlock();
    closeDevice();
    l.lock();
    finished = true;
    changed.notify_all();
}

struct Output::Device {
    std::shared_ptr<Keeper> keeper;
    SmallThread thread;
};

Output::Output() = default;

Output::~Output() { close(); }

bool Output::open(Player& player) {
    close();
    // The graphics library handles the program's signals; SDL must not take them over.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    silenceAudioChatter();
    auto keeper = std::make_shared<Keeper>();
    keeper->player = &player;
    device = std::make_unique<Device>();
    device->keeper = keeper;
    // The thread keeps its own share: abandoned in a call that never returns, it still finds
    // its state when the call does.
    if (!device->thread.start([k = keeper] { k->run(); })) {
        device.reset();
        return false;
    }
    std::unique_lock<std::mutex> l(keeper->lock);
    keeper->changed.wait_for(l, std::chrono::milliseconds(ANSWER_MS),
                             [&] { return keeper->first != Keeper::First::Pending; });
    switch (keeper->first) {
        case Keeper::First::Playing: return true;
        case Keeper::First::Failed:
            l.unlock();
            close();
            return false;
        case Keeper::First::Pending: break;
    }
    keeper->awaited = false;
    player.deviceGone(runningNs());
    say("no answer from the sound server within %d s; the show plays without sound until it answers", ANSWER_MS / 1000);
    return true;
}

void Output::close() {
    if (!device) return;
    Keeper& keeper = *device->keeper;
    std::unique_lock<std::mutex> l(keeper.lock);
    keeper.stopping = true;
    keeper.changed.notify_all();
    const bool done = keeper.changed.wait_for(l, std::chrono::seconds(1), [&] { return keeper.finished; });
    l.unlock();
    // A thread still inside a call to a sound server that does not answer is left to finish by
    // itself: it closes what it opened and touches nothing of the program's.
    if (done) {
        device->thread.join();
    } else {
        device->thread.detach();
    }
    device.reset();
}

const char* Output::driver() const {
    if (!device) return "";
    std::lock_guard<std::mutex> guard(device->keeper->lock);
    return device->keeper->driver;
}

}  // namespace Zorvek::sound
