// The music player: the show's clock and spectrum, and how it ends the program when the sound
// cannot be had.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>

#include "music/music.h"
#include "runtime/run_demo.h"
#include "platform/sound/sound_layer.h"
#include "support/headless.h"
#include "support/show_module.h"
#include "support/tracker_module.h"

using namespace Zorvek;
using namespace Zorvek::testing;

// Counts the allocations each thread makes, to hold the per-pass calls to none.
namespace {
thread_local long allocations = 0;
}
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// Out of line, so that the compiler does not pair the library's new with this free.
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Band 8 of the spectrum (750 Hz) holds a 32-byte sine cycle played at period 148.
constexpr int TONE_PERIOD = 148;
constexpr int TONE_BAND = 8;

class MusicPlayer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The sound system's device thread must not be running when a death test forks.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    void TearDown() override {
        sound::setOffline(false);
        sound::setReportedVersion(0);
        for (const std::string& f : files) std::remove(f.c_str());
    }
    const char* file(const char* name, const std::vector<std::uint8_t>& bytes) {
        files.push_back(temporaryFile(name, bytes));
        return files.back().c_str();
    }
    std::vector<std::string> files;
};

// Without a display the library's message box prints to standard output; death tests read
// standard error.
void messagesToStandardError() { dup2(STDERR_FILENO, STDOUT_FILENO); }

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

TEST_F(MusicPlayer, ALibraryOlderThan4_28_09IsRefusedWithExitCodeMinus4) {
    EXPECT_EXIT(
        {
            messagesToStandardError();
            sound::setReportedVersion(0x42808);
            Music music;
        },
        ::testing::ExitedWithCode(STATUS_SOUND), "Could not create sound system: incorrect version");
}

TEST_F(MusicPlayer, Version4_28_09IsAccepted) {
    sound::setReportedVersion(0x42809);
    Music music;
    music.musicFile = file("accepted.mod", toneModule(1).bytes());
    music.play();
    EXPECT_EQ(music.length(), 7680);
    music.stopMusic();
}

TEST_F(MusicPlayer, StoppedMusicHasNoLengthOrPositionAndASecondStopDoesNothing) {
    Music music;
    music.musicFile = file("stopped.mod", toneModule(1).bytes());
    music.play();
    music.stopMusic();
    EXPECT_EQ(music.length(), 0);
    EXPECT_EQ(music.position(), 0);
    music.stopMusic();
    // And it plays again from the start when asked.
    music.play();
    EXPECT_EQ(music.length(), 7680);
    music.stopMusic();
}

TEST_F(MusicPlayer, AMissingEmptyTruncatedOrGarbageModuleEndsTheShowAsItsLoopStarts) {
    std::vector<std::uint8_t> whole = busyModule(2).bytes();
    const char* files[] = {
        "/nonexistent/drift.mod",
        file("empty.mod", {}),
        file("truncated.mod", {whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2)}),
        file("garbage.mod", noise(5000)),
    };
    for (const char* f : files) {
        EXPECT_EXIT(
            {
                messagesToStandardError();
                HeadlessDemo demo;
                demo.music.musicFile = f;
                runDemo(demo);
            },
            ::testing::ExitedWithCode(STATUS_SOUND), "Failed loading music stream.")
            << f;
    }
}

TEST_F(MusicPlayer, TheProgramCanExitWhileTheModuleIsStillBeingDecoded) {
    const char* long_ = file("long.mod", busyModule(60).bytes());  // 7.7 minutes
    EXPECT_EXIT(
        {
            Music music;
            music.musicFile = long_;
            music.play();
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(MusicPlayer, TheClockRunsInRealTimeAndASeekMovesIt) {
    HeadlessDemo demo;
    demo.music.musicFile = file("clock.mod", busyModule(4).bytes());
    demo.music.play();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // until the first frame is heard
    auto t0 = std::chrono::steady_clock::now();
    int p0 = demo.music.position();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_NEAR(demo.music.position() - p0, msSince(t0), 3.0);

    auto t1 = std::chrono::steady_clock::now();
    demo.music.setPosition(15000);
    int at = demo.music.position();
    EXPECT_GE(at, 15000);
    EXPECT_LE(at, 15001 + static_cast<int>(msSince(t1)));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_NEAR(demo.music.position(), 15000 + msSince(t1), 3.0);

    // A time before the start is the start.
    demo.music.setPosition(-500);
    EXPECT_LT(demo.music.position(), 5);
    demo.music.stopMusic();
}

TEST_F(MusicPlayer, TheSpectrumFillsExactly512ValuesWithTheRightChannelFrom256) {
    sound::setOffline(true);
    HeadlessDemo demo;
    // Module channel 1 is heard on the right.
    demo.music.musicFile = file("right.mod", toneModule(1, 1, TONE_PERIOD).bytes());
    demo.music.play();
    demo.music.setPosition(1000);
    float out[513];
    std::fill(std::begin(out), std::end(out), -1.0f);
    EXPECT_EQ(demo.music.getSpectrum(out), out);
    EXPECT_EQ(out[512], -1.0f);
    int leftPeak = static_cast<int>(std::max_element(out, out + 256) - out);
    int rightPeak = static_cast<int>(std::max_element(out + 256, out + 512) - out);
    EXPECT_EQ(rightPeak, 256 + TONE_BAND);
    EXPECT_EQ(leftPeak, TONE_BAND);
    EXPECT_GT(out[rightPeak], 2 * out[leftPeak]);
    for (int i = 0; i < 512; ++i) EXPECT_GE(out[i], 0.0f);
    demo.music.stopMusic();
}

TEST_F(MusicPlayer, TheSpectrumOfTheSilenceBeforeTheFirstNoteIsZero) {
    sound::setOffline(true);
    TrackerModule late = toneModule(2, 0, TONE_PERIOD);
    late.cell(0, 0, 0) = {};
    late.cell(0, 32, 0) = {TONE_PERIOD, 1, 0, 0};  // the note comes at 3.84 s
    HeadlessDemo demo;
    demo.music.musicFile = file("late.mod", late.bytes());
    demo.music.play();
    demo.music.setPosition(3000);
    demo.music.getSpectrum(demo.music.spectrum);
    for (float v : demo.music.spectrum) ASSERT_EQ(v, 0.0f);
    demo.music.setPosition(4500);
    demo.music.getSpectrum(demo.music.spectrum);
    EXPECT_GT(demo.music.spectrum[TONE_BAND], 0.1f);
    demo.music.stopMusic();
}

TEST_F(MusicPlayer, ThePerPassCallsAllocateNothing) {
    HeadlessDemo demo;
    demo.music.musicFile = file("passes.mod", busyModule(2).bytes());
    demo.music.play();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    long before = allocations;
    int sum = 0;
    for (int pass = 0; pass < 300; ++pass) {
        sum += demo.music.position();
        demo.music.update();
        demo.music.getSpectrum(demo.music.spectrum);
        if (pass % 3 == 0) demo.music.setPosition(pass * 37);
    }
    EXPECT_EQ(allocations, before);
    EXPECT_GT(sum, 0);
    demo.music.stopMusic();
}

TEST_F(MusicPlayer, TheShowsModuleLastsTheShowAndIsHeardThroughout) {
    std::string show = showModulePath();
    if (show.empty()) GTEST_SKIP() << "this build has composed no drift.mod";
    sound::setOffline(true);
    HeadlessDemo demo;
    demo.music.musicFile = show.c_str();
    demo.music.play();
    EXPECT_GE(demo.music.length(), 287000);
    for (int at = 10000; at < 287000; at += 20000) {
        demo.music.setPosition(at);
        demo.music.getSpectrum(demo.music.spectrum);
        float loudest = *std::max_element(std::begin(demo.music.spectrum), std::end(demo.music.spectrum));
        EXPECT_GT(loudest, 0.001f) << "silence at " << at << " ms";
    }
    demo.music.stopMusic();
}
