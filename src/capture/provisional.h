#pragma once

#include <filesystem>
#include <string>

namespace Zorvek::capture {

// A file or folder that the capture makes beside its final name, under a name of its own
// ("<final>.partial-XXXXXX", created exclusively, so nothing already there is touched). It takes
// the final name only when the capture is complete. Until then it is removed when it is
// discarded or destroyed, and at exit on any other path (a fatal error of the show exits).
class Provisional {
public:
    Provisional() = default;
    ~Provisional() { discard(); }
    Provisional(const Provisional&) = delete;
    Provisional& operator=(const Provisional&) = delete;

    // A new empty file, open for writing in `fd`, which the caller closes.
    bool createFile(const std::filesystem::path& final, int& fd, std::string& error);
    bool createFolder(const std::filesystem::path& final, std::string& error);

    const std::filesystem::path& path() const { return where; }

    // Gives it its final name, which replaces a file or an empty folder of that name.
    bool commit(const std::filesystem::path& final, std::string& error);
    // Removes it, with everything in it.
    void discard();

private:
    void track();
    std::filesystem::path where;
};

// Whether the capture may give `final` to what it wrote: nothing is there, or a file that a new
// capture replaces, or for a folder an empty folder. The capture never replaces a folder that
// holds anything: it cannot know that it made it.
bool finalNameFree(const std::filesystem::path& final, bool folder, std::string& error);

}  // namespace Zorvek::capture
