#include "platform/sound/module_file.h"

#include <algorithm>

#include "platform/big_endian.h"

namespace Zorvek::sound {

namespace {
constexpr std::size_t SAMPLE_HEADERS = 20;  // after the 20-byte title
constexpr std::size_t SAMPLE_HEADER_SIZE = 30;
constexpr int SAMPLE_COUNT = 31;
constexpr std::size_t ORDER_TABLE = 952;
constexpr std::size_t SIGNATURE = 1080;
constexpr std::size_t PATTERNS = 1084;
constexpr std::size_t ROWS = 64;
constexpr std::size_t CELL_SIZE = 4;

bool isDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// Channels named by the signature, or 0 when it is none of the tracker signatures.
int signatureChannels(const std::uint8_t* s) {
    auto is = [s](const char* text) { return std::equal(s, s + 4, text); };
    if (is("M.K.") || is("M!K!") || is("FLT4") || is("4CHN")) return 4;
    if (isDigit(s[0]) && s[1] == 'C' && s[2] == 'H' && s[3] == 'N') return s[0] - '0';
    if (isDigit(s[0]) && isDigit(s[1]) && s[2] == 'C' && (s[3] == 'H' || s[3] == 'N'))
        return (s[0] - '0') * 10 + (s[1] - '0');
    return 0;
}
}  // namespace

bool isTruncatedTrackerModule(const std::uint8_t* data, std::size_t size) {
    if (size < PATTERNS) return false;  // too short to carry a signature: the decoder decides
    int channels = signatureChannels(data + SIGNATURE);
    if (channels == 0) return false;
    // ProTracker stores every pattern up to the highest one in the whole 128-entry order table.
    int patterns = 1 + *std::max_element(data + ORDER_TABLE, data + ORDER_TABLE + 128);
    std::size_t needed = PATTERNS + static_cast<std::size_t>(patterns) * ROWS * channels * CELL_SIZE;
    for (int i = 0; i < SAMPLE_COUNT; ++i)
        needed +=
            2 * static_cast<std::size_t>(platform::bigEndian(data + SAMPLE_HEADERS + i * SAMPLE_HEADER_SIZE + 22, 2));
    return size < needed;
}

}  // namespace Zorvek::sound
