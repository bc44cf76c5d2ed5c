// The show's times after the movie section follow the first movie's length; the script warns when
// they no longer meet the music.
#include <gtest/gtest.h>
#include <allegro.h>
#include <loadpng.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "runtime/controls.h"
#include "show/velmora.h"
#include "support/headless.h"
#include "support/show_module.h"

using namespace Zorvek;
using namespace Zorvek::testing;
namespace fs = std::filesystem;

namespace {
// A folder of the test's own, worked in while it lives: however the test ends, the process goes
// back where it was and the folder goes.
class ScratchFolder {
public:
    explicit ScratchFolder(fs::path where) : path(std::move(where)) {
        fs::create_directories(path);
        fs::current_path(path);
    }
    ~ScratchFolder() {
        fs::current_path(previous);
        fs::remove_all(path);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    fs::path previous = fs::current_path();
    fs::path path;
};
}  // namespace

TEST(ShowKeypoints, ALongerFirstMovieMovesTheLaterChaptersAndWarnsTwice) {
    if (std::getenv("VELMORA_UNDER_WINE")) GTEST_SKIP() << "the graphics library's dat tool is the Linux build's";
    const fs::path assets = fs::absolute(assetDir());
    ScratchFolder work(fs::temp_directory_path() / ("velmora-keypoints-" + std::to_string(::getpid())));
    fs::copy_file(assets / "oldskool.dat", "oldskool.dat", fs::copy_options::overwrite_existing);

    // A GOGO1 strip of twelve movie frames instead of ten: period 1176, H = 588.
    ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, std::atexit), 0);
    {
        Bitmap strip(Bitmap::Adopt{}, create_bitmap_ex(24, 80, 720));
        clear_to_color(strip, makecol24(200, 40, 90));
        ASSERT_EQ(save_png("GOGO1.png", strip, nullptr), 0);
    }
    ASSERT_EQ(std::system("dat -a -t PNG -bpp 32 oldskool.dat GOGO1.png >/dev/null"), 0);

    ::testing::internal::CaptureStderr();
    auto show = std::make_unique<Velmora>(DemoMode::Headless);
    show->display.setHeadless(320, 240, 32);
    show->script();
    std::string warnings = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(show->gogo1.period, 1176);
    EXPECT_EQ(keyJump[KEY_F5], 93800);
    EXPECT_EQ(keyJump[KEY_F6], 112616);
    EXPECT_EQ(keyJump[KEY_F7], 112616 + 31400);
    EXPECT_EQ(keyJump[KEY_F12], 112616 + 141244);
    int count = 0;
    for (std::size_t at = warnings.find("Keypoint out of sync."); at != std::string::npos;
         at = warnings.find("Keypoint out of sync.", at + 1))
        ++count;
    EXPECT_EQ(count, 2) << warnings;
    // The end screen still ends with the music.
    int lastEnd = 0;
    for (int i = 0; i < show->timeline.count; ++i) lastEnd = std::max(lastEnd, show->timeline.events[i].end);
    EXPECT_EQ(lastEnd, 286999);
    EXPECT_EQ(show->timeline.count, 722);

    show.reset();
}
