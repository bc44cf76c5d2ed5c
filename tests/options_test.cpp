#include "runtime/options.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

using namespace Zorvek;

namespace {

struct Parsed {
    bool ok;
    ViewerOptions options;
    std::string error;
};

Parsed parse(std::initializer_list<const char*> args) {
    std::vector<char*> argv{const_cast<char*>("velmora")};
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    Parsed p;
    p.ok = parseViewerOptions(static_cast<int>(argv.size()), argv.data(), p.options, p.error);
    return p;
}

}  // namespace

TEST(ViewerOptions, EveryOptionReachesWhatItControls) {
    Parsed p = parse({"--window", "--scale", "3", "--smooth", "--chapter", "F6", "--once", "--mute", "--stats",
                      "--threads", "2", "--audio-delay", "-150"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.screen.windowed, 1);
    EXPECT_EQ(p.options.screen.windowScale, 3);
    EXPECT_TRUE(p.options.screen.smooth);
    EXPECT_EQ(p.options.startKey, KEY_F6);
    EXPECT_TRUE(p.options.once && p.options.mute && p.options.stats);
    EXPECT_EQ(p.options.threads, 2);
    EXPECT_EQ(parse({"--refresh", "50"}).options.screen.refreshHz, 50);
    EXPECT_EQ(parse({"--refresh", "240"}).options.screen.refreshHz, 240);
    EXPECT_EQ(parse({"--seed", "4294967295"}).options.seed, 4294967295);
    EXPECT_EQ(p.options.audioDelayMs, -150);
    EXPECT_FALSE(p.options.help || p.options.version);

    Parsed none = parse({});
    EXPECT_EQ(none.options.screen.windowed, -1);  // the show's own choice: fullscreen
    EXPECT_EQ(none.options.startKey, 0);
    EXPECT_EQ(none.options.startMs, -1);
    EXPECT_EQ(parse({"--window", "--fullscreen"}).options.screen.windowed, 0);
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
    EXPECT_EQ(viewerVersion(), "velmora 1.0.0");
}

TEST(ViewerOptions, AValueFollowsAsAWordOfItsOwnOrAfterAnEqualsSign) {
    Parsed p = parse({"--scale=3", "--audio-delay=-40", "--chapter=F2", "--window"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.screen.windowScale, 3);
    EXPECT_EQ(p.options.audioDelayMs, -40);
    EXPECT_EQ(p.options.startKey, KEY_F2);
    EXPECT_EQ(p.options.screen.windowed, 1);
    // A value that itself starts with dashes is still the value.
    EXPECT_EQ(parse({"--audio-delay", "-40"}).options.audioDelayMs, -40);
}

TEST(ViewerOptions, TheLaterOfChapterAndFromSaysWhereToStart) {
    Parsed p = parse({"--chapter", "f12", "--from", "5000"});
    EXPECT_EQ(p.options.startKey, 0);
    EXPECT_EQ(p.options.startMs, 5000);
    p = parse({"--from", "0", "--chapter", "F1"});
    EXPECT_EQ(p.options.startKey, KEY_F1);
    EXPECT_EQ(p.options.startMs, -1);
}

TEST(ViewerOptions, AnUnknownOptionOrABadValueIsRefusedWithALineNamingIt) {
    const struct {
        std::initializer_list<const char*> args;
        const char* named;
    } bad[] = {
        {{"--frobnicate"}, "'--frobnicate'"},
        {{"F6"}, "'F6'"},
        {{"--scale"}, "--scale needs"},
        {{"--scale", "0"}, "--scale: '0'"},
        {{"--scale", "17"}, "--scale: '17'"},
        {{"--scale", "2x"}, "--scale: '2x'"},
        {{"--chapter", "F11"}, "--chapter: 'F11'"},
        {{"--chapter", "F13"}, "--chapter: 'F13'"},
        {{"--chapter", "6"}, "--chapter: '6'"},
        {{"--from", "-5"}, "--from: '-5'"},
        {{"--from", ""}, "--from: ''"},
        {{"--from", "1e3"}, "--from: '1e3'"},
        {{"--threads", "0"}, "--threads: '0'"},
        {{"--threads", "65"}, "--threads: '65'"},
        {{"--refresh", "49"}, "--refresh: '49'"},
        {{"--refresh", "241"}, "--refresh: '241'"},
        {{"--refresh", "60Hz"}, "--refresh: '60Hz'"},
        {{"--seed", "-1"}, "--seed: '-1'"},
        {{"--seed", "4294967296"}, "--seed: '4294967296'"},
        {{"--audio-delay", "2001"}, "--audio-delay: '2001'"},
        {{"--audio-delay", "40ms"}, "--audio-delay: '40ms'"},
        {{"--scale="}, "--scale: ''"},
        {{"--window=1"}, "'--window=1'"},
        {{"--sca", "3"}, "'--sca'"},  // a name is written whole
        {{"--f"}, "'--f'"},
        {{"-x"}, "'-x'"},
        {{"-hx"}, "'-hx'"},
        {{"--", "F6"}, "'F6'"},
        {{"--scale", "0", "--frobnicate"}, "--scale: '0'"},  // the first refusal is the one said
    };
    for (const auto& b : bad) {
        Parsed p = parse(b.args);
        EXPECT_FALSE(p.ok) << b.named;
        EXPECT_NE(p.error.find(b.named), std::string::npos) << p.error;
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
    }
}

TEST(ViewerOptions, TheUsageListsEveryOption) {
    const std::string usage = viewerUsage();
    for (const char* name :
         {"--window", "--fullscreen", "--scale N", "--smooth", "--chapter KEY", "--from MS", "--once", "--mute",
          "--audio-delay MS", "--stats", "--threads N", "--help", "--refresh HZ", "--seed N", "--version"})
        EXPECT_NE(usage.find(name), std::string::npos) << name;
}
