// The audio device in a browser: an audio worklet of the page's, at the show's own sample rate,
// which plays what the player pulls. The worklet holds a short queue; each time it has played a
// block it asks for one more, which the player fills here and the page hands over. What is pulled
// now is heard after the queue and the browser's own output latency, which the page reports; the
// player steers its clock by the frames pulled, as by a sound card's callbacks. A browser starts
// no sound before the viewer's first gesture: until then (or without a working audio context)
// there is no device, and the player's clock runs by itself in real time.
#include <emscripten.h>

#include <cstdint>

#include "platform/sound/decoder.h"
#include "platform/sound/output.h"
#include "platform/sound/player.h"
#include "process/running_time.h"

namespace Zorvek::sound {

namespace {
// clang-format off
EM_JS(void, pageAudioOpen, (int sampleRate, int channels), { velmoraPage.audio.open(sampleRate, channels); });
EM_JS(void, pageAudioClose, (), { velmoraPage.audio.close(); });
EM_JS(void, pageAudioPush, (const std::int16_t* frames, int count), { velmoraPage.audio.push(frames, count); });
// clang-format on
}  // namespace

struct Output::Device {
    static constexpr int MOST_FRAMES = 4096;  // the most one pull asks for

    Player* player = nullptr;
    bool playing = false;
    std::int16_t block[MOST_FRAMES * CHANNELS] = {};
};

namespace {
Output::Device* current = nullptr;  // the device the page's calls reach
}  // namespace

Output::Output() = default;

Output::~Output() { close(); }

bool Output::open(Player& player) {
    close();
    device = std::make_unique<Device>();
    device->player = &player;
    current = device.get();
    player.deviceGone(runningNs());
    pageAudioOpen(SAMPLE_RATE, CHANNELS);
    return true;
}

void Output::close() {
    if (!device) return;
    pageAudioClose();
    if (current == device.get()) current = nullptr;
    device.reset();
}

const char* Output::driver() const { return device && device->playing ? "webaudio" : ""; }

}  // namespace Zorvek::sound

using Zorvek::sound::current;

extern "C" {

// The page's audio plays from now on, `latency` frames behind what is pulled.
EMSCRIPTEN_KEEPALIVE void velmora_audio_ready(int latency) {
    if (!current) return;
    current->player->configure(latency, true);
    current->playing = true;
}

// A better account of the latency, in frames.
EMSCRIPTEN_KEEPALIVE void velmora_audio_latency(int latency) {
    if (current && current->playing) current->player->setLatency(latency, Zorvek::runningNs());
}

// The worklet played `count` frames: as many more are pulled and handed to it.
EMSCRIPTEN_KEEPALIVE void velmora_audio_pull(int count) {
    if (!current || !current->playing || count <= 0) return;
    if (count > Zorvek::sound::Output::Device::MOST_FRAMES) count = Zorvek::sound::Output::Device::MOST_FRAMES;
    current->player->fill(current->block, count, Zorvek::runningNs());
    Zorvek::sound::pageAudioPush(current->block, count);
}

// The page's audio stopped (the context was closed or failed): the show plays on without it.
EMSCRIPTEN_KEEPALIVE void velmora_audio_gone() {
    if (!current || !current->playing) return;
    current->playing = false;
    current->player->deviceGone(Zorvek::runningNs());
}

}  // extern "C"
