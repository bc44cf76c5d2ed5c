#pragma once
// How a capture's frames become a video: the pixels as they reach ffmpeg, and ffmpeg's command
// line for each quality the capture offers.

#include <cstddef>
#include <string>
#include <vector>

struct BITMAP;

namespace Zorvek::capture {

enum class Quality {
    Standard,  // H.264 for watching and uploading, encoded faster than the show plays
    Small,     // the same at a lower rate: slower to encode, a smaller file
    Lossless,  // every pixel as rendered, in RGB: for editing, and to measure the others against
};

// "standard", "small", "lossless"; false for any other name.
bool parseQuality(const char* name, Quality& quality);
const char* qualityName(Quality quality);

// The frame's pixels as ffmpeg reads them ("bgr0": each pixel's 32-bit word as it lies in
// memory), row after row in `out`, which is sized to fit.
void packFrame(BITMAP* frame, std::vector<unsigned char>& out);

// ffmpeg's arguments for a video of frames `w` × `h` arriving packed on its standard input at
// `fps`, with a WAV file on descriptor 3, upscaled `scale` times by nearest neighbour, written
// to `file` as MP4.
std::vector<std::string> encoderArguments(int w, int h, int fps, int scale, Quality quality, const std::string& file);

}  // namespace Zorvek::capture
