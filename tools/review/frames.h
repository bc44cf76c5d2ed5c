#pragma once
// A capture's PNG frames (frame_000000.png, ...; frame n at from + n * 1000 / fps ms), read with
// the show's own PNG decoder: the light of every frame and how much of it changes from the frame
// before. Allegro must be installed, at 32 bits.

#include <functional>
#include <string>
#include <vector>

struct BITMAP;

namespace review {

struct FrameLight {
    int ms;
    double luma;    // mean luma (0.299 R + 0.587 G + 0.114 B), 0 .. 255
    double change;  // mean absolute per-pixel luma change from the frame before (0 for the first)
};

// Reads every frame in order, calling `visit` with each decoded picture. False, with `error`
// set, when a frame is missing in the middle of the sequence or cannot be decoded; the frames
// end at the first number that has no file.
bool readFrames(const std::string& folder, int fromMs, int fps, std::vector<FrameLight>& light,
                const std::function<void(int ms, BITMAP* frame)>& visit, std::string& error);

double lumaOf(unsigned pixel);

}  // namespace review
