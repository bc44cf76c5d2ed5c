#include "runtime/data_dir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace Zorvek {

namespace {

constexpr const char* DATA_VARIABLE = "VELMORA_DATA";
constexpr int FILE_COUNT = sizeof SHOW_FILES / sizeof SHOW_FILES[0];

struct Place {
    fs::path folder;  // empty: the variable is unset
    std::string shown;
};

// A readable regular file: a folder or a device of the same name does not count.
bool holds(const fs::path& folder, const char* name) {
    if (folder.empty()) return false;
    std::error_code ec;
    fs::path file = folder / name;
    return fs::is_regular_file(file, ec) && std::ifstream(file, std::ios::binary).is_open();
}

std::string joined(const std::vector<Place>& places) {
    std::string list;
    for (const Place& p : places) list += (list.empty() ? "" : ", ") + p.shown;
    return list;
}

}  // namespace

DataSearch findShowData(const fs::path& programFolder, const char* dataVariable) {
    std::vector<Place> places;
    places.push_back({programFolder, programFolder.string()});
    fs::path shared = (programFolder / ".." / "share" / "velmora").lexically_normal();
    places.push_back({shared, shared.string()});
    std::string variable = std::string("$") + DATA_VARIABLE;
    if (dataVariable && *dataVariable) {
        fs::path named = fs::absolute(dataVariable).lexically_normal();
        places.push_back({named, named.string() + " (" + variable + ")"});
    } else {
        places.push_back({{}, variable + " (unset)"});
    }

    DataSearch search;
    search.folder = programFolder;
    int best = 0;
    int foundAnywhere[FILE_COUNT] = {};
    for (const Place& p : places) {
        int held = 0;
        for (int f = 0; f < FILE_COUNT; ++f)
            if (holds(p.folder, SHOW_FILES[f])) ++held, ++foundAnywhere[f];
        if (held > best) best = held, search.folder = p.folder;
        if (held == FILE_COUNT) {
            search.found = true;
            return search;
        }
    }
    bool eachSomewhere = true;
    for (int f = 0; f < FILE_COUNT; ++f) {
        if (foundAnywhere[f]) continue;
        eachSomewhere = false;
        search.problems.push_back(std::string(SHOW_FILES[f]) + " not found in: " + joined(places));
    }
    if (eachSomewhere)
        search.problems.push_back(std::string(SHOW_FILES[0]) + " and " + SHOW_FILES[1] +
                                  " are not together in any of: " + joined(places));
    return search;
}

DataSearch locateShowData(const char* program) {
    DataSearch search = findShowData(programFolder(), std::getenv(DATA_VARIABLE));
    for (const std::string& line : search.problems) std::fprintf(stderr, "%s: %s\n", program, line.c_str());
    return search;
}

bool enterShowDataFolder(const char* program) {
    DataSearch search = locateShowData(program);
    std::error_code ec;
    fs::current_path(search.folder, ec);
    return search.found && !ec;
}

}  // namespace Zorvek
