#pragma once
// Where the show's two files are: the folder holding both the datafile and the module. The show
// opens them by relative name (and an object path "oldskool.dat#NAME" must stay short), so the
// programs work from that folder rather than from long absolute paths.

#include <filesystem>
#include <string>
#include <vector>

namespace Zorvek {

// The files the show's script opens, by the names it opens them.
inline constexpr const char* SHOW_FILES[] = {"oldskool.dat", "drift.mod"};

struct DataSearch {
    // The first place holding every file. When none does: the place holding most of them (the
    // earliest on a tie), so that the show's own failure names the file that is missing.
    std::filesystem::path folder;
    bool found = false;
    // When not found: one line per problem, naming the places tried.
    std::vector<std::string> problems;
};

// Looks in order beside the program, in ../share/velmora from the program's folder, and in the
// folder named by `dataVariable` (the value of $VELMORA_DATA, null or empty when unset).
DataSearch findShowData(const std::filesystem::path& programFolder, const char* dataVariable);

// The folder of the running program; the working directory when the system cannot say.
std::filesystem::path programFolder();

// Finds the show's files for the running program (named `program` in messages). When they are not
// all found, writes the places tried on standard error, one line per problem.
DataSearch locateShowData(const char* program);

// Locates the show's files and makes the folder the search chose the working directory, found or
// not: opening a missing file then fails with the show's own message and exit code. Returns
// whether every file was found.
bool enterShowDataFolder(const char* program);

}  // namespace Zorvek
