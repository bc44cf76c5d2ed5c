#include "capture/wav.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Zorvek::capture {

namespace {

constexpr unsigned CHANNELS = 2, BYTES_PER_SAMPLE = 2;

void put16(unsigned char*& p, unsigned v) {
    *p++ = static_cast<unsigned char>(v);
    *p++ = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char*& p, std::uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p, v >> 16);
}
void put(unsigned char*& p, const char* tag) {
    std::memcpy(p, tag, 4);
    p += 4;
}

bool writeAll(int fd, const unsigned char* data, std::size_t size, std::string& error) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = std::string("cannot write the sound: ") + std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool wavHeader(std::uint64_t dataBytes, int sampleRate, unsigned char (&header)[WAV_HEADER_BYTES]) {
    // The RIFF size counts everything after its own field: the rest of the header and the data.
    const std::uint64_t riffBytes = WAV_HEADER_BYTES - 8 + dataBytes;
    if (riffBytes > 0xFFFFFFFFu || sampleRate <= 0) return false;
    unsigned char* p = header;
    put(p, "RIFF");
    put32(p, static_cast<std::uint32_t>(riffBytes));
    put(p, "WAVE");
    put(p, "fmt ");
    put32(p, 16);
    put16(p, 1);  // PCM
    put16(p, CHANNELS);
    put32(p, static_cast<std::uint32_t>(sampleRate));
    put32(p, static_cast<std::uint32_t>(sampleRate) * CHANNELS * BYTES_PER_SAMPLE);
    put16(p, CHANNELS * BYTES_PER_SAMPLE);
    put16(p, BYTES_PER_SAMPLE * 8);
    put(p, "data");
    put32(p, static_cast<std::uint32_t>(dataBytes));
    return true;
}

bool writeWav(int fd, const std::vector<std::int16_t>& samples, int sampleRate, std::string& error) {
    unsigned char header[WAV_HEADER_BYTES];
    if (!wavHeader(std::uint64_t{samples.size()} * BYTES_PER_SAMPLE, sampleRate, header)) {
        error = "the sound of this span is more than a WAV file can hold (4 GiB)";
        return false;
    }
    if (!writeAll(fd, header, sizeof header, error)) return false;
    // Little-endian samples, converted a block at a time.
    unsigned char block[64 * 1024];
    std::size_t used = 0;
    for (std::int16_t s : samples) {
        unsigned char* p = block + used;
        put16(p, static_cast<std::uint16_t>(s));
        used += 2;
        if (used == sizeof block) {
            if (!writeAll(fd, block, used, error)) return false;
            used = 0;
        }
    }
    return writeAll(fd, block, used, error);
}

}  // namespace Zorvek::capture
