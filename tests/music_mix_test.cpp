// The show's music as the show plays it (decoded by the sound layer, at its rate and settings):
// its loudness and peaks, its arc from the breakdown through the build-up to the finale, its
// centred low end, and the credits' ray caster that its spectrum lights.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "music/music.h"
#include "platform/sound/sound_layer.h"
#include "runtime/clock.h"
#include "runtime/main_loop.h"
#include "show/velmora.h"
#include "support/headless.h"
#include "support/show_module.h"
#include "process/show_random.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A second-order section, run in direct form I over one channel of interleaved stereo.
struct Biquad {
    double b0, b1, b2, a1, a2;
    std::vector<double> run(const std::vector<double>& x) const {
        std::vector<double> y(x.size());
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            y[i] = b0 * x[i] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x[i];
            y2 = y1;
            y1 = y[i];
        }
        return y;
    }
};

// The K-weighting of loudness measurement at 48 kHz: a high shelf for the head, then a high-pass.
constexpr Biquad SHELF = {1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585};
constexpr Biquad RLB = {1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621};

// A Butterworth low-pass section (Q = 1/sqrt 2) at `hz`.
Biquad lowPass(double hz, double rate) {
    const double w = 2 * std::numbers::pi * hz / rate, alpha = std::sin(w) / std::sqrt(2.0), c = std::cos(w);
    const double a0 = 1 + alpha;
    return {(1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

struct Chapter {
    const char* name;
    double from, to;  // seconds
};
// The show's chapters, the flashes and the outro under the end screen.
const Chapter CHAPTERS[] = {
    {"F1", 0, 15},           {"F2", 15, 45},           {"F3", 45, 76.2},         {"F4", 76.2, 93.8},
    {"F5", 93.8, 109.48},    {"F6", 109.48, 140.88},   {"F7", 140.88, 172.28},   {"F8", 172.28, 203.48},
    {"F9", 203.48, 232.73},  {"F10", 232.73, 250.724}, {"F12", 250.724, 279.73}, {"flashes", 279.73, 281.682},
    {"outro", 281.682, 292},
};

// The whole module decoded once (each test program runs as its own process, so the checks of one
// decoding live in one test), with what they share: the K-weighted power of every 100 ms block
// and the band below 150 Hz.
class ShowMusic : public ::testing::Test {
protected:
    static constexpr int BLOCK = 4800;  // 100 ms at 48 kHz

    static void SetUpTestSuite() {
        const std::string path = showModulePath();
        if (path.empty()) return;
        std::vector<std::int16_t> pcm;
        int rate = 0;
        if (!sound::decodeSpan(path.c_str(), 0, 292000, pcm, rate) || rate != 48000) return;
        audio = new Audio;
        audio->pcm = std::move(pcm);
        std::vector<double> left(audio->pcm.size() / 2), right(left.size());
        for (std::size_t i = 0; i < left.size(); ++i) {
            left[i] = audio->pcm[2 * i] / 32768.0;
            right[i] = audio->pcm[2 * i + 1] / 32768.0;
        }
        const auto kl = RLB.run(SHELF.run(left)), kr = RLB.run(SHELF.run(right));
        for (std::size_t first = 0; first + BLOCK <= kl.size(); first += BLOCK) {
            double sum = 0;
            for (std::size_t i = first; i < first + BLOCK; ++i) sum += kl[i] * kl[i] + kr[i] * kr[i];
            audio->blocks.push_back(sum / BLOCK);
        }
        const Biquad low = lowPass(150, 48000);
        audio->lowLeft = low.run(low.run(left));
        audio->lowRight = low.run(low.run(right));
    }
    static void TearDownTestSuite() {
        delete audio;
        audio = nullptr;
    }
    void SetUp() override {
        if (showModulePath().empty()) GTEST_SKIP() << "this build has composed no drift.mod";
        ASSERT_NE(audio, nullptr) << "the sound layer cannot decode " << showModulePath();
    }

    static double lufs(double power) { return -0.691 + 10 * std::log10(std::max(power, 1e-20)); }

    // Loudness of the 3 s ending with block `end` (exclusive).
    static double shortTerm(std::size_t end) {
        double sum = 0;
        for (std::size_t b = end - 30; b < end; ++b) sum += audio->blocks[b];
        return lufs(sum / 30);
    }

    // The loudest 3 s that end within a span (seconds).
    static double shortTermMax(double from, double to) {
        double best = -1e9;
        for (std::size_t end = std::max<std::size_t>(30, static_cast<std::size_t>(from * 10) + 1);
             end <= std::min(audio->blocks.size(), static_cast<std::size_t>(to * 10)); ++end)
            best = std::max(best, shortTerm(end));
        return best;
    }

    // Gated integrated loudness over 400 ms blocks overlapping by three quarters.
    static double integrated() {
        std::vector<double> gated;
        for (std::size_t b = 4; b <= audio->blocks.size(); ++b) {
            const double p =
                (audio->blocks[b - 4] + audio->blocks[b - 3] + audio->blocks[b - 2] + audio->blocks[b - 1]) / 4;
            if (lufs(p) > -70) gated.push_back(p);
        }
        double mean = 0;
        for (double p : gated) mean += p / gated.size();
        const double relative = lufs(mean) - 10;
        double sum = 0;
        int count = 0;
        for (double p : gated)
            if (lufs(p) > relative) {
                sum += p;
                ++count;
            }
        return lufs(sum / count);
    }

    struct Audio {
        std::vector<std::int16_t> pcm;
        std::vector<double> blocks;
        std::vector<double> lowLeft, lowRight;
    };
    static Audio* audio;
};
ShowMusic::Audio* ShowMusic::audio = nullptr;

TEST_F(ShowMusic, IsLoudWithoutClippingRisesToTheFinaleAndKeepsItsLowEndInTheMiddle) {
    // loud, never clipped, heard until the rewind
    int peak = 0, clipped = 0;
    for (std::int16_t v : audio->pcm) {
        peak = std::max(peak, std::abs(static_cast<int>(v)));
        clipped += v == 32767 || v == -32768;
    }
    const double loudness = integrated(), peakDb = 20 * std::log10(peak / 32768.0);
    std::printf("integrated loudness %.1f LUFS, sample peak %.2f dBFS\n", loudness, peakDb);
    EXPECT_NEAR(loudness, -14.0, 1.5);
    EXPECT_LE(peakDb, -1.0);
    EXPECT_EQ(clipped, 0);
    for (int second = 0; second < 287; ++second) {
        double sum = 0;
        for (int i = second * 96000; i < (second + 1) * 96000; ++i) sum += double(audio->pcm[i]) * audio->pcm[i];
        ASSERT_GT(std::sqrt(sum / 96000) / 32768, 0.005) << "silence around " << second << " s";
    }

    // the finale (with its flashes) is louder than any chapter before it
    const double finale = shortTermMax(250.724, 281.682);
    for (const Chapter& c : CHAPTERS) {
        if (c.from >= 250.7) break;
        EXPECT_GT(finale, shortTermMax(c.from + 3, c.to) + 0.5) << "chapter " << c.name << " is as loud as the finale";
    }
    // the warps fall away into a breakdown: somewhere in their second half, 5 LU under their peak
    const double warps = shortTermMax(206.5, 232.73);
    double quietest = 1e9;
    for (std::size_t end = 2180; end <= 2327; ++end) quietest = std::min(quietest, shortTerm(end));
    EXPECT_LT(quietest, warps - 5) << "no breakdown before the build-up";
    // the build-up rises: each third louder than the one before, the last well above the first
    double thirds[3] = {};
    const std::size_t from = 2357, to = 2502, step = (to - from) / 3;
    for (int i = 0; i < 3; ++i) {
        for (std::size_t end = from + i * step; end < from + (i + 1) * step; ++end) thirds[i] += shortTerm(end) / step;
        if (i > 0) {
            EXPECT_GT(thirds[i], thirds[i - 1]) << "the build-up sinks in its third " << i + 1;
        }
    }
    EXPECT_GT(thirds[2], thirds[0] + 4);

    // the low end in the middle in every chapter; the table of the arc
    std::printf("%-9s %7s %7s %9s %9s %8s\n", "chapter", "peak", "RMS", "ST max", "corr<150", "L-R<150");
    for (const Chapter& c : CHAPTERS) {
        const std::size_t first = static_cast<std::size_t>(c.from * 48000);
        const std::size_t last = std::min(audio->lowLeft.size(), static_cast<std::size_t>(c.to * 48000));
        int peak = 0;
        double square = 0, ll = 0, rr = 0, lr = 0;
        for (std::size_t i = first; i < last; ++i) {
            peak = std::max({peak, std::abs(int(audio->pcm[2 * i])), std::abs(int(audio->pcm[2 * i + 1]))});
            square += (double(audio->pcm[2 * i]) * audio->pcm[2 * i] +
                       double(audio->pcm[2 * i + 1]) * audio->pcm[2 * i + 1]) /
                      (2.0 * 32768 * 32768);
            ll += audio->lowLeft[i] * audio->lowLeft[i];
            rr += audio->lowRight[i] * audio->lowRight[i];
            lr += audio->lowLeft[i] * audio->lowRight[i];
        }
        const double correlation = lr / std::sqrt(ll * rr), balance = 10 * std::log10(ll / rr);
        // (the flashes last two seconds: their loudest 3 s reach back into the finale)
        std::printf("%-9s %7.1f %7.1f %9.1f %9.2f %8.1f\n", c.name, 20 * std::log10(peak / 32768.0),
                    10 * std::log10(square / (last - first)), shortTermMax(std::min(c.from + 3, c.to - 0.1), c.to),
                    correlation, balance);
        EXPECT_GT(correlation, 0.85) << "the low end of " << c.name << " is spread";
        EXPECT_LT(std::fabs(balance), 1.0) << "the low end of " << c.name << " leans to one side";
    }
}

// The credits scroll across a magenta screen that only the ray caster lights, with rays drawn
// from the spectrum of what is heard: the music must light it. Brightness is the picture's luma
// (ITU-R BT.601 weights); the mean of the three channels is printed beside it.
TEST(CreditsRayCaster, TheMusicLightsThePictureWhileTheCreditsScroll) {
    if (showModulePath().empty()) GTEST_SKIP() << "this build has composed no drift.mod";
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(assetDir());
    sound::setOffline(true);
    {
        auto show = std::make_unique<Velmora>(DemoMode::Headless);
        show->display.setHeadless(320, 240, 32);
        show->script();
        Zorvek::seedShowRand(1);
        show->music.play();
        MusicClock clock(show->music);  // offline, the music stands where the clock puts it
        MainLoop loop(*show, clock);
        loop.begin();
        double luma = 0, channels = 0;
        int frames = 0;
        for (int t = 78400; t < 93800; t += 20) {
            clock.setPosition(t);
            BITMAP* frame = loop.pass();
            double y = 0, c = 0;
            for (int row = 0; row < frame->h; ++row)
                for (int x = 0; x < frame->w; ++x) {
                    const std::uint32_t p = pixel(frame, x, row);
                    const double r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                    y += 0.299 * r + 0.587 * g + 0.114 * b;
                    c += (r + g + b) / 3;
                }
            luma += y / (frame->w * frame->h);
            channels += c / (frame->w * frame->h);
            ++frames;
        }
        loop.end();
        show->music.stopMusic();
        std::printf("credits 78.4-93.8 s: mean luma %.1f, mean of the channels %.1f (of 255)\n", luma / frames,
                    channels / frames);
        EXPECT_GE(luma / frames, 40.0);
    }
    sound::setOffline(false);
    std::filesystem::current_path(previous);
}

}  // namespace
