// A second run of the generator must reproduce the build's data files byte for byte.
#include "visuals_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(Generation, SecondRunGivesIdenticalFiles) {
    fs::path scratch = fs::temp_directory_path() / ("lightrig_visuals_" + std::to_string(getpid()));
    fs::create_directories(scratch);
    std::string command = std::string("\"") + VISUALS_GENERATOR + "\" all \"" + scratch.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    int compared = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch)) {
        std::vector<uint8_t> again, built;
        std::string name = entry.path().filename().string();
        ASSERT_TRUE(readBytes(entry.path().string(), again));
        ASSERT_TRUE(readBytes(dataPath(name), built)) << name << " missing from the build's data";
        EXPECT_TRUE(again == built) << name << " differs between runs";
        ++compared;
    }
    fs::remove_all(scratch);
    EXPECT_GT(compared, 70);
}
