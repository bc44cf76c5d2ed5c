#include "resources/loader.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A datafile of three small pictures, packed with the library's own tool, as the show's is.
class TestDatafile {
public:
    TestDatafile() {
        char pattern[] = "/tmp/vlm-XXXXXX";
        dir = mkdtemp(pattern);
        struct Picture {
            const char* file;
            std::uint32_t colour;
        };
        for (Picture p : {Picture{"red.png", 0xFF0000}, Picture{"green.png", 0x00FF00},
                          Picture{"blue.png", 0x0000FF}}) {
            Bitmap b(p.colour, 8, 4);
            save_png((dir + "/" + p.file).c_str(), b, nullptr);
        }
        std::string pack = "cd " + dir + " && dat -a -t PNG t.dat red.png green.png blue.png >/dev/null";
        ok = std::system(pack.c_str()) == 0;
        path = dir + "/t.dat";
    }
    ~TestDatafile() { std::system(("rm -rf " + dir).c_str()); }
    bool ok = false;
    std::string dir, path;
};

struct LoaderTest : ::testing::Test {
    std::unique_ptr<HeadlessDemo> owned = std::make_unique<HeadlessDemo>();
    Loader& loader = owned->loader;
    TestDatafile data;

    void SetUp() override {
        ASSERT_TRUE(data.ok) << "could not pack a datafile with the library's dat tool";
        loader.datafile = data.path.c_str();
    }
    std::string objectPath(const char* object) const { return data.path + "#" + object; }
};

using LoaderImages = LoaderTest;
using LoaderEntries = LoaderTest;

}  // namespace

TEST_F(LoaderImages, AnImageLoadsAsAThirtyTwoBitBitmapOfItsPicture) {
    BITMAP* red = loader.loadImage("RED_PNG");
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(bitmap_color_depth(red), 32);
    EXPECT_EQ(red->w, 8);
    EXPECT_EQ(red->h, 4);
    EXPECT_EQ(pixel(red, 7, 3) & 0xFFFFFF, 0xFF0000u);
    ASSERT_EQ(loader.count, 1);
    EXPECT_EQ(loader.entries[0].name, objectPath("RED_PNG"));
    EXPECT_EQ(loader.entries[0].kind, 1);
    EXPECT_EQ(loader.entries[0].extra, 0);
    EXPECT_EQ(loader.entries[0].refCount, 1);
    loader.unloadImage(red);
}

TEST_F(LoaderImages, TheSameNameTwiceSharesOneBitmapUntilTheLastHolderLetsGo) {
    BITMAP* first = loader.loadImage("GREEN_PNG");
    BITMAP* second = loader.loadImage("GREEN_PNG");
    EXPECT_EQ(first, second);
    ASSERT_EQ(loader.count, 1);
    EXPECT_EQ(loader.entries[0].refCount, 2);
    loader.unloadImage(first);
    ASSERT_EQ(loader.count, 1);
    EXPECT_EQ(loader.entries[0].refCount, 1);
    EXPECT_EQ(pixel(second, 0, 0) & 0xFFFFFF, 0x00FF00u);  // still there for its other holder
    loader.unloadImage(second);
    EXPECT_EQ(loader.count, 0);
}

TEST_F(LoaderImages, ANameThatDiffersOnlyInCaseIsLoadedAgainAsItsOwnEntry) {
    BITMAP* upper = loader.loadImage("BLUE_PNG");
    BITMAP* lower = loader.loadImage("blue_png");
    EXPECT_NE(upper, lower);
    EXPECT_EQ(loader.count, 2);
    EXPECT_EQ(loader.entries[0].refCount, 1);
    EXPECT_EQ(loader.entries[1].refCount, 1);
    loader.unloadImage(lower);
    loader.unloadImage(upper);
}

TEST_F(LoaderImages, AMissingObjectEndsTheProgramNamingItsFullPath) {
    std::string expected = "^Could not load image " + data.path + "#NOPE_PNG\\.\n$";
    EXPECT_EXIT(loader.loadImage("NOPE_PNG"), ::testing::ExitedWithCode(STATUS_MISUSE), expected);
}

TEST_F(LoaderImages, APathTooLongForAnEntryEndsTheProgramInsteadOfOverrunningIt) {
    // 63 characters fit the entry with its terminator; one more does not.
    std::string fits(63 - data.path.size() - 1, 'X');
    std::string tooLong = fits + "Y";
    EXPECT_EXIT(loader.loadImage(fits.c_str()), ::testing::ExitedWithCode(STATUS_MISUSE),
                "^Could not load image .*#X+\\.\n$");  // a missing object, but a whole path
    EXPECT_EXIT(loader.loadImage(tooLong.c_str()), ::testing::ExitedWithCode(STATUS_MISUSE),
                "^Could not load image " + data.path + "#" + tooLong + "\\.\n$");
    std::string huge(400, 'Z');
    EXPECT_EXIT(loader.loadImage(huge.c_str()), ::testing::ExitedWithCode(STATUS_MISUSE),
                "^Could not load image " + data.path + "#ZZZZ");
}

TEST_F(LoaderImages, ReleasingAnImageTheCacheDoesNotHoldEndsTheProgram) {
    Bitmap stranger(0);
    EXPECT_EXIT(loader.unloadImage(stranger), ::testing::ExitedWithCode(STATUS_CAPACITY),
                "^Removing something from the loader cache that's not there\\.\n$");
}

TEST_F(LoaderEntries, RemovingFromTheMiddleMovesTheLastEntryIntoItsPlace) {
    BITMAP* red = loader.loadImage("RED_PNG");
    BITMAP* green = loader.loadImage("GREEN_PNG");
    BITMAP* blue = loader.loadImage("BLUE_PNG");
    loader.loadImage("BLUE_PNG");
    loader.unloadImage(green);
    ASSERT_EQ(loader.count, 2);
    EXPECT_EQ(loader.entries[1].data, blue);
    EXPECT_EQ(loader.entries[1].name, objectPath("BLUE_PNG"));
    EXPECT_EQ(loader.entries[1].refCount, 2);
    EXPECT_EQ(loader.loadImage("BLUE_PNG"), blue);
    EXPECT_EQ(loader.entries[1].refCount, 3);
    EXPECT_EQ(loader.loadImage("RED_PNG"), red);
    for (int i = 0; i < 3; ++i) loader.unloadImage(blue);
    loader.unloadImage(red);
    loader.unloadImage(red);
    EXPECT_EQ(loader.count, 0);
}

TEST_F(LoaderEntries, OtherKindsOfObjectAreCachedByPathWithTheirExtraValue) {
    int table[4] = {};
    loader.insert("tables#SINE", table, 256, 2);
    EXPECT_EQ(loader.find("tables#SINE"), table);
    EXPECT_EQ(loader.find("tables#sine"), nullptr);
    ASSERT_EQ(loader.count, 1);
    EXPECT_EQ(loader.entries[0].refCount, 2);
    EXPECT_EQ(loader.entries[0].extra, 256);
    EXPECT_EQ(loader.entries[0].kind, 2);
    EXPECT_FALSE(loader.release(table));
    EXPECT_TRUE(loader.release(table));  // the caller disposes of it now
    EXPECT_EQ(loader.count, 0);
}

TEST_F(LoaderEntries, AFullCacheEndsTheProgramWithTheCapacityCode) {
    static char objects[Loader::MAX_CACHESIZE + 1];
    for (int i = 0; i < Loader::MAX_CACHESIZE; ++i) loader.insert("x#Y", &objects[i], 0, 2);
    EXPECT_EXIT(loader.insert("x#Z", &objects[Loader::MAX_CACHESIZE], 0, 2),
                ::testing::ExitedWithCode(STATUS_CAPACITY),
                "^Loeader cache is full\\. Load less, unload more or increase MAX_CACHESIZE\n$");
    for (int i = Loader::MAX_CACHESIZE - 1; i >= 0; --i) loader.release(&objects[i]);
    EXPECT_EQ(loader.count, 0);
}
