// A stand-in for ffmpeg in the capture's tests, built for every platform the tests run on, as
// ffmpeg is met there: it reads its standard input and its descriptor 3, and says what ffmpeg says
// when it fails, as the first argument asks:
//   early      reads a little, says that the disk is full, ends with 1
//   extra TEXT reads all, ends with 0 when descriptor 3 held TEXT, else with 3
//   complain   reads all, says that a file was too large, ends with 0 (as ffmpeg can)
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string readAll(int fd, std::size_t most) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const auto n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return text;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() >= most) return text;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "early") {
        readAll(0, 1000);
        std::fputs("[out @ 0x1] Cannot write: No space left on device\nConversion failed!\n", stderr);
        return 1;
    }
    readAll(0, static_cast<std::size_t>(-1));
    if (mode == "extra") return argc > 2 && readAll(3, static_cast<std::size_t>(-1)) == argv[2] ? 0 : 3;
    if (mode == "complain") {
        std::fputs("Error closing file x: File too large\n", stderr);
        return 0;
    }
    return 2;
}
