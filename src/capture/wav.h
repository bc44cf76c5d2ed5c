#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Zorvek::capture {

// Writes interleaved 16-bit stereo samples as a PCM WAV file. False when it cannot be written.
bool writeWav(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate);

}  // namespace Zorvek::capture
