// The offline renderer's arguments, frame times, WAV files, outputs, encoder and pass statistics.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <allegro.h>
#include <loadpng.h>

#include "capture/bench_plot.h"
#include "capture/encoder.h"
#include "capture/frame_sink.h"
#include "capture/options.h"
#include "capture/pass_stats.h"
#include "capture/provisional.h"
#include "capture/unique_files.h"
#include "capture/wav.h"
#include "runtime/data_dir.h"
#include "support/headless.h"

using namespace Zorvek::capture;

namespace {
bool parse(std::vector<std::string> args, Options& o, std::string& error) {
    args.insert(args.begin(), "velmora-capture");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    return parseOptions(static_cast<int>(argv.size()), argv.data(), o, error);
}
}  // namespace

TEST(CaptureOptions, DefaultToTheWholeShowAtSixtyFrames) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error));
    EXPECT_EQ(o.from, 0);
    EXPECT_EQ(o.to, 287000);
    EXPECT_EQ(o.fps, 60);
    EXPECT_EQ(o.frameCount(), 17220);
    EXPECT_EQ(o.frameTime(1), 16);
    EXPECT_EQ(o.frameTime(3), 50);
    EXPECT_EQ(o.frameTime(17219), 286983);
}

TEST(CaptureOptions, CountFramesUpToButNotIncludingTheEnd) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({"--from", "109000", "--to", "111000", "--fps", "30"}, o, error)) << error;
    EXPECT_EQ(o.frameCount(), 60);
    EXPECT_EQ(o.frameTime(0), 109000);
    EXPECT_EQ(o.frameTime(59), 110966);
    ASSERT_TRUE(parse({"--from", "0", "--to", "1001", "--fps", "1"}, o, error));
    EXPECT_EQ(o.frameCount(), 2);  // frames at 0 and 1000
}

TEST(CaptureOptions, RefuseBadArgumentsWithOneLineNamingTheProblem) {
    const std::vector<std::vector<std::string>> bad = {
        {"--fps", "0"},        {"--fps", "1001"},   {"--fps", "sixty"}, {"--from", "5000", "--to", "4000"},
        {"--to", "0"},         {"--bogus"},         {"--out"},          {"--from", "-5"},
        {"--scale", "0"},      {"--video", "sub/"}, {"--video", ".."},  {"--threads", "0"},
        {"--quality", "best"}, {"--quality"},       {"--plot"},
    };
    for (const auto& args : bad) {
        Options o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << args[0];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
    Options o;
    std::string error;
    parse({"--bogus"}, o, error);
    EXPECT_EQ(error, "unknown option --bogus");
    parse({"--fp", "30"}, o, error);  // a name is written whole
    EXPECT_EQ(error, "unknown option --fp");
    parse({"--fps"}, o, error);
    EXPECT_EQ(error, "--fps needs a number");
    parse({"--fps=0"}, o, error);
    EXPECT_EQ(error, "--fps: 0 is not a whole number from 1 to 1000");
}

TEST(CaptureOptions, AValueFollowsAsAWordOrAfterAnEqualsSignAndHelpAndVersionAreAsked) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({"--fps=30", "--out", "there", "--quality=small", "-h", "--version"}, o, error)) << error;
    EXPECT_EQ(o.fps, 30);
    EXPECT_EQ(o.out, "there");
    EXPECT_EQ(o.quality, Quality::Small);
    EXPECT_TRUE(o.help && o.version);
    EXPECT_EQ(version(), "velmora-capture 1.0.0");
    for (const char* option : {"--from MS", "--fps N", "--quality LEVEL", "--plot FILE.png", "-h, --help", "--version"})
        EXPECT_NE(usage().find(option), std::string::npos) << option;
}

TEST(CaptureOptions, AnEndPastTheShowIsBroughtBackAndAStartPastItRefused) {
    Options o;
    std::string note, error;
    ASSERT_TRUE(parse({"--from", "286000", "--to", "1073741823", "--fps", "1000"}, o, error));
    ASSERT_TRUE(fitToShow(o, 287000, note, error));
    EXPECT_EQ(o.to, 287000);
    EXPECT_EQ(o.frameCount(), 1000);
    EXPECT_NE(note.find("287000"), std::string::npos);

    ASSERT_TRUE(parse({"--from", "1000", "--to", "2000"}, o, error));
    ASSERT_TRUE(fitToShow(o, 287000, note, error));
    EXPECT_EQ(o.to, 2000);
    EXPECT_TRUE(note.empty());

    ASSERT_TRUE(parse({"--from", "287000", "--to", "300000"}, o, error));
    EXPECT_FALSE(fitToShow(o, 287000, note, error));
    EXPECT_NE(error.find("--from 287000"), std::string::npos);
}

TEST(PassStatistics, NearestRankMedianPercentileAndMaximum) {
    std::vector<double> ms;
    for (int i = 1; i <= 200; ++i) ms.push_back(i);
    PassTimes t = summarize(ms);
    EXPECT_EQ(t.count, 200);
    EXPECT_DOUBLE_EQ(t.median, 100);
    EXPECT_DOUBLE_EQ(t.p99, 198);
    EXPECT_DOUBLE_EQ(t.max, 200);
    EXPECT_EQ(summarize({}).count, 0);
}

TEST(PassStatistics, FirstPassesAreWeighedAgainstThePassAfterThem) {
    // Passes at 0..5 ms of music: 2 and 4 begin events; the last pass has none after it.
    const std::vector<int> times = {0, 1, 2, 3, 4, 5};
    const std::vector<double> ms = {1.0, 1.0, 3.5, 1.0, 1.5, 9.0};
    const std::vector<std::string> begins = {"", "", "Plasma", "", "Blur", "Edge"};
    int over = 0;
    const std::vector<FirstPass> firsts = costliestFirstPasses(times, ms, begins, 5, 1.0, over);
    EXPECT_EQ(over, 1);
    ASSERT_EQ(firsts.size(), 2u);
    EXPECT_EQ(firsts[0].time, 2);
    EXPECT_DOUBLE_EQ(firsts[0].extra, 2.5);
    EXPECT_EQ(firsts[0].events, "Plasma");
    EXPECT_EQ(firsts[1].time, 4);
    EXPECT_DOUBLE_EQ(firsts[1].extra, -7.5);
}

TEST(PassStatistics, KeepsTheSlowestMomentsSlowestFirst) {
    SlowestMoments slowest(3);
    const double times[] = {5, 1, 9, 3, 7, 2};
    for (int i = 0; i < 6; ++i) slowest.add({i * 100, times[i], "e"});
    ASSERT_EQ(slowest.list().size(), 3u);
    EXPECT_DOUBLE_EQ(slowest.list()[0].ms, 9);
    EXPECT_DOUBLE_EQ(slowest.list()[1].ms, 7);
    EXPECT_DOUBLE_EQ(slowest.list()[2].ms, 5);
    EXPECT_EQ(slowest.list()[0].time, 200);
    EXPECT_FALSE(slowest.qualifies(4));
    EXPECT_TRUE(slowest.qualifies(6));
}

TEST(Wav, WritesACanonicalHeaderAndEverySample) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::vector<std::int16_t> pcm = {0, 1, -1, 32767, -32768, 258};
    std::string error;
    ASSERT_TRUE(writeWav(fileno(file), pcm, 48000, error)) << error;
    std::vector<unsigned char> b(100);
    lseek(fileno(file), 0, SEEK_SET);
    b.resize(static_cast<std::size_t>(read(fileno(file), b.data(), static_cast<unsigned>(b.size()))));
    std::fclose(file);
    ASSERT_EQ(b.size(), 44u + 12u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(b[4], 36 + 12);  // everything after the RIFF size
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(b[22], 2);  // stereo
    EXPECT_EQ(b[24] | b[25] << 8 | b[26] << 16, 48000);
    EXPECT_EQ(b[34], 16);        // bits per sample
    EXPECT_EQ(b[40], 12);        // data bytes
    EXPECT_EQ(b[44 + 6], 0xFF);  // 32767, little-endian
    EXPECT_EQ(b[44 + 7], 0x7F);
    EXPECT_EQ(b[44 + 10], 0x02);  // 258
    EXPECT_EQ(b[44 + 11], 0x01);
}

TEST(Wav, SoundTooLargeForTheHeaderIsRefusedRatherThanWrapped) {
    unsigned char h[WAV_HEADER_BYTES];
    auto field = [&](int at) {
        return std::uint32_t(h[at]) | std::uint32_t(h[at + 1]) << 8 | std::uint32_t(h[at + 2]) << 16 |
               std::uint32_t(h[at + 3]) << 24;
    };
    const std::uint64_t largest = 0xFFFFFFFFull - 36;
    ASSERT_TRUE(wavHeader(largest, 48000, h));
    EXPECT_EQ(field(4), 0xFFFFFFFFu);
    EXPECT_EQ(field(40), largest);
    EXPECT_FALSE(wavHeader(largest + 4, 48000, h));
    EXPECT_FALSE(wavHeader(std::uint64_t{23000000} * 192, 48000, h));  // 4.4 GB: 23000 s
}

TEST(CaptureFolder, AFolderThatCannotBeWrittenIsRefused) {
    std::string error;
    EXPECT_FALSE(prepareFolder("/proc/velmora-capture", error));
    EXPECT_NE(error.find("/proc/velmora-capture"), std::string::npos);
    auto ok = std::filesystem::temp_directory_path() / "velmora-capture-folder";
    EXPECT_TRUE(prepareFolder(ok, error)) << error;
    std::filesystem::remove_all(ok);
}

TEST(CaptureOutputs, ProvisionalOutputsVanishUnlessCommittedAndNeverReplaceAFolderOfFiles) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("velmora-provisional-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "frames");
    std::ofstream(dir / "frames" / "mine.txt") << "keep";
    std::string error;
    {
        Provisional frames;
        ASSERT_TRUE(frames.createFolder(dir / "frames", error)) << error;
        std::ofstream(frames.path() / "frame_000000.png") << "x";
        EXPECT_FALSE(finalNameFree(dir / "frames", true, error));
        EXPECT_FALSE(frames.commit(dir / "frames", error));
    }
    // Dropped: only what was there before is left.
    std::vector<fs::path> left;
    for (const auto& e : fs::recursive_directory_iterator(dir)) left.push_back(e.path());
    ASSERT_EQ(left.size(), 2u);
    EXPECT_TRUE(fs::exists(dir / "frames" / "mine.txt"));

    fs::remove(dir / "frames" / "mine.txt");
    EXPECT_TRUE(finalNameFree(dir / "frames", true, error));
    EXPECT_FALSE(finalNameFree(dir / "frames", false, error));  // a folder where a file goes
    Provisional frames;
    ASSERT_TRUE(frames.createFolder(dir / "frames", error));
    ASSERT_TRUE(frames.commit(dir / "frames", error)) << error;
    EXPECT_TRUE(frames.path().empty());
    EXPECT_TRUE(fs::is_directory(dir / "frames"));
    fs::remove_all(dir);
}

// The stand-in for ffmpeg that the build makes beside the tests (tests/programs/), built for the
// tests' processor: under qemu-user, with no handler of the system's for arm64 programs, a child
// cannot run it.
std::string standIn() { return (Zorvek::programFolder() / "encoder_stand_in").string(); }
#define SKIP_UNDER_QEMU() \
    if (std::getenv("VELMORA_UNDER_QEMU")) GTEST_SKIP() << "qemu-user runs no arm64 child program here"

TEST(Encoder, AProgramThatStopsEarlyIsReportedWithItsReasonNotASignal) {
    SKIP_UNDER_QEMU();
    Encoder encoder;
    std::string error;
    ASSERT_TRUE(encoder.start({standIn(), "early"}, -1, error)) << error;
    std::vector<unsigned char> frame(1 << 20);
    bool written = true;
    for (int i = 0; i < 8 && written; ++i) written = encoder.write(frame.data(), frame.size(), error);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, standIn() + " stopped early: [out @ 0x1] Cannot write: No space left on device");
    EXPECT_FALSE(encoder.running());
}

TEST(Encoder, ReadsItsExtraInputAndFailsWhenItComplainsEvenWithStatusZero) {
    SKIP_UNDER_QEMU();
    int sound = anonymousFile("test-sound");
    ASSERT_GE(sound, 0);
    ASSERT_EQ(write(sound, "sound", 5), 5);
    lseek(sound, 0, SEEK_SET);
    std::string error;
    Encoder fine;
    ASSERT_TRUE(fine.start({standIn(), "extra", "sound"}, sound, error)) << error;
    EXPECT_TRUE(fine.write("frame", 5, error)) << error;
    EXPECT_TRUE(fine.finish(error)) << error;

    Encoder complaining;
    ASSERT_TRUE(complaining.start({standIn(), "complain"}, -1, error)) << error;
    EXPECT_FALSE(complaining.finish(error));
    EXPECT_EQ(error, standIn() + " failed: Error closing file x: File too large");

    close(sound);
    Encoder missing;
    EXPECT_FALSE(missing.start({"velmora-no-such-program"}, -1, error));
    EXPECT_NE(error.find("velmora-no-such-program"), std::string::npos);
}

TEST(Encoder, TheReasonIsTheLastMeaningfulLineWithNoControlCharacters) {
    EXPECT_EQ(failureReason("av_interleaved_write_frame(): File too large\n"
                            "    Last message repeated 4 times\n"
                            "Error writing trailer of x: File too large\r\n"
                            "Conversion failed!\n\n"),
              "Error writing trailer of x: File too large");
    EXPECT_EQ(failureReason("bad \x1b[2Jname\n"), "bad ?[2Jname");
    EXPECT_EQ(failureReason(""), "");
    EXPECT_EQ(failureReason(std::string(1000, 'x')).size(), 303u);
}

TEST(BenchPlot, ShowsEveryPassTheBudgetsAndTheSlowestMomentsOnAScaleThatHoldsThem) {
    Zorvek::testing::HeadlessDemo demo;  // the graphics library, for drawing
    BenchPlot plot;
    plot.title = "test";
    for (int i = 0; i < 600; ++i) {
        plot.times.push_back(i * 50);
        plot.ms.push_back(i == 400 ? 300.0 : 0.2 + (i % 7) * 0.1);
    }
    plot.chapters = {{"F1", 0}, {"F2", 15000}};
    plot.slowest = {{20000, 300.0, "Mandelbrot Fractal"}};
    const double top = plotTop(plot.ms);
    EXPECT_GE(top, 300.0 * 1.2);
    EXPECT_EQ(plotTop({0.3, 4.0}), 25.0);
    const std::string file =
        (std::filesystem::temp_directory_path() / ("velmora-plot-" + std::to_string(getpid()) + ".png")).string();
    std::string error;
    ASSERT_TRUE(writeBenchPlot(file, plot, error)) << error;
    BITMAP* picture = load_png(file.c_str(), nullptr);
    std::filesystem::remove(file);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->w, PLOT_WIDTH);
    EXPECT_EQ(picture->h, PLOT_HEIGHT);
    const auto rgb = [&](int x, int y) {
        const int c = getpixel(picture, x, y), depth = bitmap_color_depth(picture);
        return static_cast<unsigned>(getr_depth(depth, c) << 16 | getg_depth(depth, c) << 8 | getb_depth(depth, c));
    };
    // A pass away from every line is a dot of its own colour; the slowest is circled above the
    // 60 Hz line and not clamped to the top.
    EXPECT_EQ(rgb(plotColumn(150 * 50, 0, 599 * 50), plotRow(0.2 + (150 % 7) * 0.1, top)), 0x6CC4FFu);
    const int slowX = plotColumn(20000, 0, 599 * 50), slowY = plotRow(300.0, top);
    EXPECT_EQ(rgb(slowX + 4, slowY), 0xFFFFFFu);
    EXPECT_LT(slowY, plotRow(1000.0 / 60, top));
    EXPECT_GT(slowY, plotRow(top, top));
    // The budgets of 240, 144 and 60 Hz lie in that order from the bottom, each a line across.
    const int rows[] = {plotRow(1000.0 / 240, top), plotRow(1000.0 / 144, top), plotRow(1000.0 / 60, top)};
    EXPECT_GT(rows[0], rows[1]);
    EXPECT_GT(rows[1], rows[2]);
    EXPECT_EQ(rgb(PLOT_WIDTH / 3, rows[0]), 0xFFE066u);
    EXPECT_EQ(rgb(PLOT_WIDTH / 3, rows[2]), 0xFF6B6Bu);
    destroy_bitmap(picture);
}
