#pragma once
// Where the build writes the show's module: beside the build tree's programs' folders.

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace Zorvek::testing {

// The show's module, or "" when this build has not composed one. VELMORA_SHOW_MODULE names
// another file.
inline std::string showModulePath() {
    if (const char* chosen = std::getenv("VELMORA_SHOW_MODULE")) return chosen;
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    self[n] = '\0';
    // Test and benchmark programs live one folder below the build tree's top.
    std::filesystem::path module = std::filesystem::path(self).parent_path().parent_path() / "drift.mod";
    return std::filesystem::exists(module) ? module.string() : "";
}

}  // namespace Zorvek::testing
