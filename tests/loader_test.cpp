#include "resources/loader.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/headless.h"
#include "support/images.h"
#include "support/png_bytes.h"

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
        for (Picture p :
             {Picture{"red.png", 0xFF0000}, Picture{"green.png", 0x00FF00}, Picture{"blue.png", 0x0000FF}}) {
            Bitmap b(p.colour, 8, 4);
            save_png((dir + "/" + p.file).c_str(), b, nullptr);
        }
        std::string pack = "cd " + dir + " && dat -a -t PNG t.dat red.png green.png blue.png >/dev/null";
        ok = std::system(pack.c_str()) == 0;
        path = dir + "/t.dat";
    }
    ~TestDatafile() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
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
    EXPECT_EXIT(loader.insert("x#Z", &objects[Loader::MAX_CACHESIZE], 0, 2), ::testing::ExitedWithCode(STATUS_CAPACITY),
                "^Loeader cache is full\\. Load less, unload more or increase MAX_CACHESIZE\n$");
    for (int i = Loader::MAX_CACHESIZE - 1; i >= 0; --i) loader.release(&objects[i]);
    EXPECT_EQ(loader.count, 0);
}

namespace {

// Datafiles and other files written byte by byte: whole, damaged, or no files at all.
struct LoaderFiles : ::testing::Test {
    std::unique_ptr<HeadlessDemo> owned = std::make_unique<HeadlessDemo>();
    Loader& loader = owned->loader;
    std::string dir;

    LoaderFiles() {
        char pattern[] = "/tmp/vlm-XXXXXX";
        dir = mkdtemp(pattern);
    }
    ~LoaderFiles() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Writes `bytes` as the datafile and makes it the loader's.
    const char* use(const std::string& name, const Bytes& bytes) {
        files.push_back(dir + "/" + name);
        if (!bytes.empty() || name.find(".dat") != std::string::npos) writeBytes(files.back(), bytes);
        loader.datafile = files.back().c_str();
        return loader.datafile;
    }
    void expectRefused(const char* object) {
        std::string expected = "^Could not load image " + std::string(loader.datafile) + "#" + object + "\\.\n$";
        EXPECT_EXIT(loader.loadImage(object), ::testing::ExitedWithCode(STATUS_MISUSE), expected) << object;
    }
    void expectLoads(const char* object) {
        BITMAP* image = loader.loadImage(object);
        ASSERT_NE(image, nullptr) << object;
        loader.unloadImage(image);
    }
    std::vector<std::string> files;
};

// Three small pictures named A, B, C.
Bytes threePictures() { return datafileOf({{"A", plainPng(4, 4)}, {"B", plainPng(4, 4)}, {"C", plainPng(4, 4)}}); }

}  // namespace

TEST_F(LoaderFiles, AnythingButARegularFileIsRefusedAtOnceAsAMissingOneIs) {
    use("missing.dat", {});
    std::remove(loader.datafile);
    expectRefused("A");
    loader.datafile = "/tmp";
    expectRefused("A");
    loader.datafile = "/dev/zero";
    expectRefused("A");
    std::string fifo = dir + "/fifo.dat", loop = dir + "/loop.dat";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // nobody ever writes to it
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    loader.datafile = fifo.c_str();
    expectRefused("A");
    loader.datafile = loop.c_str();
    expectRefused("A");
}

TEST_F(LoaderFiles, AFileThatIsNoDatafileEndsTheProgramNamingIt) {
    const char* path = use("text.dat", Bytes(100, 'x'));
    EXPECT_EXIT(loader.loadImage("A"), ::testing::ExitedWithCode(STATUS_MISUSE),
                "^" + std::string(path) + " is not a datafile\\.\n$");
}

TEST_F(LoaderFiles, APackedDatafileLoadsAsItsPlainFormAndOneThatDoesNotUnpackToADatafileIsRefused) {
    const Bytes plain = threePictures();
    const Bytes packed = packedWhole(plain);
    ASSERT_LT(packed.size(), plain.size());
    use("packed.dat", packed);
    for (const char* name : {"A", "B", "C"}) expectLoads(name);
    // Cut short, it unpacks to a datafile cut short: the pictures before the cut stay usable.
    use("cut.dat", Bytes(packed.begin(), packed.end() - 8));
    expectLoads("A");
    expectRefused("C");
    // A plain datafile that claims to be packed unpacks to nothing like one.
    Bytes claimed = plain;
    claimed[3] = '!';
    const char* path = use("claimed.dat", claimed);
    EXPECT_EXIT(loader.loadImage("A"), ::testing::ExitedWithCode(STATUS_MISUSE),
                "^" + std::string(path) + " is a packed datafile that does not unpack to one\\.\n$");
    // Eight codes of 18 repeated bytes in every 17 bytes: 7.6 MB that would unpack to 65 MB.
    Bytes bomb = {'s', 'l', 'h', '!'};
    const std::size_t groups = (std::size_t(65) << 20) / (8 * 18);
    bomb.reserve(4 + groups * 17);
    for (std::size_t g = 0; g < groups; ++g) {
        bomb.push_back(0x00);  // eight back references follow
        for (int k = 0; k < 8; ++k) {
            bomb.push_back(0x00);
            bomb.push_back(0x0F);  // 18 bytes from the ring buffer
        }
    }
    path = use("bomb.dat", bomb);
    EXPECT_EXIT(loader.loadImage("A"), ::testing::ExitedWithCode(STATUS_MISUSE),
                "^" + std::string(path) + " is a packed datafile that unpacks to more than 64 MB\\.\n$");
}

TEST_F(LoaderFiles, ObjectsAreCheckedAgainstWhatIsLeftOfTheFileAndTheOnesBeforeADamageStayUsable) {
    const Bytes whole = threePictures();
    const std::size_t objectB = 12 + (12 + 1 + 12 + plainPng(4, 4).size());  // B's property
    struct Damage {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    for (Damage d : {Damage{"B's name longer than the file", objectB + 8, 0x7FFFFFFF},
                     Damage{"B's size larger than the file", objectB + 12 + 1 + 4, 0x7FFFFFFF},
                     Damage{"B's size one byte too large", objectB + 12 + 1 + 4,
                            static_cast<std::uint32_t>(plainPng(4, 4).size() + 1)}}) {
        SCOPED_TRACE(d.what);
        Bytes damaged = whole;
        putBigEndian(damaged, d.at, d.value);
        use("damaged.dat", damaged);
        expectLoads("A");
        expectRefused("B");
        expectRefused("C");
    }
    use("cut.dat", Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(objectB + 40)));
    expectLoads("A");
    expectRefused("B");
    // A count larger than the objects there: the objects there are whole and stay usable.
    Bytes counted = whole;
    putBigEndian(counted, 8, 0x7FFFFFFF);
    use("counted.dat", counted);
    expectLoads("C");
}

TEST_F(LoaderFiles, PicturesAreCheckedBeforeAnyDecoderSeesThem) {
    Bytes huge = plainPng(1, 1), wide = plainPng(1, 1), badType = plainPng(4, 4), badDepth = plainPng(4, 4),
          flipped = plainPng(4, 4), unended = plainPng(4, 4), unpainted = plainPng(4, 4, 3, 8);
    setPngHeader(huge, 65536, 65536, 8, 6);  // 16 GB of pixels claimed by a 1 x 1 picture
    setPngHeader(wide, 4097, 1, 8, 2);
    setPngHeader(badType, 4, 4, 8, 5);
    setPngHeader(badDepth, 4, 4, 4, 2);
    flipped[pngChunks(flipped)[1].at + 9] ^= 0x10;  // inside the picture data
    unended.resize(unended.size() - 12);
    ChunkAt palette = pngChunks(unpainted)[1];
    unpainted.erase(unpainted.begin() + static_cast<std::ptrdiff_t>(palette.at),
                    unpainted.begin() + static_cast<std::ptrdiff_t>(palette.at + 12 + palette.length));
    use("pictures.dat", datafileOf({{"HUGE", huge},
                                    {"WIDE", wide},
                                    {"BADTYPE", badType},
                                    {"BADDEPTH", badDepth},
                                    {"FLIPPED", flipped},
                                    {"UNENDED", unended},
                                    {"UNPAINTED", unpainted},
                                    {"EDGE", plainPng(4096, 4096, 6, 16)},
                                    {"GREY2", plainPng(3, 5, 0, 2)},
                                    {"INTERLACED", plainPng(13, 7, 6, 8, 0x42, true)},
                                    // Picture data with right checksums that a decoder would
                                    // give up on halfway, or warn about.
                                    {"BADFILTER", withPictureData(plainPng(4, 4), [](Bytes& raw) { raw[13] = 5; })},
                                    {"SHORT", withPictureData(plainPng(4, 4), [](Bytes& raw) { raw.pop_back(); })},
                                    {"LONG", withPictureData(plainPng(4, 4), [](Bytes& raw) { raw.push_back(0); })}}));
    for (const char* refused :
         {"HUGE", "WIDE", "BADTYPE", "BADDEPTH", "FLIPPED", "UNENDED", "UNPAINTED", "BADFILTER", "SHORT", "LONG"})
        expectRefused(refused);
    BITMAP* interlaced = loader.loadImage("INTERLACED");
    EXPECT_EQ(interlaced->w, 13);
    EXPECT_EQ(pixel(interlaced, 12, 6), 0x42424242u);
    loader.unloadImage(interlaced);
    BITMAP* edge = loader.loadImage("EDGE");
    EXPECT_EQ(edge->w, 4096);
    EXPECT_EQ(edge->h, 4096);
    loader.unloadImage(edge);
    expectLoads("GREY2");
}

// The damaged pictures above are only as good as what damages them: picture data of any size is
// changed whole, and data that is no zlib stream makes no fixture at all.
TEST(PngFixtures, PictureDataIsChangedWholeAtAnySizeAndBrokenDataIsRefused) {
    std::size_t seen = 0;
    Bytes same = withPictureData(plainPng(4096, 4096), [&](Bytes& raw) { seen = raw.size(); });
    EXPECT_EQ(seen, std::size_t{4096} * (1 + 4096 * 3));  // 48 MiB
    ChunkAt data = pngChunks(same)[1];
    EXPECT_EQ(inflated(same.data() + data.at + 8, data.length).size(), seen);
    Bytes broken = plainPng(4, 4);
    broken[pngChunks(broken)[1].at + 9] ^= 0x10;
    EXPECT_THROW(withPictureData(broken, [](Bytes&) {}), std::runtime_error);
}

// What the loader leaves out of a picture before decoding it changes no pixel: text (whose
// compressed forms can each inflate to megabytes), chunks the decoder does not use, and chunks it
// would ignore; what it keeps (gamma, transparency) is honoured as the PNG add-on honours it.
TEST_F(LoaderFiles, APictureLoadsWithoutItsTextAndUnusedChunksAsThePngAddOnWouldLoadIt) {
    Bytes bomb;
    for (char c : std::string("Comment")) bomb.push_back(static_cast<std::uint8_t>(c));
    bomb.insert(bomb.end(), {0, 0});  // keyword end, deflate
    Bytes text(7 << 20, 'A');
    uLongf packed = compressBound(text.size());
    Bytes deflated(packed);
    compress2(deflated.data(), &packed, text.data(), text.size(), 9);
    bomb.insert(bomb.end(), deflated.begin(), deflated.begin() + static_cast<std::ptrdiff_t>(packed));
    Bytes picture = plainPng(40, 30, 2, 8, 0x35);
    for (int i = 0; i < 40; ++i) insertBeforeImage(picture, pngChunk("zTXt", bomb));
    insertBeforeImage(picture, pngChunk("tEXt", {'T', 'i', 't', 'l', 'e', 0, 'x'}));
    insertBeforeImage(picture, pngChunk("gAMA", {0, 1, 0x86, 0xA0}));  // 1.0: brightens
    insertBeforeImage(picture, pngChunk("gAMA", {0, 0, 0x27, 0x10}));  // a second one: ignored
    insertBeforeImage(picture, pngChunk("cHRM", Bytes(32, 1)));
    insertBeforeImage(picture, pngChunk("bKGD", {0, 0xFF, 0, 0, 0, 0}));
    insertBeforeImage(picture, pngChunk("pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}));
    insertBeforeImage(picture, pngChunk("tRNS", {0, 0x35, 0, 0x35, 0, 0x36}));
    Bytes end = pngChunk("tEXt", {'E', 0, 'x'});
    picture.insert(picture.end() - 12, end.begin(), end.end());
    use("text.dat", datafileOf({{"TEXT", picture}}));
    writeBytes(dir + "/text.png", picture);
    // Loads in a child of its own, so that its peak memory is its own.
    auto loadAndMeasure = [&] {
        struct rusage before, after;
        getrusage(RUSAGE_SELF, &before);
        BITMAP* image = loader.loadImage("TEXT");
        getrusage(RUSAGE_SELF, &after);
        BITMAP* reference = load_png((dir + "/text.png").c_str(), nullptr);
        bool same = image && reference && sameImage(image, reference) && pixel(image, 39, 29) != 0x353535;
        long grownKb = after.ru_maxrss - before.ru_maxrss;  // 280 MB when the text is inflated
        std::exit(same && grownKb < 32 * 1024 ? 0 : 1);
    };
    EXPECT_EXIT(loadAndMeasure(), ::testing::ExitedWithCode(0), "");
}
