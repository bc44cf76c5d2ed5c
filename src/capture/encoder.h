#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Zorvek::capture {

// A program the capture feeds, run without a shell: its arguments reach it as they are, so no
// folder or file name is ever interpreted. Its standard input is a pipe that write() fills, its
// messages go into a file of ours with no name, read back to say why it failed. It runs in a
// process group of its own, so Ctrl-C reaches the capture alone, which then stops it.
class Encoder {
public:
    Encoder() = default;
    ~Encoder() { stop(); }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // Whether `program` is an executable file in a folder of PATH (on Windows, `program`.exe in
    // the capture's own folder or one of PATH, where it is started from).
    static bool available(const char* program);

    // Starts argv[0], found on PATH, with the arguments. `extraInput`, when not negative, becomes
    // its descriptor 3 (read by ffmpeg as "pipe:3"); it stays open here too.
    bool start(const std::vector<std::string>& argv, int extraInput, std::string& error);
    bool running() const { return pid > 0; }

    // Writes to its standard input. False when it stopped early (with its reason) or the
    // capture was interrupted; it has then ended.
    bool write(const void* data, std::size_t size, std::string& error);

    // Closes its input and waits for it to finish; false with its reason when it failed: when it
    // ended with a status other than 0, or with messages (it must be run to print errors only).
    bool finish(std::string& error);

    // Ends it at once.
    void stop();

private:
    // Bytes of `data` its input took; 0 to try again; -1 when it closed its input.
    std::ptrdiff_t writeSome(const char* data, std::size_t size);
    void closeInput();
    int await();  // its wait status; an interruption of the capture kills it first
    // Whether a wait status is that of a program that ended by itself with 0; what else it says,
    // or "" for such a one.
    static bool exitedWell(int status);
    static std::string statusReason(int status);
    std::string messagesTail() const;  // the last 64 KiB of its messages
    std::string failure(const char* what, int status) const;

    std::intptr_t pid = -1;  // its process: an id, on Windows a handle
    int input = -1;
    int messages = -1;
    std::string name;
};

// The line of a program's messages that says why it failed: the last one that is neither a
// repetition notice nor a generic closing line, control characters replaced, kept short.
std::string failureReason(const std::string& messages);

}  // namespace Zorvek::capture
