#include "modfile.h"

#include <stdexcept>

#include "periods.h"

namespace composer {

static_assert(CHANNELS == 8, "the \"8CHN\" tag promises eight channels");

namespace {

void putText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

void putWord(std::vector<std::uint8_t>& out, int value) {  // big-endian, as the Amiga wrote it
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

}  // namespace

std::array<std::uint8_t, 4> encodeCell(const Cell& cell) {
    if (cell.sample < 0 || cell.sample > 31) throw std::out_of_range("sample number");
    if (cell.note != NO_NOTE && (cell.note < 0 || cell.note >= NOTE_COUNT))
        throw std::out_of_range("note outside C-1..B-3");
    if (cell.effect != NO_EFFECT && (cell.effect < 0 || cell.effect > 0xF || cell.param < 0 || cell.param > 0xFF))
        throw std::out_of_range("effect");
    const int period = cell.note == NO_NOTE ? 0 : PERIODS[cell.note];
    const int effect = cell.effect == NO_EFFECT ? 0 : cell.effect;
    const int param = cell.effect == NO_EFFECT ? 0 : cell.param;
    return {static_cast<std::uint8_t>((cell.sample & 0xF0) | (period >> 8)), static_cast<std::uint8_t>(period & 0xFF),
            static_cast<std::uint8_t>(((cell.sample & 0x0F) << 4) | effect), static_cast<std::uint8_t>(param)};
}

std::vector<std::uint8_t> writeMod(const std::string& title, const Arrangement& arrangement,
                                   const std::vector<Sample>& samples) {
    if (samples.size() > 31) throw std::length_error("more than 31 samples");
    std::vector<std::uint8_t> out;
    putText(out, title, 20);
    for (std::size_t i = 0; i < 31; ++i) {
        if (i >= samples.size()) {
            putText(out, "", 22);
            putWord(out, 0);
            out.push_back(0);
            out.push_back(0);
            putWord(out, 0);
            putWord(out, 1);
            continue;
        }
        const Sample& s = samples[i];
        if (s.data.size() % 2 || s.data.size() > 2 * 0xFFFF) throw std::length_error("sample length: " + s.name);
        putText(out, s.name, 22);
        putWord(out, static_cast<int>(s.data.size() / 2));
        out.push_back(0);  // finetune: every sample is tuned by its cycle length instead
        out.push_back(static_cast<std::uint8_t>(s.volume));
        putWord(out, s.loopLength > 0 ? s.loopStart / 2 : 0);
        putWord(out, s.loopLength > 0 ? s.loopLength / 2 : 1);  // one word means "no loop"
    }
    out.push_back(static_cast<std::uint8_t>(arrangement.order.size()));
    out.push_back(0x7F);  // restart byte as ProTracker writes it; the song never loops
    for (std::size_t i = 0; i < 128; ++i)
        out.push_back(static_cast<std::uint8_t>(i < arrangement.order.size() ? arrangement.order[i] : 0));
    putText(out, "8CHN", 4);
    for (const Pattern& p : arrangement.patterns)
        for (const Row& row : p)
            for (const Cell& cell : row)
                for (std::uint8_t b : encodeCell(cell)) out.push_back(b);
    for (const Sample& s : samples)
        for (std::int8_t v : s.data) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

}  // namespace composer
