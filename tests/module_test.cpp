// The show's module, drift.mod, as libopenmpt plays it: its format, its length, where its order
// entries begin against the chapter times, the hits under the flashes, the reverse cymbals
// against their downbeats, and the credits' two sides. (Its level, arc and mix: music_mix_test.)

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/show_module.h"

namespace {

std::string modulePath() {
    const char* env = std::getenv("VELMORA_MODULE");
    return env ? env : Zorvek::testing::assetDir() + "/drift.mod";
}

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Owns a libopenmpt module for the length of a test.
class Module {
public:
    explicit Module(const std::vector<char>& bytes)
        : module(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr,
                                                    nullptr, nullptr, nullptr)) {}
    ~Module() {
        if (module) openmpt_module_destroy(module);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    openmpt_module* get() const { return module; }

    std::string metadata(const char* key) const {
        const char* value = openmpt_module_get_metadata(module, key);
        std::string s = value ? value : "";
        openmpt_free_string(value);
        return s;
    }

    // Seconds at which each order entry begins, by the module's own timing.
    std::vector<double> orderStarts() const {
        std::vector<double> starts;
        for (int o = 0; o < openmpt_module_get_num_orders(module); ++o)
            starts.push_back(openmpt_module_set_position_order_row(module, o, 0));
        openmpt_module_set_position_seconds(module, 0.0);
        return starts;
    }

    // Renders [from, to) seconds as interleaved stereo floats at `rate`.
    std::vector<float> render(double from, double to, int rate) const {
        openmpt_module_set_position_seconds(module, from);
        std::vector<float> out(static_cast<std::size_t>((to - from) * rate) * 2);
        std::size_t done = 0;
        while (done < out.size()) {
            const std::size_t frames = openmpt_module_read_interleaved_float_stereo(
                module, rate, std::min<std::size_t>(4096, (out.size() - done) / 2), out.data() + done);
            if (frames == 0) break;
            done += frames * 2;
        }
        out.resize(done);
        return out;
    }

private:
    openmpt_module* module;
};

const double CHAPTERS_MS[] = {0, 15000, 45000, 76200, 93800, 109480, 140880, 172280, 203480, 232730, 250724};

// The largest distance, in ms, from a chapter time to the nearest start of an order entry.
double worstChapterError(const std::vector<double>& starts, const std::vector<double>& chaptersMs) {
    double worst = 0.0;
    for (double chapter : chaptersMs) {
        double nearest = 1e9;
        for (double s : starts) nearest = std::min(nearest, std::fabs(s * 1000.0 - chapter));
        worst = std::max(worst, nearest);
    }
    return worst;
}

double rms(const std::vector<float>& stereo, int channel) {
    double sum = 0.0;
    for (std::size_t i = channel; i < stereo.size(); i += 2) sum += stereo[i] * stereo[i];
    return std::sqrt(sum / std::max<std::size_t>(1, stereo.size() / 2));
}

class DriftModule : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bytes = new std::vector<char>(readFile(modulePath())); }
    static void TearDownTestSuite() { delete bytes; }
    void SetUp() override {
        ASSERT_FALSE(bytes->empty()) << "no module at " << modulePath();
        module = std::make_unique<Module>(*bytes);
        ASSERT_NE(module->get(), nullptr) << "libopenmpt cannot read " << modulePath();
    }
    static std::vector<char>* bytes;
    std::unique_ptr<Module> module;
};
std::vector<char>* DriftModule::bytes = nullptr;

TEST_F(DriftModule, IsAnEightChannelProTrackerModule) {
    EXPECT_EQ(module->metadata("type"), "mod");
    EXPECT_EQ(openmpt_module_get_num_channels(module->get()), 8);
    EXPECT_EQ(std::string(bytes->data() + 1080, 4), "8CHN");
    EXPECT_GE(openmpt_module_get_num_samples(module->get()), 12) << "drums, bass, leads and chords";
}

TEST_F(DriftModule, PlaysPastTheRewindAndThenEnds) {
    const double length = openmpt_module_get_duration_seconds(module->get());
    EXPECT_GE(length, 289.0) << "the show rewinds at about 286 s and ends at 287 s";
    EXPECT_LE(length, 300.0);
    // a second at 287.5 s is still music, and playing on from there stops without looping back
    const auto tail = module->render(287.5, 288.5, 8000);
    EXPECT_EQ(tail.size(), 2u * 8000u);
    EXPECT_GT(rms(tail, 0) + rms(tail, 1), 1e-4);
    openmpt_module_set_position_seconds(module->get(), 287.0);
    double last = 287.0;
    float buffer[2 * 1024];
    int reads = 0;
    while (openmpt_module_read_interleaved_float_stereo(module->get(), 8000, 1024, buffer) > 0) {
        const double now = openmpt_module_get_position_seconds(module->get());
        ASSERT_GE(now, last) << "the song jumped back";
        last = now;
        ASSERT_LT(++reads, 200) << "the song goes on past " << last << " s";
    }
    EXPECT_NEAR(last, length, 0.5);
}

TEST_F(DriftModule, EveryChapterBeginsWithAnOrderEntry) {
    const auto starts = module->orderStarts();
    ASSERT_FALSE(starts.empty());
    for (double chapter : CHAPTERS_MS) {
        double nearest = 1e9;
        for (double s : starts) nearest = std::min(nearest, std::fabs(s * 1000.0 - chapter));
        EXPECT_LE(nearest, 10.0) << "chapter at " << chapter << " ms";
    }
}

// libopenmpt counts whole samples per tick: the order entries must land at the chapters when
// it actually plays, at either common mixing rate, not only in its position arithmetic.
TEST_F(DriftModule, ChaptersHoldWhilePlayingAt44100And48000Hz) {
    for (int rate : {44100, 48000}) {
        openmpt_module_set_position_seconds(module->get(), 0.0);
        std::vector<double> starts = {0.0};
        int order = openmpt_module_get_current_order(module->get());
        std::size_t frames = 0;
        float buffer[2 * 32];
        std::size_t got;
        while ((got = openmpt_module_read_interleaved_float_stereo(module->get(), rate, 32, buffer)) > 0) {
            const int now = openmpt_module_get_current_order(module->get());
            if (now != order) {
                // the change happened within the block just read
                starts.push_back(static_cast<double>(frames) / rate);
                order = now;
            }
            frames += got;
        }
        EXPECT_LE(worstChapterError(starts, {std::begin(CHAPTERS_MS), std::end(CHAPTERS_MS)}), 10.0)
            << "playing at " << rate << " Hz";
    }
}

// A reverse cymbal swells to its strike: the strike must land on the downbeat it leads into (at
// most 30 ms before the start of a bar or of a pattern), not before a gap.
TEST_F(DriftModule, ReverseCymbalsStrikeJustBeforeTheirDownbeats) {
    const std::vector<char>& mod = *bytes;
    const auto word = [&mod](std::size_t at) {
        return static_cast<int>(static_cast<unsigned char>(mod[at]) << 8 | static_cast<unsigned char>(mod[at + 1]));
    };
    const int positions = static_cast<unsigned char>(mod[950]);
    int patterns = 0;
    for (int o = 0; o < positions; ++o) patterns = std::max(patterns, static_cast<unsigned char>(mod[952 + o]) + 1);
    // find the reverse crash by name, and where its data lies
    std::size_t data = 1084 + static_cast<std::size_t>(patterns) * 64 * 8 * 4;
    int sample = 0;
    std::size_t start = 0, length = 0;
    for (int i = 0; i < 31; ++i) {
        const std::size_t words = word(20 + 30 * i + 22);
        if (std::string(mod.data() + 20 + 30 * i).rfind("reverse crash", 0) == 0) {
            sample = i + 1;
            start = data;
            length = 2 * words;
        }
        data += 2 * words;
    }
    ASSERT_NE(sample, 0) << "no reverse crash in the bank";
    // The samples' bytes are signed whatever the processor's char is (arm64's is unsigned).
    std::size_t peak = 0;
    for (std::size_t i = 0; i < length; ++i)
        if (std::abs(static_cast<signed char>(mod[start + i])) > std::abs(static_cast<signed char>(mod[start + peak])))
            peak = i;

    openmpt_module* m = module->get();
    std::vector<double> downbeats;  // the starts of bars and patterns, in ms
    struct Strike {
        double ms;
        int period;
        int offset;
    };
    std::vector<Strike> strikes;
    for (int o = 0; o < openmpt_module_get_num_orders(m); ++o) {
        const int pattern = openmpt_module_get_order_pattern(m, o);
        for (int r = 0; r < openmpt_module_get_pattern_num_rows(m, pattern); ++r) {
            const double ms = openmpt_module_set_position_order_row(m, o, r) * 1000.0;
            if (r % 16 == 0) downbeats.push_back(ms);
            for (int ch = 0; ch < 8; ++ch) {
                const std::size_t cell = 1084 + ((static_cast<std::size_t>(pattern) * 64 + r) * 8 + ch) * 4;
                const int number =
                    (static_cast<unsigned char>(mod[cell]) & 0xF0) | (static_cast<unsigned char>(mod[cell + 2]) >> 4);
                const int period = word(cell) & 0x0FFF;
                if (number != sample || period == 0) continue;
                const bool offset = (mod[cell + 2] & 0x0F) == 0x9;
                strikes.push_back({ms, period, offset ? static_cast<unsigned char>(mod[cell + 3]) : 0});
            }
        }
    }
    ASSERT_GE(strikes.size(), 3u) << "into the groove, the theme and the finale at least";
    for (const Strike& s : strikes) {
        const double rate = 3546895.0 / s.period;
        const double strikeMs = s.ms + (static_cast<double>(peak) - 256.0 * s.offset) * 1000.0 / rate;
        double next = 1e9;
        for (double d : downbeats)
            if (d >= strikeMs) next = std::min(next, d);
        EXPECT_LE(next - strikeMs, 30.0) << "a reverse cymbal struck at " << s.ms << " ms peaks at " << strikeMs
                                         << " ms, " << next - strikeMs << " ms before its downbeat";
    }
}

// Near the end the show flashes eight pictures, 144 ms each with 100 ms of noise between: the
// music hits with every flash.
TEST_F(DriftModule, HitsWithEachOfTheEightFlashes) {
    openmpt_module* m = module->get();
    const auto starts = module->orderStarts();
    std::vector<double> hits;
    for (int o = 0; o < static_cast<int>(starts.size()); ++o) {
        if (starts[o] > 281.68 || (o + 1 < static_cast<int>(starts.size()) && starts[o + 1] < 279.5)) continue;
        const int pattern = openmpt_module_get_order_pattern(m, o);
        for (int r = 0; r < openmpt_module_get_pattern_num_rows(m, pattern); ++r) {
            const double t = openmpt_module_set_position_order_row(m, o, r);
            if (t < 279.5 || t > 281.68) continue;
            if (openmpt_module_get_pattern_row_channel_command(m, pattern, r, 0, OPENMPT_MODULE_COMMAND_NOTE) != 0)
                hits.push_back(t * 1000.0);
        }
    }
    ASSERT_EQ(hits.size(), 8u) << "kicks during the flashes";
    for (std::size_t i = 0; i < hits.size(); ++i) EXPECT_NEAR(hits[i], 279730.0 + 244.0 * i, 10.0) << "hit " << i;
}

// The credits' ray caster colours its rays by the two channels: they must differ clearly.
TEST_F(DriftModule, CreditsSoundDifferentLeftAndRight) {
    const auto audio = module->render(78.4, 93.8, 8000);
    double left = 0.0, right = 0.0, cross = 0.0;
    for (std::size_t i = 0; i + 1 < audio.size(); i += 2) {
        left += audio[i] * audio[i];
        right += audio[i + 1] * audio[i + 1];
        cross += audio[i] * audio[i + 1];
    }
    ASSERT_GT(left, 0.0);
    ASSERT_GT(right, 0.0);
    EXPECT_LT(cross / std::sqrt(left * right), 0.5) << "left and right nearly the same signal";
}

// A movie with another beat moves every chapter after the movie section; the composer follows.
TEST(Composer, KeepsChaptersAlignedWhenTheMovieBeatChanges) {
    if (std::getenv("VELMORA_UNDER_QEMU"))
        GTEST_SKIP() << "qemu-user starts no program of another processor's (the composer) as a child";
    if (std::getenv("VELMORA_UNDER_WINE")) GTEST_SKIP() << "the composer is a tool of the Linux build alone";
    const std::string out = ::testing::TempDir() + "drift_588.mod";
    const std::string command = Zorvek::testing::assetDir() + "/tools/composer/composer " + out + " --movie-beat 588";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Module variant(readFile(out));
    ASSERT_NE(variant.get(), nullptr);
    const double shift = 32.0 * (588 - 490);
    std::vector<double> chapters(std::begin(CHAPTERS_MS), std::end(CHAPTERS_MS));
    for (double& c : chapters)
        if (c > 93800.0) c += shift;
    EXPECT_LE(worstChapterError(variant.orderStarts(), chapters), 10.0);
    EXPECT_GE(openmpt_module_get_duration_seconds(variant.get()), 289.0 + shift / 1000.0);
    std::remove(out.c_str());
}

}  // namespace
