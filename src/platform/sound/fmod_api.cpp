// The sound-library calls of the music player, on the project's own decoder, track, player, device
// and spectrum.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/sound/decoder.h"
#include "platform/sound/fmod.h"
#include "platform/sound/module_file.h"
#include "platform/sound/output.h"
#include "platform/sound/player.h"
#include "platform/sound/sound_layer.h"
#include "platform/sound/spectrum.h"
#include "platform/sound/track.h"
#include "process/running_time.h"

using namespace Zorvek::sound;
using Zorvek::runningNs;

struct FMOD_CHANNEL {
    FMOD_SYSTEM* system = nullptr;
    FMOD_SOUND* sound = nullptr;  // null when nothing plays
};

struct FMOD_SOUND {
    FMOD_SYSTEM* system = nullptr;
    Track track;
};

struct FMOD_SYSTEM {
    bool initialised = false;
    bool offline = false;
    Player player;
    Output output;
    FMOD_CHANNEL channel;  // the one channel
    std::vector<FMOD_SOUND*> sounds;
    Spectrum spectrum;
    std::int16_t window[Spectrum::SIZE * CHANNELS];
};

namespace {
constexpr FMOD_MODE SUPPORTED_MODES = FMOD_LOOP_OFF | FMOD_2D | FMOD_SOFTWARE;

struct Settings {
    bool offline = false;
    unsigned int version = 0;
    int delayMs = 0;
    const char* driver = "";
} settings;

std::int64_t msToFrames(unsigned int ms) { return static_cast<std::int64_t>(ms) * SAMPLE_RATE / 1000; }

unsigned int framesToMs(double frames) { return static_cast<unsigned int>(std::floor(frames * 1000.0 / SAMPLE_RATE)); }

FMOD_RESULT loadModule(const char* file, std::vector<std::uint8_t>& bytes) {
    switch (Zorvek::platform::readRegularFile(file, MAX_MODULE_BYTES, bytes)) {
        case Zorvek::platform::FileStatus::NotFound: return FMOD_ERR_FILE_NOTFOUND;
        case Zorvek::platform::FileStatus::Unreadable: return FMOD_ERR_FILE_BAD;
        case Zorvek::platform::FileStatus::Ok: break;
    }
    if (bytes.empty() || isTruncatedTrackerModule(bytes.data(), bytes.size())) return FMOD_ERR_FILE_BAD;
    return FMOD_OK;
}

void stopChannel(FMOD_SYSTEM* system) {
    if (FMOD_SOUND* playing = system->channel.sound) system->player.stop(&playing->track);
    system->channel.sound = nullptr;
}
}  // namespace

namespace Zorvek::sound {

void setOffline(bool offline) { settings.offline = offline; }

void setAudioDelay(int ms) { settings.delayMs = ms; }

void setReportedVersion(unsigned int version) { settings.version = version; }

const char* outputDriver() { return settings.driver; }

bool decodeSpan(const char* file, int startMs, int endMs, std::vector<std::int16_t>& pcm, int& sampleRate) {
    pcm.clear();
    sampleRate = SAMPLE_RATE;
    std::vector<std::uint8_t> bytes;
    if (startMs < 0 || endMs < startMs || loadModule(file, bytes) != FMOD_OK) return false;
    Decoder decoder;
    if (!decoder.open(bytes.data(), bytes.size())) return false;
    std::int64_t first = msToFrames(static_cast<unsigned>(startMs));
    std::int64_t count = msToFrames(static_cast<unsigned>(endMs)) - first;
    pcm.assign(static_cast<std::size_t>(count) * CHANNELS, 0);
    decoder.skip(first);
    decoder.render(pcm.data(), static_cast<std::size_t>(count));
    return true;
}

}  // namespace Zorvek::sound

extern "C" {

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system) {
    if (!system) return FMOD_ERR_INVALID_PARAM;
    *system = new FMOD_SYSTEM;
    (*system)->channel.system = *system;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_GetVersion(FMOD_SYSTEM* system, unsigned int* version) {
    if (!system || !version) return FMOD_ERR_INVALID_PARAM;
    *version = settings.version ? settings.version : FMOD_VERSION;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM* system, int maxchannels, FMOD_INITFLAGS, void*) {
    if (!system || maxchannels < 1) return FMOD_ERR_INVALID_PARAM;
    if (system->initialised) return FMOD_ERR_INITIALIZATION;
    system->offline = settings.offline;
    system->player.setExtraDelay(static_cast<int>(std::lround(settings.delayMs * (SAMPLE_RATE / 1000.0))), runningNs());
    if (!system->offline && !system->output.open(system->player)) return FMOD_ERR_OUTPUT_INIT;
    settings.driver = system->output.driver();
    system->initialised = true;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM* system, const char* name_or_data, FMOD_MODE mode,
                                    FMOD_CREATESOUNDEXINFO* exinfo, FMOD_SOUND** sound) {
    if (!system || !sound || exinfo || (mode & ~SUPPORTED_MODES)) return FMOD_ERR_INVALID_PARAM;
    if (!system->initialised) return FMOD_ERR_INITIALIZATION;
    std::vector<std::uint8_t> bytes;
    if (FMOD_RESULT r = loadModule(name_or_data, bytes); r != FMOD_OK) return r;
    auto made = std::make_unique<FMOD_SOUND>();
    made->system = system;
    // Offline passes come at chosen times, maybe far ahead: decode everything first.
    if (!made->track.load(bytes.data(), bytes.size(),
                          system->offline ? Track::Decoding::Now : Track::Decoding::Background))
        return made->track.lackedMemory() ? FMOD_ERR_MEMORY : FMOD_ERR_FORMAT;
    *sound = made.release();
    system->sounds.push_back(*sound);
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX channelid, FMOD_SOUND* sound, FMOD_BOOL paused,
                                  FMOD_CHANNEL** channel) {
    if (!system || !sound || sound->system != system) return FMOD_ERR_INVALID_PARAM;
    if (channelid != FMOD_CHANNEL_FREE && channelid != FMOD_CHANNEL_REUSE && channelid != 0)
        return FMOD_ERR_INVALID_PARAM;
    // One channel: a new sound takes it over.
    stopChannel(system);
    system->channel.sound = sound;
    system->player.start(&sound->track, !paused && !system->offline);
    if (channel) *channel = &system->channel;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL* channel, unsigned int* position, FMOD_TIMEUNIT postype) {
    if (!channel || !position) return FMOD_ERR_INVALID_PARAM;
    if (postype != FMOD_TIMEUNIT_MS) return FMOD_ERR_FORMAT;
    double frame = 0;
    if (!channel->system->player.heard(runningNs(), frame)) return FMOD_ERR_INVALID_HANDLE;
    *position = framesToMs(frame);
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL* channel, unsigned int position, FMOD_TIMEUNIT postype) {
    if (!channel) return FMOD_ERR_INVALID_PARAM;
    if (postype != FMOD_TIMEUNIT_MS) return FMOD_ERR_FORMAT;
    if (!channel->system->player.seek(msToFrames(position), runningNs())) return FMOD_ERR_INVALID_HANDLE;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_Update(FMOD_SYSTEM* system) {
    if (!system) return FMOD_ERR_INVALID_PARAM;
    // Decoding and mixing run on their own threads, where there are threads; where not, a pass
    // decodes the next stretch of the music.
    for (FMOD_SOUND* sound : system->sounds) sound->track.decodeStep();
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_GetSpectrum(FMOD_SYSTEM* system, float* spectrumarray, int numvalues, int channeloffset,
                                    FMOD_DSP_FFT_WINDOW windowtype) {
    if (!system || !spectrumarray || numvalues != Spectrum::BANDS || channeloffset < 0 || channeloffset >= CHANNELS ||
        windowtype != FMOD_DSP_FFT_WINDOW_RECT)
        return FMOD_ERR_INVALID_PARAM;
    double frame = 0;
    FMOD_SOUND* playing = system->channel.sound;
    if (!playing || !system->player.heard(runningNs(), frame)) {
        std::fill(spectrumarray, spectrumarray + numvalues, 0.0f);
        return FMOD_OK;
    }
    auto heard = static_cast<std::int64_t>(std::floor(frame));
    playing->track.read(heard - Spectrum::SIZE, Spectrum::SIZE, system->window);
    system->spectrum.compute(system->window, channeloffset, spectrumarray);
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND* sound, unsigned int* length, FMOD_TIMEUNIT lengthtype) {
    if (!sound || !length) return FMOD_ERR_INVALID_PARAM;
    if (lengthtype != FMOD_TIMEUNIT_MS) return FMOD_ERR_FORMAT;
    *length = framesToMs(static_cast<double>(sound->track.length()));
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound) {
    if (!sound) return FMOD_ERR_INVALID_PARAM;
    FMOD_SYSTEM* system = sound->system;
    if (system->channel.sound == sound) stopChannel(system);
    std::erase(system->sounds, sound);
    delete sound;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_Close(FMOD_SYSTEM* system) {
    if (!system) return FMOD_ERR_INVALID_PARAM;
    stopChannel(system);
    system->output.close();
    system->initialised = false;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM* system) {
    if (!system) return FMOD_ERR_INVALID_PARAM;
    FMOD_System_Close(system);
    for (FMOD_SOUND* sound : system->sounds) delete sound;
    delete system;
    return FMOD_OK;
}

}  // extern "C"
