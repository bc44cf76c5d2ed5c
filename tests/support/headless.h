#pragma once
// A demo object without a screen or input, with its 14 scratch frames at the show's render size,
// for driving effects and passes in tests.

#include <allegro.h>

#include <cstdint>

#include "demo/demo.h"

namespace Zorvek::testing {

class HeadlessDemo : public Demo {
public:
    HeadlessDemo() : Demo(DemoMode::Headless) { display.setHeadless(320, 240, 32); }
};

// A 32-bit memory bitmap filled with one colour; the caller destroys it (or uses Bitmap).
BITMAP* makeFrame(std::uint32_t colour, int width = 320, int height = 240);

// Owns a bitmap for the length of a test.
class Bitmap {
public:
    struct Adopt {};
    Bitmap(Adopt, BITMAP* b) : bitmap(b) {}  // takes ownership of an existing bitmap
    explicit Bitmap(std::uint32_t colour, int width = 320, int height = 240)
        : bitmap(makeFrame(colour, width, height)) {}
    ~Bitmap() { destroy_bitmap(bitmap); }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    operator BITMAP*() const { return bitmap; }
    BITMAP* get() const { return bitmap; }

private:
    BITMAP* bitmap;
};

inline std::uint32_t pixel(BITMAP* b, int x, int y) { return reinterpret_cast<std::uint32_t*>(b->line[y])[x]; }
inline void setPixel(BITMAP* b, int x, int y, std::uint32_t colour) {
    reinterpret_cast<std::uint32_t*>(b->line[y])[x] = colour;
}

// Pushes a frame on the demo's stack as a generator would.
inline void pushFrame(Demo& demo, BITMAP* frame) { demo.frames[demo.frameCount++] = frame; }

// Exit statuses of the fatal failures as the parent process sees them: a POSIX system keeps the
// status's low eight bits, Windows all 32.
#ifdef _WIN32
constexpr int STATUS_MISUSE = -1;
constexpr int STATUS_CAPACITY = -2;
constexpr int STATUS_GRAPHICS = -3;
constexpr int STATUS_SOUND = -4;
#else
constexpr int STATUS_MISUSE = 255;    // -1
constexpr int STATUS_CAPACITY = 254;  // -2
constexpr int STATUS_GRAPHICS = 253;  // -3
constexpr int STATUS_SOUND = 252;     // -4
#endif

}  // namespace Zorvek::testing
