// Where the programs look for the show's files: beside themselves, then ../share/velmora, then
// $VELMORA_DATA; the first folder holding both files wins.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/data_dir.h"

namespace fs = std::filesystem;
using Zorvek::DataSearch;
using Zorvek::findShowData;

namespace {

// An installed tree: prefix/games (the program), prefix/share/velmora, and a folder elsewhere.
class DataFolders : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("velmora-data-dir-" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const fs::path& d : {programs, shared, elsewhere}) fs::create_directories(root / d);
    }
    void TearDown() override { fs::remove_all(root); }

    void put(const fs::path& folder, const char* name) { std::ofstream(root / folder / name) << "x"; }
    void putBoth(const fs::path& folder) {
        for (const char* name : Zorvek::SHOW_FILES) put(folder, name);
    }
    DataSearch search(const char* variable = nullptr) { return findShowData(root / programs, variable); }
    std::string at(const fs::path& folder) { return (root / folder).string(); }

    fs::path root;
    const fs::path programs = "usr/games", shared = "usr/share/velmora", elsewhere = "elsewhere";
};

TEST_F(DataFolders, TheFirstPlaceHoldingBothFilesWinsInTheOrderBesideSharedVariable) {
    std::string variable = at(elsewhere);
    putBoth(elsewhere);
    DataSearch s = search(variable.c_str());
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.folder, root / elsewhere);

    putBoth(shared);
    s = search(variable.c_str());
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.folder, root / shared);  // reached through "..", named without it
    EXPECT_TRUE(s.problems.empty());

    putBoth(programs);
    EXPECT_EQ(search(variable.c_str()).folder, root / programs);
}

TEST_F(DataFolders, AMissingFileIsReportedWithEveryPlaceTriedAndTheShowFailsWhereTheOtherIs) {
    // A folder with the datafile's name is not the datafile, and one file alone is not enough.
    fs::create_directory(root / programs / "oldskool.dat");
    put(shared, "oldskool.dat");
    DataSearch s = search();
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.folder, root / shared);
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_EQ(s.problems[0], "drift.mod not found in: " + at(programs) + ", " + at(shared) + ", $VELMORA_DATA (unset)");

    s = search("");
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_NE(s.problems[0].find("$VELMORA_DATA (unset)"), std::string::npos);
}

TEST_F(DataFolders, FilesSplitOverTwoPlacesAreNotTakenForTheShow) {
    put(shared, "oldskool.dat");
    put(elsewhere, "drift.mod");
    std::string variable = at(elsewhere);
    DataSearch s = search(variable.c_str());
    EXPECT_FALSE(s.found);
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_EQ(s.problems[0], "oldskool.dat and drift.mod are not together in any of: " + at(programs) + ", " +
                                 at(shared) + ", " + variable + " ($VELMORA_DATA)");
}

}  // namespace
