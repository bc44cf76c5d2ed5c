// The show's cuts against its music, measured as velmora-review measures them: the schedule
// from the show's own script, the notes as libopenmpt plays the module.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "module_rows.h"
#include "schedule.h"
#include "support/show_module.h"

using namespace review;

namespace {

class ShowSync : public ::testing::Test {
protected:
    void SetUp() override {
        if (Zorvek::testing::showModulePath().empty()) GTEST_SKIP() << "this build has composed no drift.mod";
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(Zorvek::testing::assetDir());
        schedule = readSchedule();
        std::string error;
        const bool read = readModuleTiming("drift.mod", module, error);
        std::filesystem::current_path(previous);
        ASSERT_TRUE(read) << error;
        ASSERT_FALSE(schedule.chapters.empty());
    }
    Schedule schedule;
    ModuleTiming module;
};

// The finale cuts on its beat: its pictures change where a kick or a snare strikes, and each
// burst of noise of the flash run sounds with its noise frame.
TEST_F(ShowSync, TheFinaleCutsOnItsDrumsAndItsNoiseFramesOnTheirNoise) {
    const Chapter& finale = schedule.chapters.back();
    std::vector<double> drums, noise;
    for (const NoteStart& n : module.notes) {
        if (isBeatDrum(n.sample)) drums.push_back(n.ms);
        if (n.sample.find("noise") != std::string::npos) noise.push_back(n.ms);
    }
    std::vector<int> noiseFrames;
    int endScreen = finale.end;  // the closing picture, under which the music fades
    for (const ScheduledEvent& e : schedule.events) {
        if (e.start < finale.start) continue;
        if (e.effect == "Noise" && e.end - e.start + 1 <= 100) noiseFrames.push_back(e.start);
        if (e.end + 1 == schedule.end) endScreen = std::min(endScreen, e.start);
    }
    ASSERT_EQ(noiseFrames.size(), 8u) << "the flash run";
    int cuts = 0, onDrums = 0;
    for (int cut : schedule.cutsIn(finale.start, endScreen)) {
        if (std::find(noiseFrames.begin(), noiseFrames.end(), cut) != noiseFrames.end()) continue;
        ++cuts;
        if (nearest(drums, cut) <= 10) ++onDrums;
        else
            ADD_FAILURE() << "no kick or snare within 10 ms of the cut at " << cut << " ms (nearest "
                          << nearestOffset(drums, cut) << " ms away)";
    }
    EXPECT_GE(cuts, 30);
    EXPECT_GE(onDrums * 10, cuts * 9) << onDrums << " of " << cuts << " cuts on a drum";
    for (int frame : noiseFrames)
        EXPECT_LE(nearest(noise, frame), 5.0)
            << "the noise frame at " << frame << " ms; its noise " << nearestOffset(noise, frame) << " ms away";
}

}  // namespace
