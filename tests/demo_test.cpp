#include "demo/demo.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "effects/effect.h"
#include "runtime/controls.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

TEST(Demo, AfterConstructionOnlyScancodeZeroHasAJump) {
    Demo::setKeyJump(KEY_F5, 1234);
    auto demo = std::make_unique<HeadlessDemo>();
    EXPECT_EQ(keyJump[0].load(), 0);
    for (int i = 1; i < 256; ++i) EXPECT_EQ(keyJump[i].load(), -1) << "scancode " << i;
    Demo::setKeyJump(KEY_F5, 1234);
    EXPECT_EQ(keyJump[KEY_F5].load(), 1234);
}

TEST(Demo, StartsWithAnEmptyCacheScheduleAndFrameStack) {
    auto demo = std::make_unique<HeadlessDemo>();
    EXPECT_EQ(demo->loader.count, 0);
    EXPECT_EQ(demo->timeline.count, 0);
    EXPECT_EQ(demo->timeline.cursor, 0);
    EXPECT_EQ(demo->frameCount, 1);
    EXPECT_EQ(demo->frames[0], nullptr);
}

TEST(Demo, DestroyingItReleasesTheFramesBeforeTheLibraryGoes) {
    // Bitmaps destroyed after the library has shut down would take the process down with them.
    auto build = [] {
        {
            auto demo = std::make_unique<HeadlessDemo>();
            ProtectedFrameEffect holder;
            holder.init(demo.get());
            holder.start();  // a frame still lent out when the demo goes
        }
        std::exit(0);
    };
    EXPECT_EXIT(build(), ::testing::ExitedWithCode(0), "");
}

TEST(Demo, ASecondDemoCanBeBuiltAfterTheFirstIsGone) {
    { auto first = std::make_unique<HeadlessDemo>(); }
    auto second = std::make_unique<HeadlessDemo>();
    EXPECT_NE(second->display.scratch[13], nullptr);
    EXPECT_EQ(second->display.borrowScratch(), second->display.scratch[0]);
}
