#pragma once
// Where the build writes the show's datafile and module: the top of the build tree, one folder
// above the test and benchmark programs.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/data_dir.h"

namespace Zorvek::testing {

// The build tree's top, or VELMORA_ASSET_DIR when set.
inline std::string assetDir() {
    if (const char* chosen = std::getenv("VELMORA_ASSET_DIR")) return chosen;
    return programFolder().parent_path().string();
}

// The show's module, or "" when this build has not composed one. VELMORA_SHOW_MODULE names
// another file.
inline std::string showModulePath() {
    if (const char* chosen = std::getenv("VELMORA_SHOW_MODULE")) return chosen;
    std::filesystem::path module = std::filesystem::path(assetDir()) / "drift.mod";
    return std::filesystem::exists(module) ? module.string() : "";
}

}  // namespace Zorvek::testing
