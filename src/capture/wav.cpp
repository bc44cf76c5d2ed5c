#include "capture/wav.h"

#include <cstdio>

namespace Zorvek::capture {

namespace {
void put16(std::FILE* f, unsigned v) {
    std::fputc(v & 0xFF, f);
    std::fputc((v >> 8) & 0xFF, f);
}
void put32(std::FILE* f, unsigned v) {
    put16(f, v & 0xFFFF);
    put16(f, v >> 16);
}
}  // namespace

bool writeWav(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const unsigned channels = 2, bytesPerSample = 2;
    const unsigned dataBytes = static_cast<unsigned>(samples.size() * bytesPerSample);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);  // PCM
    put16(f, channels);
    put32(f, static_cast<unsigned>(sampleRate));
    put32(f, static_cast<unsigned>(sampleRate) * channels * bytesPerSample);
    put16(f, channels * bytesPerSample);
    put16(f, bytesPerSample * 8);
    std::fwrite("data", 1, 4, f);
    put32(f, dataBytes);
    for (std::int16_t s : samples) put16(f, static_cast<std::uint16_t>(s));
    bool ok = !std::ferror(f);
    return std::fclose(f) == 0 && ok;
}

}  // namespace Zorvek::capture
