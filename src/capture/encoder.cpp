#include "capture/encoder.h"

#include <string_view>

#include "capture/interrupt.h"

namespace Zorvek::capture {

std::string failureReason(const std::string& messages) {
    constexpr std::size_t LONGEST = 300;
    std::string_view reason;
    std::string_view rest = messages;
    while (!rest.empty()) {
        std::size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        if (line.empty() || line.starts_with("Last message repeated") || line == "Conversion failed!") continue;
        reason = line;
    }
    std::string clean(reason.substr(0, LONGEST));
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    if (reason.size() > LONGEST) clean += "...";
    return clean;
}

bool Encoder::write(const void* data, std::size_t size, std::string& error) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        if (interruption()) {
            stop();
            error = "interrupted";
            return false;
        }
        const std::ptrdiff_t n = writeSome(p, size);
        if (n < 0) {
            // It closed its input: it stopped, and its messages say why.
            closeInput();
            int status = await();
            error = interruption() ? "interrupted" : failure("stopped early", status);
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Encoder::finish(std::string& error) {
    if (pid <= 0) {
        error = name.empty() ? "nothing was encoded" : name + " is not running";
        return false;
    }
    closeInput();
    int status = await();
    if (interruption()) {
        error = "interrupted";
        return false;
    }
    // ffmpeg can end with status 0 after failing to write the end of its file; it runs so that
    // it says nothing but errors, so any message means it failed.
    if (exitedWell(status) && failureReason(messagesTail()).empty()) return true;
    error = failure("failed", status);
    return false;
}

std::string Encoder::failure(const char* what, int status) const {
    std::string reason = failureReason(messagesTail());
    if (reason.empty()) reason = statusReason(status);
    if (reason.empty()) reason = "it gave no reason";
    return name + " " + what + ": " + reason;
}

}  // namespace Zorvek::capture
