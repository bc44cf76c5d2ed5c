#include "capture/video_encoding.h"

#include <allegro.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace Zorvek::capture {

bool parseQuality(const char* name, Quality& quality) {
    if (!std::strcmp(name, "standard")) quality = Quality::Standard;
    else if (!std::strcmp(name, "small")) quality = Quality::Small;
    else if (!std::strcmp(name, "lossless")) quality = Quality::Lossless;
    else return false;
    return true;
}

const char* qualityName(Quality quality) {
    switch (quality) {
        case Quality::Small: return "small";
        case Quality::Lossless: return "lossless";
        case Quality::Standard: break;
    }
    return "standard";
}

void packFrame(BITMAP* frame, std::vector<unsigned char>& out) {
    const std::size_t rowBytes = static_cast<std::size_t>(frame->w) * sizeof(std::uint32_t);
    out.resize(rowBytes * static_cast<std::size_t>(frame->h));
    for (int y = 0; y < frame->h; ++y) std::memcpy(out.data() + rowBytes * y, frame->line[y], rowBytes);
}

std::vector<std::string> encoderArguments(int w, int h, int fps, int scale, Quality quality, const std::string& file) {
    // The frames arrive as the engine holds them, a quarter of the bytes of the upscaled picture;
    // ffmpeg enlarges them by nearest neighbour, so that the pixels stay sharp, and only then
    // takes the colours apart into brightness and half-resolution colour, as players expect.
    // Not reformatted: options with their values.
    // clang-format off
    std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "bgr0", "-s", std::to_string(w) + "x" + std::to_string(h),
        "-r", std::to_string(fps), "-i", "pipe:0",
        "-f", "wav", "-i", "pipe:3", "-map", "0:v", "-map", "1:a"};
    // clang-format on
    std::string filter;
    if (scale > 1) {
        filter = "scale=" + std::to_string(w * scale) + ":" + std::to_string(h * scale) + ":flags=neighbor";
    }
    const auto add = [&](std::initializer_list<const char*> more) {
        args.insert(args.end(), more.begin(), more.end());
    };
    switch (quality) {
        case Quality::Lossless:
            // RGB as rendered: no colour conversion, no loss.
            if (!filter.empty()) add({"-vf", filter.c_str()});
            add({"-c:v", "libx264rgb", "-preset", "veryfast", "-qp", "0", "-pix_fmt", "bgr0"});
            break;
        case Quality::Small:
            filter += std::string(filter.empty() ? "" : ",") + "format=yuv420p";
            add({"-vf", filter.c_str()});
            add({"-c:v", "libx264", "-preset", "slow", "-crf", "18", "-pix_fmt", "yuv420p"});
            break;
        case Quality::Standard:
            filter += std::string(filter.empty() ? "" : ",") + "format=yuv420p";
            add({"-vf", filter.c_str()});
            // A fast preset at a low rate: the encoder keeps ahead of the show on two cores, and the
            // deep zooms and the noise keep their detail. (Over 20 s of F6, superfast takes 30 % less
            // processor than veryfast for a sixth more bytes, at the same likeness to the lossless
            // frames.)
            add({"-c:v", "libx264", "-preset", "superfast", "-crf", "12", "-pix_fmt", "yuv420p"});
            break;
    }
    add({"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4"});
    args.push_back("file:" + file);
    return args;
}

}  // namespace Zorvek::capture
