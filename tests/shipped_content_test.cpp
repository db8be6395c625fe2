// The content the build ships, as the show finds it in the build's own show directory: every file
// the build lists is there, the loading sequence asks only for files the build makes and takes no
// fallback, and the music decodes to its end.
#include <gtest/gtest.h>

#include <mpg123.h>   // the decoder SDL_mixer plays MP3 through on this platform
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "assets/load_record.h"
#include "core/clock.h"
#include "shell/show.h"
#include "shell/sync_track.h"
#include "tests/test_support.h"

namespace {

// The build's show directory, or another copy of it (LIGHTRIG_CHECK_SHOW_DIR) to try the check on.
std::string showDir() {
    const char *other = getenv("LIGHTRIG_CHECK_SHOW_DIR");
    return other ? other : LIGHTRIG_SHOW_DIR;
}

// The files the build makes for the show directory, one path below it per line (written by CMake
// from the outputs of the copies and the generators).
std::vector<std::string> builtFiles() {
    std::vector<std::string> files;
    std::ifstream list(LIGHTRIG_SHOW_FILES);
    for (std::string line; std::getline(list, line);)
        if (!line.empty()) files.push_back(line);
    return files;
}

// The show opens data files without regard to letter case.
bool isBuilt(const std::vector<std::string> &files, const char *path) {
    for (const std::string &file : files)
        if (strcasecmp(file.c_str(), path) == 0) return true;
    return false;
}

std::string keptFallbacks() {
    std::string text;
    const int kept = loadRecord.fallbackCount < FALLBACKS_KEPT ? loadRecord.fallbackCount : FALLBACKS_KEPT;
    for (int i = loadRecord.fallbackCount - kept; i < loadRecord.fallbackCount; i++)
        text += std::string("\n  ") + loadRecord.fallbacks[i % FALLBACKS_KEPT];
    return text;
}

bool askedForKind(const char *extension) {
    for (int i = 0; i < loadRecord.askedCount; i++) {
        const char *dot = strrchr(loadRecord.asked[i], '.');
        if (dot && strcasecmp(dot, extension) == 0) return true;
    }
    return false;
}

// Row index of the first row that ends the show, or -1.
int exitRow() {
    for (int r = 0; r < syncRowCount; r++)
        if ((int)syncTable[r][2] == SYNC_EXIT || (int)syncTable[r][5] == SYNC_EXIT) return r;
    return -1;
}

TEST(ShippedContent, EveryFileTheBuildListsIsThereAndNotEmpty) {
    const std::vector<std::string> files = builtFiles();
    ASSERT_FALSE(files.empty()) << "no list of built files in " << LIGHTRIG_SHOW_FILES;
    for (const std::string &file : files) {
        struct stat info;
        const std::string path = showDir() + "/" + file;
        if (stat(path.c_str(), &info) != 0) ADD_FAILURE() << file << ": the build lists it but did not make it";
        else EXPECT_GT(info.st_size, 0) << file << ": made empty";
    }
}

// The show's own start-up in the show directory: loading, the sync track, the music on SDL's dummy
// device (the test never makes a sound).
TEST(ShippedContent, LoadingAsksOnlyForBuiltFilesAndTakesNoFallback) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(chdir(showDir().c_str()), 0);
    startAtTimeZero();
    ASSERT_TRUE(startShow());

    EXPECT_EQ(loadRecord.fallbackCount, 0) << "loads that fell back, the last ones:" << keptFallbacks();
    EXPECT_FALSE(loadRecord.askedOverflow) << "more names asked for than the record holds";
    const std::vector<std::string> files = builtFiles();
    for (int i = 0; i < loadRecord.askedCount; i++)
        EXPECT_TRUE(isBuilt(files, loadRecord.asked[i])) << loadRecord.asked[i] << ": asked for, not made by the build";
    for (const char *kind : {".tga", ".vert", ".frag", ".3dm", ".scene", ".dae", ".cam", ".csv", ".mp3"})
        EXPECT_TRUE(askedForKind(kind)) << "no " << kind << " file asked for: the record misses a loader";
    EXPECT_GT(syncRowCount, 0);
    EXPECT_GE(exitRow(), 0) << "the sync track has no row that ends the show";
    endShow();
}

// SDL_mixer only reads the start of the file when it loads it: a file cut short or damaged later on
// shows only here. The music has to last until the sync track ends the show.
TEST(ShippedContent, MusicDecodesToItsEndPastTheLastRow) {
    const std::string mp3 = showDir() + "/music.mp3";
    ASSERT_EQ(mpg123_init(), MPG123_OK);
    int err = 0;
    mpg123_handle *decoder = mpg123_new(nullptr, &err);
    ASSERT_NE(decoder, nullptr);
    ASSERT_EQ(mpg123_open(decoder, mp3.c_str()), MPG123_OK) << mp3;
    long rate = 0;
    int channels = 0, encoding = 0;
    ASSERT_EQ(mpg123_getformat(decoder, &rate, &channels, &encoding), MPG123_OK);
    ASSERT_GT(rate, 0);
    std::vector<unsigned char> buffer(1 << 16);
    long long bytes = 0;
    int result = MPG123_OK;
    while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
        size_t done = 0;
        result = mpg123_read(decoder, buffer.data(), buffer.size(), &done);
        bytes += (long long)done;
    }
    mpg123_close(decoder);
    mpg123_delete(decoder);
    EXPECT_EQ(result, MPG123_DONE) << "decoding stopped: " << mpg123_plain_strerror(result);
    ASSERT_GT(bytes, 0);
    const double seconds = (double)bytes / (rate * channels * mpg123_encsize(encoding));

    FILE *track = fopen((showDir() + "/data/sync1.csv").c_str(), "rt");
    ASSERT_NE(track, nullptr);
    readSyncTrack(track);
    fclose(track);
    const int last = exitRow();
    ASSERT_GE(last, 0);
    const double lastRowSeconds = last * SYNC_FRAMES_PER_ROW * FRAME_MS / 1000.0;
    EXPECT_GE(seconds, lastRowSeconds) << "the music ends before the sync track ends the show";
}

}  // namespace
