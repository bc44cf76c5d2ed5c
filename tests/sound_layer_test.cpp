// The sound layer under the music player: its clock, spectrum, decoded track, device and the
// sound-library calls, on modules the tests write themselves.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/decoder.h"
#include "platform/sound/fmod.h"
#include "platform/sound/module_file.h"
#include "platform/sound/play_clock.h"
#include "platform/sound/player.h"
#include "platform/sound/sound_layer.h"
#include "platform/sound/spectrum.h"
#include "platform/sound/track.h"
#include "process/running_time.h"
#include "support/tracker_module.h"

using namespace Zorvek::sound;
using Zorvek::runningNs;
using namespace Zorvek::testing;

namespace {

constexpr std::int64_t MS = 1'000'000;  // ns
constexpr double FRAMES_PER_MS = SAMPLE_RATE / 1000.0;

// Band 8 of a 512-point spectrum at 48 kHz is 750 Hz; a 32-byte cycle at period 148 plays 749 Hz.
constexpr int TONE_PERIOD = 148;
constexpr int TONE_BAND = 8;

std::vector<std::int16_t> stereoSine(double cyclesPerWindow, int channel, double amplitude) {
    std::vector<std::int16_t> frames(Spectrum::SIZE * CHANNELS, 0);
    for (int i = 0; i < Spectrum::SIZE; ++i)
        frames[i * CHANNELS + channel] = static_cast<std::int16_t>(
            std::lround(amplitude * 32767.0 * std::sin(2.0 * M_PI * cyclesPerWindow * i / Spectrum::SIZE)));
    return frames;
}

// A plain DFT magnitude of one channel, scaled like the layer's: the reference to compare with.
std::vector<double> referenceSpectrum(const std::int16_t* frames, int channel) {
    std::vector<double> out(Spectrum::BANDS);
    for (int k = 0; k < Spectrum::BANDS; ++k) {
        double re = 0, im = 0;
        for (int n = 0; n < Spectrum::SIZE; ++n) {
            double x = frames[n * CHANNELS + channel] / 32768.0;
            re += x * std::cos(2.0 * M_PI * k * n / Spectrum::SIZE);
            im -= x * std::sin(2.0 * M_PI * k * n / Spectrum::SIZE);
        }
        out[k] = std::hypot(re, im) * (k == 0 ? 1.0 : 2.0) / Spectrum::SIZE;
    }
    return out;
}

std::vector<std::int16_t> decodeWhole(const TrackerModule& m) {
    std::vector<std::uint8_t> bytes = m.bytes();
    Decoder d;
    EXPECT_TRUE(d.open(bytes.data(), bytes.size()));
    std::vector<std::int16_t> pcm(static_cast<std::size_t>(d.lengthFrames()) * CHANNELS);
    EXPECT_EQ(d.render(pcm.data(), static_cast<std::size_t>(d.lengthFrames())),
              static_cast<std::size_t>(d.lengthFrames()));
    return pcm;
}

}  // namespace

// --- The playback clock ---------------------------------------------------------------------

TEST(PlayClock, RunsInRealTimeFromWhereItWasSetAndStandsWhenStopped) {
    PlayClock clock(SAMPLE_RATE);
    clock.set(48000, 10 * MS, true);
    EXPECT_DOUBLE_EQ(clock.read(10 * MS), 48000);
    double first = clock.read(10 * MS);
    EXPECT_NEAR(clock.read(13 * MS) - first, 3 * FRAMES_PER_MS, 1e-6);
    EXPECT_NEAR(clock.read(1010 * MS), 96000, 1e-6);
    clock.set(1000, 2000 * MS, false);
    EXPECT_DOUBLE_EQ(clock.read(5000 * MS), 1000);
}

TEST(PlayClock, FollowsAFasterOrSlowerDeviceSmoothlyAndNeverBackwards) {
    for (double deviceSpeed : {1.002, 0.998}) {
        PlayClock clock(SAMPLE_RATE);
        clock.set(0, 0, true);
        double last = 0, worstStep = 0;
        std::int64_t t = 0;
        // 30 s of callbacks every 21 ms, arriving up to 3 ms late, then 1 ms readings between them.
        for (int k = 0; k < 1400; ++k) {
            std::int64_t callback = k * 21 * MS + (k * 7919 % 4) * MS;
            for (; t < callback; t += MS) {
                double now = clock.read(t);
                ASSERT_GE(now, last);
                if (t > 0) worstStep = std::max(worstStep, std::fabs(now - last - FRAMES_PER_MS));
                last = now;
            }
            clock.steer(static_cast<double>(callback) * 1e-6 * FRAMES_PER_MS * deviceSpeed, callback);
            EXPECT_LE(std::fabs(clock.speed() - 1), PlayClock::MAX_STEER + 1e-12);
        }
        double device = static_cast<double>(t) * 1e-6 * FRAMES_PER_MS * deviceSpeed;
        EXPECT_NEAR(clock.at(t), device, 5 * FRAMES_PER_MS) << "device speed " << deviceSpeed;
        // A reading 1 ms after the last differs from 1 ms by at most the steering margin.
        EXPECT_LE(worstStep, FRAMES_PER_MS * (PlayClock::MAX_STEER * 1.01));
    }
}

// --- The spectrum ---------------------------------------------------------------------------

TEST(Spectrum, AFullScaleSineOnABandReadsOneThereAndNothingElsewhereOrOnTheOtherChannel) {
    Spectrum spectrum;
    float left[Spectrum::BANDS], right[Spectrum::BANDS];
    for (int band : {1, 17, 100, 255}) {
        std::vector<std::int16_t> frames = stereoSine(band, 1, 1.0);
        spectrum.compute(frames.data(), 0, left);
        spectrum.compute(frames.data(), 1, right);
        for (int k = 0; k < Spectrum::BANDS; ++k) {
            EXPECT_EQ(left[k], 0.0f);
            EXPECT_NEAR(right[k], k == band ? 1.0 : 0.0, 1e-3) << "band " << band << " k " << k;
        }
    }
}

TEST(Spectrum, AgreesWithAPlainFourierTransformOnAMixtureAndReadsZeroInSilence) {
    Spectrum spectrum;
    std::vector<std::int16_t> frames(Spectrum::SIZE * CHANNELS);
    for (int i = 0; i < Spectrum::SIZE; ++i)
        frames[i * CHANNELS] =
            static_cast<std::int16_t>(3000 + 9000 * std::sin(0.3 * i) + 5000 * std::cos(1.7 * i) + (i * 37 % 11) * 100);
    float out[Spectrum::BANDS];
    spectrum.compute(frames.data(), 0, out);
    std::vector<double> expected = referenceSpectrum(frames.data(), 0);
    for (int k = 0; k < Spectrum::BANDS; ++k) EXPECT_NEAR(out[k], expected[k], 1e-4) << k;

    std::vector<std::int16_t> silence(Spectrum::SIZE * CHANNELS, 0);
    spectrum.compute(silence.data(), 0, out);
    for (float v : out) EXPECT_EQ(v, 0.0f);
}

// --- Module files, decoding and the track ---------------------------------------------------

TEST(ModuleFile, ATrackerModuleCutShortAnywhereIsTruncatedAndAWholeOneIsNot) {
    std::vector<std::uint8_t> bytes = busyModule(3).bytes();
    EXPECT_FALSE(isTruncatedTrackerModule(bytes.data(), bytes.size()));
    for (std::size_t cut : {std::size_t(1084), std::size_t(1084 + 1023), bytes.size() - 1})
        EXPECT_TRUE(isTruncatedTrackerModule(bytes.data(), cut)) << cut;
    // Trailing bytes past the last sample do no harm.
    bytes.resize(bytes.size() + 100, 0);
    EXPECT_FALSE(isTruncatedTrackerModule(bytes.data(), bytes.size()));
    std::vector<std::uint8_t> text(2000, 'x');
    EXPECT_FALSE(isTruncatedTrackerModule(text.data(), text.size()));
}

TEST(Decoder, PlaysTheModuleOnceToItsLengthAndRefusesWhatIsNoModule) {
    std::vector<std::uint8_t> bytes = toneModule(2).bytes();
    Decoder d;
    ASSERT_TRUE(d.open(bytes.data(), bytes.size()));
    EXPECT_EQ(d.lengthFrames(), std::llround(2 * PATTERN_SECONDS * SAMPLE_RATE));
    std::vector<std::int16_t> pcm((d.lengthFrames() + 1000) * CHANNELS);
    EXPECT_EQ(d.render(pcm.data(), d.lengthFrames() + 1000), static_cast<std::size_t>(d.lengthFrames()));
    EXPECT_EQ(d.render(pcm.data(), 10), 0u);  // no loop back to the start

    std::vector<std::uint8_t> garbage = noise(3000);
    Decoder refused;
    EXPECT_FALSE(refused.open(garbage.data(), garbage.size()));
    EXPECT_FALSE(refused.open(nullptr, 0));

    // Up to half an hour is played; longer is refused before anything is decoded.
    TrackerModule slow = marathonModule();
    slow.orders.resize(11);  // 11 x 155 s
    bytes = slow.bytes();
    ASSERT_TRUE(refused.open(bytes.data(), bytes.size()));
    EXPECT_NEAR(refused.lengthFrames() / double(SAMPLE_RATE), 11 * 155.0, 1.0);
    slow.orders.resize(12);
    bytes = slow.bytes();
    EXPECT_FALSE(refused.open(bytes.data(), bytes.size()));
}

TEST(Track, DecodedInTheBackgroundHoldsTheSameSamplesAsDecodedAtOnce) {
    TrackerModule m = busyModule(2);
    std::vector<std::uint8_t> bytes = m.bytes();
    std::vector<std::int16_t> whole = decodeWhole(m);
    Track track;
    ASSERT_TRUE(track.load(bytes.data(), bytes.size(), Track::Decoding::Background));
    ASSERT_EQ(track.length() * CHANNELS, static_cast<std::int64_t>(whole.size()));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (track.decoded() < track.length() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(track.decoded(), track.length());
    std::vector<std::int16_t> copy(whole.size());
    track.read(0, static_cast<int>(track.length()), copy.data());
    EXPECT_EQ(copy, whole);
}

TEST(Track, ReadsSilenceBeforeTheStartAndPastTheEnd) {
    TrackerModule m = toneModule(1);
    std::vector<std::uint8_t> bytes = m.bytes();
    std::vector<std::int16_t> whole = decodeWhole(m);
    Track track;
    ASSERT_TRUE(track.load(bytes.data(), bytes.size(), Track::Decoding::Now));
    std::int16_t out[600 * CHANNELS];
    track.read(-100, 600, out);
    for (int i = 0; i < 100 * CHANNELS; ++i) ASSERT_EQ(out[i], 0);
    EXPECT_EQ(std::memcmp(out + 100 * CHANNELS, whole.data(), 500 * CHANNELS * sizeof(std::int16_t)), 0);
    track.read(track.length() - 100, 600, out);
    EXPECT_EQ(std::memcmp(out, whole.data() + (track.length() - 100) * CHANNELS, 100 * CHANNELS * sizeof(std::int16_t)),
              0);
    for (int i = 100 * CHANNELS; i < 600 * CHANNELS; ++i) ASSERT_EQ(out[i], 0);
    track.read(track.length() + 5000, 10, out);
    for (int i = 0; i < 10 * CHANNELS; ++i) ASSERT_EQ(out[i], 0);
}

// --- The player between the program and the device ------------------------------------------

TEST(Player, TheDeviceGetsTheFramesThatWillBeHeardWhenItsBufferPlays) {
    TrackerModule m = busyModule(1);
    std::vector<std::uint8_t> bytes = m.bytes();
    Track track;
    ASSERT_TRUE(track.load(bytes.data(), bytes.size(), Track::Decoding::Now));
    const int latency = 1024;  // 21.33 ms
    const std::int64_t LATENCY_NS = latency * 1'000'000'000LL / SAMPLE_RATE;
    Player player;
    player.configure(latency, false);
    player.start(&track, true);
    std::vector<std::int16_t> got(1024 * CHANNELS), expected(1024 * CHANNELS);
    double heard = -1;
    ASSERT_TRUE(player.heard(1 * MS, heard));
    EXPECT_DOUBLE_EQ(heard, 0);

    // The first callback, 5 ms after the start, gets the module from its very first frame, and
    // the clock starts when that frame is heard, one buffer later.
    player.fill(got.data(), 1024, 5 * MS);
    track.read(0, 1024, expected.data());
    EXPECT_EQ(got, expected);
    ASSERT_TRUE(player.heard(5 * MS + LATENCY_NS, heard));
    EXPECT_DOUBLE_EQ(heard, 0);
    ASSERT_TRUE(player.heard(5 * MS + LATENCY_NS + 10 * MS, heard));
    EXPECT_NEAR(heard, 480, 1e-6);
    // The next callback, one buffer later, continues seamlessly.
    player.fill(got.data(), 1024, 5 * MS + LATENCY_NS);
    track.read(1024, 1024, expected.data());
    EXPECT_EQ(got, expected);

    // A seek to 2 s at 30 ms: the next callback, 4 ms later, starts where the clock will be.
    ASSERT_TRUE(player.seek(96000, 30 * MS));
    ASSERT_TRUE(player.heard(30 * MS, heard));
    EXPECT_DOUBLE_EQ(heard, 96000);
    player.fill(got.data(), 1024, 34 * MS);
    track.read(96000 + 192 + latency, 1024, expected.data());
    EXPECT_EQ(got, expected);

    // A device that stalled for half a second jumps to the clock rather than lag behind it.
    player.fill(got.data(), 1024, 534 * MS);
    track.read(96000 + 504 * 48 + latency, 1024, expected.data());
    EXPECT_EQ(got, expected);

    player.stop(&track);
    EXPECT_FALSE(player.heard(600 * MS, heard));
    player.fill(got.data(), 1024, 600 * MS);
    for (std::int16_t s : got) ASSERT_EQ(s, 0);
}

TEST(Player, WithoutADeviceTheClockRunsAloneAndADeviceThatComesPlaysWhereTheMusicIsByThen) {
    TrackerModule m = busyModule(2);
    std::vector<std::uint8_t> bytes = m.bytes();
    Track track;
    ASSERT_TRUE(track.load(bytes.data(), bytes.size(), Track::Decoding::Now));
    std::vector<std::int16_t> got(1024 * CHANNELS), expected(1024 * CHANNELS);
    double heard = 0;

    // A server that has not answered yet: the clock cannot wait for a first callback.
    Player waiting;
    waiting.deviceGone(0);
    waiting.start(&track, true);
    ASSERT_TRUE(waiting.heard(runningNs() + 500 * MS, heard));
    EXPECT_NEAR(heard, 500 * FRAMES_PER_MS, 20 * FRAMES_PER_MS);

    Player player;
    player.configure(1024, false);
    player.start(&track, true);
    player.fill(got.data(), 1024, 0);  // heard from 21.3 ms on
    const double startedAt = 1024 / FRAMES_PER_MS;
    // Lost at 100 ms: the clock runs on, and the callbacks SDL still makes on its timer play silence.
    player.deviceGone(100 * MS);
    player.fill(got.data(), 1024, 150 * MS);
    for (std::int16_t v : got) ASSERT_EQ(v, 0);
    ASSERT_TRUE(player.heard(1000 * MS, heard));
    EXPECT_NEAR(heard, (1000 - startedAt) * FRAMES_PER_MS, 1.0);
    // Back at 1200 ms with another latency: its first buffer is what will be heard when it plays.
    player.configure(2048, false);
    player.fill(got.data(), 1024, 1200 * MS);
    ASSERT_TRUE(player.heard(1200 * MS, heard));
    track.read(std::llround(heard) + 2048, 1024, expected.data());
    EXPECT_EQ(got, expected);
    // A better account of the latency, 2048 frames more: the clock stands until what is heard
    // catches up with it, never running back, and the device plays on without a break.
    double before = 0, during = 0, after = 0;
    ASSERT_TRUE(player.heard(1210 * MS, before));
    player.setLatency(4096, 1210 * MS);
    ASSERT_TRUE(player.heard(1220 * MS, during));
    EXPECT_DOUBLE_EQ(during, before);
    ASSERT_TRUE(player.heard(1210 * MS + 2048 * MS / 48 + 10 * MS, after));
    EXPECT_NEAR(after, before + 10 * FRAMES_PER_MS, 1.0);
    player.fill(got.data(), 1024, 1200 * MS + 1024 * 1'000'000'000LL / SAMPLE_RATE);
    track.read(std::llround(heard) + 2048 + 1024, 1024, expected.data());
    EXPECT_EQ(got, expected);
}

TEST(Player, OnASoundCardTheClockKeepsToWhatTheCardPlaysAndOnASleepingDriverToRealTime) {
    TrackerModule m = busyModule(4);
    std::vector<std::uint8_t> bytes = m.bytes();
    Track track;
    ASSERT_TRUE(track.load(bytes.data(), bytes.size(), Track::Decoding::Now));
    const int latency = 1024;
    for (bool card : {true, false}) {
        Player player;
        player.configure(latency, card);
        player.start(&track, true);
        // The card's crystal runs 0.3 % fast: it asks for a buffer every 21.27 ms, give or take
        // 2 ms of scheduling.
        const double period = 1024 / 48000.0 * 1e9 / 1.003;
        std::vector<std::int16_t> buffer(1024 * CHANNELS);
        double last = 0, cardHeard = 0;
        std::int64_t now = 0;
        for (int k = 0; k < 1400; ++k) {  // 30 s
            std::int64_t callback = static_cast<std::int64_t>(k * period) + (k * 7919 % 5) * 400'000;
            for (; now < callback; now += MS) {
                double heard = 0;
                ASSERT_TRUE(player.heard(now, heard));
                ASSERT_GE(heard, last);
                last = heard;
            }
            player.fill(buffer.data(), 1024, callback);
            cardHeard = static_cast<double>(k) * 1024 - latency;  // the buffers it has played
        }
        double heard = 0;
        ASSERT_TRUE(player.heard(now, heard));
        // Off a card, the clock runs in real time from the moment the first buffer was heard.
        const std::int64_t firstHeard = latency * 1'000'000'000LL / SAMPLE_RATE;
        double realTime = static_cast<double>(now - firstHeard) * 1e-6 * FRAMES_PER_MS;
        if (card) {
            EXPECT_NEAR(heard, cardHeard, 3 * FRAMES_PER_MS);
        } else {
            EXPECT_NEAR(heard, realTime, 1 * FRAMES_PER_MS);
        }
    }
}

// --- The sound-library calls ----------------------------------------------------------------

class SoundSystem : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    }
    void TearDown() override {
        FMOD_System_Close(system);
        FMOD_System_Release(system);
        setOffline(false);
        setReportedVersion(0);
    }
    FMOD_SOUND* load(const TrackerModule& m, const char* name) {
        std::string path = temporaryFile(name, m.bytes());
        FMOD_SOUND* sound = nullptr;
        EXPECT_EQ(
            FMOD_System_CreateSound(system, path.c_str(), FMOD_LOOP_OFF | FMOD_2D | FMOD_SOFTWARE, nullptr, &sound),
            FMOD_OK);
        std::remove(path.c_str());
        return sound;
    }
    unsigned position() {
        unsigned ms = 0;
        EXPECT_EQ(FMOD_Channel_GetPosition(channel, &ms, FMOD_TIMEUNIT_MS), FMOD_OK);
        return ms;
    }
    FMOD_SYSTEM* system = nullptr;
    FMOD_CHANNEL* channel = nullptr;
};

TEST_F(SoundSystem, ReportsAVersionThatPassesTheCheckUnlessTestsAskForAnotherOne) {
    unsigned version = 0;
    ASSERT_EQ(FMOD_System_GetVersion(system, &version), FMOD_OK);
    EXPECT_GE(version, 0x42809u);
    setReportedVersion(0x42808);
    ASSERT_EQ(FMOD_System_GetVersion(system, &version), FMOD_OK);
    EXPECT_EQ(version, 0x42808u);
}

TEST_F(SoundSystem, RefusesMissingEmptyTruncatedAndGarbageFilesWithDistinctCodes) {
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    const FMOD_MODE mode = FMOD_LOOP_OFF | FMOD_2D | FMOD_SOFTWARE;
    FMOD_SOUND* sound = nullptr;
    EXPECT_EQ(FMOD_System_CreateSound(system, "/nonexistent/drift.mod", mode, nullptr, &sound), FMOD_ERR_FILE_NOTFOUND);
    // A directory, a device that never ends, a pipe nobody writes to (opening it must not wait
    // for a writer) and a link to itself.
    EXPECT_EQ(FMOD_System_CreateSound(system, "/tmp", mode, nullptr, &sound), FMOD_ERR_FILE_BAD);
    EXPECT_EQ(FMOD_System_CreateSound(system, "/dev/zero", mode, nullptr, &sound), FMOD_ERR_FILE_BAD);
    std::string fifo = temporaryFile("fifo.mod", {}), loop = temporaryFile("loop.mod", {});
    std::remove(fifo.c_str());
    std::remove(loop.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    EXPECT_EQ(FMOD_System_CreateSound(system, fifo.c_str(), mode, nullptr, &sound), FMOD_ERR_FILE_BAD);
    EXPECT_EQ(FMOD_System_CreateSound(system, loop.c_str(), mode, nullptr, &sound), FMOD_ERR_FILE_BAD);
    std::remove(fifo.c_str());
    std::remove(loop.c_str());
    std::vector<std::uint8_t> whole = toneModule(1).bytes();
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        FMOD_RESULT result;
    };
    for (const Case& c : {Case{"empty.mod", {}, FMOD_ERR_FILE_BAD},
                          Case{"truncated.mod", {whole.begin(), whole.end() - 10}, FMOD_ERR_FILE_BAD},
                          Case{"garbage.mod", noise(4000), FMOD_ERR_FORMAT},
                          Case{"marathon.mod", marathonModule().bytes(), FMOD_ERR_FORMAT}}) {
        std::string path = temporaryFile(c.name, c.bytes);
        EXPECT_EQ(FMOD_System_CreateSound(system, path.c_str(), mode, nullptr, &sound), c.result) << c.name;
        std::remove(path.c_str());
    }
}

TEST_F(SoundSystem, FallsBackToTheDummyDriverWhenNoDeviceCanBeOpened) {
    const char* chosen = std::getenv("SDL_AUDIODRIVER");
    std::string saved = chosen ? chosen : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    FMOD_RESULT result = FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr);
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    ASSERT_EQ(result, FMOD_OK);
    EXPECT_STREQ(outputDriver(), "dummy");
}

TEST_F(SoundSystem, PositionRunsInRealTimeSmoothlyAndNeverBackwardsWhilePlaying) {
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    FMOD_SOUND* sound = load(toneModule(2), "realtime.mod");
    ASSERT_EQ(FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel), FMOD_OK);
    // The clock starts once the device plays the first frame, within two buffers.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_GT(position(), 0u);
    using Clock = std::chrono::steady_clock;
    Clock::time_point t0 = Clock::now();
    unsigned p0 = position(), last = p0;
    int smallSteps = 0, steps = 0;
    while (Clock::now() - t0 < std::chrono::milliseconds(400)) {
        Clock::time_point a = Clock::now();
        unsigned before = position();
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        unsigned after = position();
        double wall = std::chrono::duration<double, std::milli>(Clock::now() - a).count();
        ASSERT_GE(before, last);
        ASSERT_GE(after, before);
        last = after;
        ++steps;
        if (std::fabs((after - before) - wall) <= 1.5) ++smallSteps;
    }
    double wall = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    EXPECT_NEAR(static_cast<double>(position() - p0), wall, 3.0);
    // Between callbacks 21 ms apart, each 3 ms step reads as about 3 ms.
    EXPECT_GE(smallSteps, steps * 9 / 10) << smallSteps << " of " << steps;
}

TEST_F(SoundSystem, SeeksLandOnTheRequestedTimeFromTheStartToNearTheEnd) {
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    FMOD_SOUND* sound = load(busyModule(4), "seek.mod");
    ASSERT_EQ(FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel), FMOD_OK);
    unsigned length = 0;
    ASSERT_EQ(FMOD_Sound_GetLength(sound, &length, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_EQ(length, 4 * 7680u);
    for (unsigned target : {15000u, 0u, 1u, 7679u, 20000u, length - 50, 3333u}) {
        auto before = std::chrono::steady_clock::now();
        ASSERT_EQ(FMOD_Channel_SetPosition(channel, target, FMOD_TIMEUNIT_MS), FMOD_OK);
        unsigned got = position();
        double since = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
        EXPECT_GE(got, target);
        EXPECT_LE(got, target + 1 + static_cast<unsigned>(since)) << target;
    }
}

// The show's time must not stand still when its music is shorter than its schedule: past the
// end the position runs on in real time, in silence, and a seek there lands where it was asked.
TEST_F(SoundSystem, PastTheEndThePositionRunsOnInSilenceAndASeekBackPlaysAgain) {
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    FMOD_SOUND* sound = load(toneModule(1), "end.mod");
    ASSERT_EQ(FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel), FMOD_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // the device has started
    ASSERT_EQ(FMOD_Channel_SetPosition(channel, 7600, FMOD_TIMEUNIT_MS), FMOD_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_GT(position(), 7730u);  // through the end at 7680 without a pause
    ASSERT_EQ(FMOD_Channel_SetPosition(channel, 3'000'000, FMOD_TIMEUNIT_MS), FMOD_OK);
    unsigned landed = position();
    EXPECT_GE(landed, 3'000'000u);
    EXPECT_LT(landed, 3'000'020u);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GE(position(), landed + 40);
    float spectrum[256];
    ASSERT_EQ(FMOD_System_GetSpectrum(system, spectrum, 256, 0, FMOD_DSP_FFT_WINDOW_RECT), FMOD_OK);
    EXPECT_EQ(*std::max_element(spectrum, spectrum + 256), 0.0f);  // nothing is heard there
    ASSERT_EQ(FMOD_Channel_SetPosition(channel, 1000, FMOD_TIMEUNIT_MS), FMOD_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GT(position(), 1020u);
    EXPECT_LT(position(), 2000u);
}

TEST_F(SoundSystem, OfflineThePositionStaysWhereSetAndTheSpectrumIsOfTheSamplesJustBeforeIt) {
    setOffline(true);
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    EXPECT_STREQ(outputDriver(), "");
    TrackerModule m = busyModule(2);
    std::vector<std::int16_t> whole = decodeWhole(m);
    FMOD_SOUND* sound = load(m, "offline.mod");
    ASSERT_EQ(FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel), FMOD_OK);
    for (unsigned at : {0u, 5u, 1234u, 9001u, 15359u}) {
        ASSERT_EQ(FMOD_Channel_SetPosition(channel, at, FMOD_TIMEUNIT_MS), FMOD_OK);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(position(), at);
        // The window: the 512 frames before the position, silence before the start.
        std::vector<std::int16_t> window(Spectrum::SIZE * CHANNELS, 0);
        for (int i = 0; i < Spectrum::SIZE; ++i) {
            std::int64_t f = static_cast<std::int64_t>(at) * 48 - Spectrum::SIZE + i;
            if (f >= 0)
                for (int c = 0; c < CHANNELS; ++c) window[i * CHANNELS + c] = whole[f * CHANNELS + c];
        }
        for (int c = 0; c < CHANNELS; ++c) {
            float out[Spectrum::BANDS];
            ASSERT_EQ(FMOD_System_GetSpectrum(system, out, 256, c, FMOD_DSP_FFT_WINDOW_RECT), FMOD_OK);
            std::vector<double> expected = referenceSpectrum(window.data(), c);
            for (int k = 0; k < Spectrum::BANDS; ++k)
                ASSERT_NEAR(out[k], expected[k], 1e-4) << "at " << at << " channel " << c << " band " << k;
        }
    }
}

TEST_F(SoundSystem, ASpectrumRequestForOtherThan256BandsOrAnotherChannelWritesNothing) {
    setOffline(true);
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    FMOD_SOUND* sound = load(toneModule(1), "badspectrum.mod");
    ASSERT_EQ(FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel), FMOD_OK);
    ASSERT_EQ(FMOD_Channel_SetPosition(channel, 500, FMOD_TIMEUNIT_MS), FMOD_OK);
    float out[600];
    struct Case {
        int values, channel;
    };
    for (Case c : {Case{255, 0}, Case{257, 0}, Case{512, 0}, Case{0, 0}, Case{256, 2}, Case{256, -1}}) {
        std::fill(std::begin(out), std::end(out), -7.0f);
        EXPECT_EQ(FMOD_System_GetSpectrum(system, out, c.values, c.channel, FMOD_DSP_FFT_WINDOW_RECT),
                  FMOD_ERR_INVALID_PARAM);
        for (float v : out) ASSERT_EQ(v, -7.0f);
    }
    std::fill(std::begin(out), std::end(out), -7.0f);
    ASSERT_EQ(FMOD_System_GetSpectrum(system, out, 256, 1, FMOD_DSP_FFT_WINDOW_RECT), FMOD_OK);
    EXPECT_NE(out[0], -7.0f);
    EXPECT_EQ(out[256], -7.0f);
}

TEST_F(SoundSystem, AToneOnAModuleChannelPeaksAtItsBandLouderOnItsOwnSide) {
    setOffline(true);
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    // Module channel 0 is heard on the left, channel 1 on the right.
    for (int side : {0, 1}) {
        FMOD_SOUND* sound = load(toneModule(1, side, TONE_PERIOD), "tone.mod");
        ASSERT_EQ(FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel), FMOD_OK);
        ASSERT_EQ(FMOD_Channel_SetPosition(channel, 2000, FMOD_TIMEUNIT_MS), FMOD_OK);
        float bands[2][256];
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(FMOD_System_GetSpectrum(system, bands[c], 256, c, FMOD_DSP_FFT_WINDOW_RECT), FMOD_OK);
        const float* near = bands[side];
        const float* far = bands[1 - side];
        int peak = static_cast<int>(std::max_element(near, near + 256) - near);
        EXPECT_EQ(peak, TONE_BAND);
        EXPECT_GT(near[peak], 0.1f);
        // The decoder mixes a little of each side into the other.
        EXPECT_LT(far[peak], near[peak] * 0.5f);
        for (int k = 0; k < 256; ++k)
            if (std::abs(k - TONE_BAND) > 1) {
                ASSERT_LT(near[k], near[peak] * 0.1f) << k;
            }
        ASSERT_EQ(FMOD_Sound_Release(sound), FMOD_OK);
    }
}

TEST_F(SoundSystem, AfterTheSoundIsReleasedTheChannelReportsAnErrorAndTheSpectrumIsSilent) {
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    FMOD_SOUND* sound = load(busyModule(1), "release.mod");
    ASSERT_EQ(FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, false, &channel), FMOD_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // the device is playing it
    ASSERT_EQ(FMOD_Sound_Release(sound), FMOD_OK);
    unsigned ms = 12345;
    EXPECT_EQ(FMOD_Channel_GetPosition(channel, &ms, FMOD_TIMEUNIT_MS), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(ms, 12345u);
    float out[256];
    std::fill(std::begin(out), std::end(out), 1.0f);
    ASSERT_EQ(FMOD_System_GetSpectrum(system, out, 256, 0, FMOD_DSP_FFT_WINDOW_RECT), FMOD_OK);
    for (float v : out) EXPECT_EQ(v, 0.0f);
}

// --- Sound-track spans ----------------------------------------------------------------------

TEST(DecodeSpan, HoldsExactlyTheFramesOfTheSpanAsThePlayerDecodesThem) {
    TrackerModule m = busyModule(2);
    std::vector<std::int16_t> whole = decodeWhole(m);
    std::string path = temporaryFile("span.mod", m.bytes());
    std::vector<std::int16_t> pcm;
    int rate = 0;
    struct Case {
        int start, end;
    };
    for (Case c : {Case{0, 1000}, Case{1234, 1235}, Case{7001, 9999}, Case{15000, 16000}, Case{500, 500}}) {
        ASSERT_TRUE(decodeSpan(path.c_str(), c.start, c.end, pcm, rate));
        EXPECT_EQ(rate, 48000);
        ASSERT_EQ(pcm.size(), static_cast<std::size_t>(c.end - c.start) * 48 * CHANNELS);
        for (std::size_t i = 0; i < pcm.size(); ++i) {
            std::size_t at = static_cast<std::size_t>(c.start) * 48 * CHANNELS + i;
            ASSERT_EQ(pcm[i], at < whole.size() ? whole[at] : 0) << c.start << " " << i;
        }
    }
    EXPECT_FALSE(decodeSpan(path.c_str(), 2000, 1000, pcm, rate));
    EXPECT_TRUE(pcm.empty());
    std::remove(path.c_str());
    EXPECT_FALSE(decodeSpan(path.c_str(), 0, 1000, pcm, rate));
}
