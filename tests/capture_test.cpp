// The offline renderer's arguments, frame times, WAV files and pass statistics.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capture/frame_sink.h"
#include "capture/options.h"
#include "capture/pass_stats.h"
#include "capture/wav.h"

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
        {"--fps", "0"},       {"--fps", "1001"},  {"--fps", "sixty"}, {"--from", "5000", "--to", "4000"},
        {"--to", "0"},        {"--bogus"},        {"--out"},          {"--from", "-5"},
        {"--scale", "0"},     {"--threads", "0"},
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
    auto path = std::filesystem::temp_directory_path() / "velmora-capture-test.wav";
    std::vector<std::int16_t> pcm = {0, 1, -1, 32767, -32768, 258};
    ASSERT_TRUE(writeWav(path.string(), pcm, 48000));
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(b.size(), 44u + 12u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(b[22], 2);                        // stereo
    EXPECT_EQ(b[24] | b[25] << 8 | b[26] << 16, 48000);
    EXPECT_EQ(b[34], 16);                       // bits per sample
    EXPECT_EQ(b[40], 12);                       // data bytes
    EXPECT_EQ(b[44 + 6], 0xFF);                 // 32767, little-endian
    EXPECT_EQ(b[44 + 7], 0x7F);
    EXPECT_EQ(b[44 + 10], 0x02);                // 258
    EXPECT_EQ(b[44 + 11], 0x01);
    std::filesystem::remove(path);
}

TEST(CaptureFolder, AFolderThatCannotBeWrittenIsRefused) {
    std::string error;
    EXPECT_FALSE(prepareFolder("/proc/velmora-capture", error));
    EXPECT_NE(error.find("/proc/velmora-capture"), std::string::npos);
    auto ok = std::filesystem::temp_directory_path() / "velmora-capture-folder";
    EXPECT_TRUE(prepareFolder(ok, error)) << error;
    std::filesystem::remove_all(ok);
}
