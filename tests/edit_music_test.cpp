// After a jump the music plays from the moment sought: SDL's disk audio driver writes what would
// reach the sound card to a file, and its samples after the jump are matched against the decoded MP3.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "modes/capture.h"
#include "modes/edit.h"
#include "platform/platform.h"
#include "shell/show.h"
#include "tests/test_support.h"

namespace {

constexpr int RATE = 44100;                    // the show opens the device at this rate, stereo
constexpr int SAMPLES_PER_FRAME = RATE / EDIT_FPS;
constexpr int64_t JUMP_FRAME = 30;             // half a second in
constexpr int QUIET_RUN = RATE / 4;            // silence this long is the pause before the jump
constexpr int WINDOW = 8192;                   // samples compared

int64_t wallMs() {
    return platformCounter() * 1000 / platformFrequency();
}

std::vector<int16_t> readRaw(const char *path) {
    std::vector<int16_t> samples;
    FILE *file = fopen(path, "rb");
    if (!file) return samples;
    int16_t buffer[4096];
    size_t got;
    while ((got = fread(buffer, sizeof(int16_t), 4096, file)) > 0) samples.insert(samples.end(), buffer, buffer + got);
    fclose(file);
    return samples;
}

// Left plus right of stereo frame i.
int mono(const std::vector<int16_t> &s, size_t i) {
    return s[2 * i] + s[2 * i + 1];
}

TEST(EditMusic, AfterAJumpTheMusicPlaysFromTheMomentSought) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    const std::string dir = enterScratchDirWithShowData();
    writeDataText("sync1.csv", "h\n0,0,0,0,0,0,0\n0,0,0,0,0,0,0\n0,0,0,0,0,0,0\n0,0,0,0,0,0,0\n");
    const std::string music = std::string(showDataPath("..")) + "/music.mp3";
    ASSERT_EQ(symlink(music.c_str(), "music.mp3"), 0);
    ASSERT_EQ(system("ffmpeg -v error -i music.mp3 -t 3 -f s16le -ac 2 -ar 44100 reference.raw"), 0);
    const std::string output = dir + "/card.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);

    startCaptureClock(EDIT_FPS);
    ASSERT_TRUE(startShow());
    platformMusicPause();   // the card plays silence until the jump has landed
    startEditShow(JUMP_FRAME, wallMs);
    usleep(1500 * 1000);    // the disk driver writes in real time
    endShow();

    const std::vector<int16_t> reference = readRaw("reference.raw");
    const std::vector<int16_t> card = readRaw(output.c_str());
    ASSERT_GT(reference.size(), (size_t)2 * 2 * RATE);
    // The jump's music begins after the longest silence: the paused stretch.
    size_t start = 0, run = 0, longest = 0;
    for (size_t i = 0; i < card.size() / 2; i++) {
        run = mono(card, i) == 0 ? run + 1 : 0;
        if (run >= (size_t)QUIET_RUN && run > longest) longest = run, start = i + 1;
    }
    ASSERT_GT(longest, (size_t)QUIET_RUN) << "no pause before the jump in " << card.size() / 2 << " samples";
    ASSERT_GT(card.size() / 2, start + WINDOW) << "too little music after the jump";

    // Where in the music that stretch of the card's output is.
    size_t best = 0;
    double bestError = -1.0;
    for (size_t offset = 0; offset + WINDOW < reference.size() / 2; offset++) {
        double error = 0.0;
        for (int i = 0; i < WINDOW && (bestError < 0.0 || error < bestError); i++) {
            const double d = mono(card, start + i) - mono(reference, offset + i);
            error += d * d;
        }
        if (bestError < 0.0 || error < bestError) bestError = error, best = offset;
    }
    const long sought = (long)(JUMP_FRAME * RATE / EDIT_FPS);
    EXPECT_NEAR((double)best, (double)sought, SAMPLES_PER_FRAME)
        << "the music after the jump starts at " << best / (double)RATE << " s, the picture at "
        << sought / (double)RATE << " s";
}

}  // namespace
