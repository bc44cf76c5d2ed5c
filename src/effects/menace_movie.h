#pragma once
// A low-resolution movie shown as a dot matrix: every pixel of an 80 x 60 movie frame becomes a
// 4 x 4 cell whose dots per channel encode the colour at four bits a channel. The movie plays
// forward, then backward, in a loop.

#include <cstdint>

#include "effects/effect.h"

namespace Zorvek {

// A generator: draws the current movie frame into its frame and pushes it.
class MenaceMovieEffect : public ProtectedFrameEffect {
public:
    static constexpr int MOVIE_W = 80, MOVIE_H = 60;  // one movie frame of the strip
    static constexpr int CELL = 4;                    // dots per cell side

    BITMAP* patterns = nullptr;    // 16 x 4096: row 256 r + 16 g + b holds that colour's cell
    BITMAP* movie = nullptr;       // the strip: movie frame n is rows 60 n .. 60 n + 59
    std::int32_t movieFrame = 0;   // shown by the next render
    std::int32_t movieFrames = 0;  // whole movie frames in the strip
    std::int32_t msPerFrame = 0;   // display time of one movie frame

    MenaceMovieEffect() = default;
    ~MenaceMovieEffect();
    MenaceMovieEffect(const MenaceMovieEffect&) = delete;
    MenaceMovieEffect& operator=(const MenaceMovieEffect&) = delete;

    void update(int time) override;
    void render() override;
    const char* name() override;
    virtual void load(Demo* demo, const char* imageName, int msPerFrame);

    // The table row of a colour: the top four bits of red, green and blue.
    static int patternIndex(std::uint32_t colour);

private:
    void buildPatterns();
};

}  // namespace Zorvek
