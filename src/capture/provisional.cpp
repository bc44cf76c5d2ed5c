#include "capture/provisional.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "capture/unique_files.h"

namespace fs = std::filesystem;

namespace Zorvek::capture {

namespace {

// Everything provisional that exists now, removed at exit. Never freed: exit handlers may run
// after static destructors.
std::vector<fs::path>& leftovers() {
    static auto* paths = new std::vector<fs::path>;
    return *paths;
}

void removeLeftovers() {
    std::error_code ec;
    for (const fs::path& p : leftovers()) fs::remove_all(p, ec);
    leftovers().clear();
}

void forget(const fs::path& p) {
    auto& list = leftovers();
    list.erase(std::remove(list.begin(), list.end(), p), list.end());
}

std::string templateFor(const fs::path& final) { return final.string() + ".partial-XXXXXX"; }

}  // namespace

void Provisional::track() {
    static bool registered = false;
    if (!registered) registered = std::atexit(removeLeftovers) == 0;
    leftovers().push_back(where);
}

bool Provisional::createFile(const fs::path& final, int& fd, std::string& error) {
    discard();
    std::string name = templateFor(final);
    fd = createUniqueFile(name);
    if (fd < 0) {
        error = "cannot create a file in " + final.parent_path().string() + ": " + std::strerror(errno);
        return false;
    }
    where = name;
    track();
    return true;
}

bool Provisional::createFolder(const fs::path& final, std::string& error) {
    discard();
    std::string name = templateFor(final);
    if (!createUniqueFolder(name)) {
        error = "cannot create a folder in " + final.parent_path().string() + ": " + std::strerror(errno);
        return false;
    }
    where = name;
    track();
    return true;
}

bool Provisional::commit(const fs::path& final, std::string& error) {
    std::error_code ec;
    // An empty folder that the output may take the place of (finalNameFree) goes first: Windows
    // moves no folder onto another, as POSIX's rename does onto an empty one.
    if (fs::is_directory(where, ec) && fs::is_directory(final, ec) && fs::is_empty(final, ec)) fs::remove(final, ec);
    fs::rename(where, final, ec);
    if (ec) {
        error = "cannot name " + final.string() + ": " + ec.message();
        return false;
    }
    forget(where);
    where.clear();
    return true;
}

void Provisional::discard() {
    if (where.empty()) return;
    std::error_code ec;
    fs::remove_all(where, ec);
    forget(where);
    where.clear();
}

bool finalNameFree(const fs::path& final, bool folder, std::string& error) {
    std::error_code ec;
    fs::file_status s = fs::status(final, ec);
    if (!fs::exists(s)) return true;
    if (folder && fs::is_directory(s)) {
        if (fs::is_empty(final, ec) && !ec) return true;
        error = final.string() + " already holds files: move them away or choose another --out";
        return false;
    }
    if (!folder && fs::is_regular_file(s)) return true;
    error = final.string() + " already exists and is not a " + (folder ? "folder" : "file");
    return false;
}

}  // namespace Zorvek::capture
