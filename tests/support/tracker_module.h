#pragma once
// Writes small 4-channel "M.K." tracker modules with synthesised samples, so that the tests and
// the benchmarks of the sound layer make their own music instead of reading any from elsewhere.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace Zorvek::testing {

struct TrackerSample {
    std::vector<std::int8_t> data;  // even length, at most 131070 bytes
    int volume = 64;
    int loopStart = 0;   // bytes
    int loopLength = 0;  // bytes; 0 plays once
};

struct TrackerCell {
    int period = 0;  // Amiga period: 428 is C-2, twice the period is an octave lower
    int sample = 0;  // 1..31, 0 keeps the channel's sample
    int effect = 0;
    int param = 0;
};

struct TrackerModule {
    static constexpr int ROWS = 64;
    static constexpr int CHANNELS = 4;
    using Pattern = std::vector<TrackerCell>;  // ROWS * CHANNELS cells, row-major

    std::vector<TrackerSample> samples;  // sample 1 is samples[0]
    std::vector<Pattern> patterns;
    std::vector<int> orders;

    int addPattern() {
        patterns.emplace_back(ROWS * CHANNELS);
        return static_cast<int>(patterns.size()) - 1;
    }
    TrackerCell& cell(int pattern, int row, int channel) { return patterns[pattern][row * CHANNELS + channel]; }

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out(20, 0);
        auto word = [&out](int v) {
            out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
            out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        };
        for (int i = 0; i < 31; ++i) {
            out.insert(out.end(), 22, 0);
            const TrackerSample* s = i < static_cast<int>(samples.size()) ? &samples[i] : nullptr;
            word(s ? static_cast<int>(s->data.size()) / 2 : 0);
            out.push_back(0);  // finetune
            out.push_back(static_cast<std::uint8_t>(s ? s->volume : 0));
            word(s ? s->loopStart / 2 : 0);
            word(s && s->loopLength > 0 ? s->loopLength / 2 : 1);
        }
        out.push_back(static_cast<std::uint8_t>(orders.size()));
        out.push_back(127);
        for (int i = 0; i < 128; ++i)
            out.push_back(static_cast<std::uint8_t>(i < static_cast<int>(orders.size()) ? orders[i] : 0));
        for (char c : std::string("M.K.")) out.push_back(static_cast<std::uint8_t>(c));
        for (const Pattern& p : patterns)
            for (const TrackerCell& c : p) {
                out.push_back(static_cast<std::uint8_t>((c.sample & 0xF0) | ((c.period >> 8) & 0x0F)));
                out.push_back(static_cast<std::uint8_t>(c.period & 0xFF));
                out.push_back(static_cast<std::uint8_t>(((c.sample & 0x0F) << 4) | (c.effect & 0x0F)));
                out.push_back(static_cast<std::uint8_t>(c.param));
            }
        for (const TrackerSample& s : samples)
            for (std::int8_t v : s.data) out.push_back(static_cast<std::uint8_t>(v));
        return out;
    }

    bool save(const std::string& path) const { return saveBytes(path, bytes()); }

    static bool saveBytes(const std::string& path, const std::vector<std::uint8_t>& data) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return false;
        bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
        return std::fclose(f) == 0 && ok;
    }
};

// One cycle of a full-amplitude sine, `length` bytes, looped forever.
inline TrackerSample sineCycle(int length) {
    TrackerSample s;
    for (int i = 0; i < length; ++i)
        s.data.push_back(static_cast<std::int8_t>(std::lround(127.0 * std::sin(2.0 * 3.14159265358979 * i / length))));
    s.loopLength = length;
    return s;
}

// At speed 6 and 125 BPM a pattern of 64 rows lasts 7.68 s.
constexpr double PATTERN_SECONDS = 7.68;

// A steady tone: the looped sine struck once on `channel` and held for `orders` patterns. MOD
// channels 0 and 3 are heard on the left, 1 and 2 on the right.
inline TrackerModule toneModule(int orders, int channel = 0, int period = 428, int cycle = 32) {
    TrackerModule m;
    m.samples.push_back(sineCycle(cycle));
    int strike = m.addPattern();
    m.cell(strike, 0, channel) = {period, 1, 0, 0};
    m.orders.push_back(strike);
    if (orders > 1) {
        // Every pattern written must be named in the order table: readers take the highest one
        // named as the last one stored.
        int hold = m.addPattern();
        for (int i = 1; i < orders; ++i) m.orders.push_back(hold);
    }
    return m;
}

// A busy module: a new note on every channel every other row, for `orders` patterns.
inline TrackerModule busyModule(int orders) {
    TrackerModule m;
    m.samples.push_back(sineCycle(32));
    TrackerSample square;
    for (int i = 0; i < 64; ++i) square.data.push_back(static_cast<std::int8_t>(i < 32 ? 90 : -90));
    square.loopLength = 64;
    m.samples.push_back(square);
    static constexpr int PERIODS[] = {428, 381, 339, 320, 285, 254, 226, 214};
    int p = m.addPattern();
    for (int row = 0; row < TrackerModule::ROWS; row += 2)
        for (int ch = 0; ch < TrackerModule::CHANNELS; ++ch)
            m.cell(p, row, ch) = {PERIODS[(row / 2 + ch * 3) % 8] * (ch < 2 ? 1 : 2), 1 + (ch & 1), 0, 0};
    for (int i = 0; i < orders; ++i) m.orders.push_back(p);
    return m;
}

// A module of two kilobytes that plays for five and a half hours: one pattern at the slowest speed
// and tempo, 155 s long, named 128 times.
inline TrackerModule marathonModule() {
    TrackerModule m = toneModule(1);
    m.cell(0, 0, 1) = {0, 0, 0xF, 31};  // 31 ticks a row
    m.cell(0, 0, 2) = {0, 0, 0xF, 32};  // 32 BPM: 78 ms a tick
    m.orders.assign(128, 0);
    return m;
}

// Bytes that are no module of any kind.
inline std::vector<std::uint8_t> noise(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
    return bytes;
}

// A file in the temporary directory, unique to this process, holding `data`; returns its path.
inline std::string temporaryFile(const std::string& name, const std::vector<std::uint8_t>& data) {
    std::string path =
        (std::filesystem::temp_directory_path() / ("velmora-" + std::to_string(getpid()) + "-" + name)).string();
    TrackerModule::saveBytes(path, data);
    return path;
}

}  // namespace Zorvek::testing
