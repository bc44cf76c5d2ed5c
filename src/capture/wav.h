#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Zorvek::capture {

constexpr int WAV_HEADER_BYTES = 44;

// The header of a PCM WAV file of 16-bit stereo holding `dataBytes` of samples. False when a
// WAV file cannot describe that much: its sizes are 32-bit, so the data must stay under 4 GiB
// with the header; a larger one would be written with wrapped sizes that players misread.
bool wavHeader(std::uint64_t dataBytes, int sampleRate, unsigned char (&header)[WAV_HEADER_BYTES]);

// Writes interleaved 16-bit stereo samples as a PCM WAV file to `fd`, from where it stands.
// False with the reason in `error`.
bool writeWav(int fd, const std::vector<std::int16_t>& samples, int sampleRate, std::string& error);

}  // namespace Zorvek::capture
