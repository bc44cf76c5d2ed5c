#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "capture/options.h"

struct BITMAP;

namespace Zorvek::capture {

// Where the captured frames and sound go. Everything is written under provisional names and only
// takes its final name in finish(), so an interrupted or failed capture never looks complete;
// abandon() (or the sink's end) removes it all.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // The sound of the whole span, before the first frame.
    virtual bool sound(const std::vector<std::int16_t>& pcm, int sampleRate, std::string& error) = 0;
    virtual bool frame(BITMAP* frame, std::string& error) = 0;
    virtual bool finish(std::string& error) = 0;
    // Removes whatever was written.
    virtual void abandon() = 0;
    // What was written, for the closing line.
    virtual std::string result() const = 0;
};

// Numbered PNG files in <out>/frames and the sound in <out>/velmora.wav. Refuses an <out>/frames
// that holds anything.
std::unique_ptr<FrameSink> makeFrameSequenceSink(const std::filesystem::path& out, std::string& error);

// One video file, <out>/<video> (its folder made if needed), encoded by ffmpeg from piped frames
// upscaled by nearest neighbour.
std::unique_ptr<FrameSink> makeVideoSink(const std::filesystem::path& out, const Options& options, std::string& error);

// Whether ffmpeg can be run.
bool videoAvailable();

// Creates the folder if needed; false with the reason when it is not a folder or cannot be made.
bool prepareFolder(const std::filesystem::path& folder, std::string& error);

}  // namespace Zorvek::capture
