// The executable's offline modes end to end: pictures of moments and a short video, with a scratch
// score that ends after a couple of seconds. llvmpipe is slow, so the runs use a low frame rate.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>

#include "modes/png_writer.h"
#include "tests/test_support.h"

// The show ends at row 5 (1.78 s): at 10 fps, row 5 is passed in frame 18 and frame 19 is the black
// quitting frame, so the video has 20 frames, 2 s.
static const char SHORT_SCORE[] =
    "divisor,jump,a,va,aa,b,vb\n"
    "0,0,0,0,0,0,0\n"
    "0,0,0,0,0,0,0\n"
    "0,0,14,0,0,0,0\n"
    "0,0,0,0,0,0,0\n"
    "0,0,0,0,0,0,0\n"
    "0,0,255,0,0,0,0\n";
constexpr int SHORT_SCORE_FRAMES_AT_10_FPS = 20;

// Runs a shell command in the working directory; its standard output (and error, when asked) goes
// to output (its tail when it is longer). Returns the exit status, -1 when it did not exit normally.
static int run(const char *command, char *output, size_t capacity) {
    FILE *pipe = popen(command, "r");
    if (!pipe) return -1;
    // Read to the end so the command never blocks on a full pipe; keep the last capacity - 1 bytes.
    size_t kept = 0;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        if (n >= capacity - 1) {
            memcpy(output, chunk + n - (capacity - 1), capacity - 1);
            kept = capacity - 1;
            continue;
        }
        if (kept + n > capacity - 1) {
            const size_t drop = kept + n - (capacity - 1);
            memmove(output, output + drop, kept - drop);
            kept -= drop;
        }
        memcpy(output + kept, chunk, n);
        kept += n;
    }
    output[kept] = '\0';
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static int runShow(const char *arguments, char *output, size_t capacity) {
    char command[1024];
    snprintf(command, sizeof command, "'%s' %s 2>&1", LIGHTRIG_EXE, arguments);
    return run(command, output, capacity);
}

static bool haveDisplayAndFfmpeg() {
    char out[256];
    return getenv("DISPLAY") && run("command -v ffmpeg ffprobe", out, sizeof out) == 0;
}

static long readFile(const char *path, char *buffer, long capacity) {
    return readWholeFile(path, buffer, capacity);
}

// A stream's value from ffprobe: entry is e.g. "stream=nb_read_frames" with a stream selector.
static double probe(const char *file, const char *streams, const char *entry) {
    char command[512], out[256];
    snprintf(command, sizeof command,
             "ffprobe -v error -count_frames -select_streams %s -show_entries %s -of default=nw=1:nk=1 '%s'",
             streams, entry, file);
    if (run(command, out, sizeof out) != 0) return -1.0;
    return atof(out);
}

static char pictureA[4 << 20], pictureB[4 << 20];

// The first frame of a picture or video file, scaled to 32 x 18 grey levels, top row first.
constexpr int THUMB_WIDTH = 32, THUMB_HEIGHT = 18;
static bool thumbnail(const char *file, unsigned char grey[THUMB_WIDTH * THUMB_HEIGHT]) {
    char command[512], out[1024];
    snprintf(command, sizeof command,
             "ffmpeg -v error -y -i '%s' -frames:v 1 -vf scale=%d:%d -pix_fmt gray -f rawvideo thumb.gray 2>&1", file,
             THUMB_WIDTH, THUMB_HEIGHT);
    static char read[THUMB_WIDTH * THUMB_HEIGHT + 1];
    if (run(command, out, sizeof out) != 0 || readFile("thumb.gray", read, sizeof read) != THUMB_WIDTH * THUMB_HEIGHT)
        return false;
    memcpy(grey, read, THUMB_WIDTH * THUMB_HEIGHT);
    return true;
}

// Summed difference of two thumbnails, the second one read upside down when asked.
static long thumbnailDistance(const unsigned char *a, const unsigned char *b, bool flipped) {
    long sum = 0;
    for (int y = 0; y < THUMB_HEIGHT; y++)
        for (int x = 0; x < THUMB_WIDTH; x++)
            sum += abs(a[y * THUMB_WIDTH + x] - b[(flipped ? THUMB_HEIGHT - 1 - y : y) * THUMB_WIDTH + x]);
    return sum;
}

// The picture as GL reads it (rows from the bottom up) with a white top-left quarter lands in the PNG
// with that quarter top-left.
TEST(Capture, PngKeepsTheTopLeftCornerTopLeft) {
    if (!haveDisplayAndFfmpeg()) GTEST_SKIP() << "no ffmpeg";
    enterScratchDir();
    static unsigned char rgb[THUMB_WIDTH * THUMB_HEIGHT * 3];
    for (int row = 0; row < THUMB_HEIGHT; row++)   // row 0 is the bottom one
        for (int x = 0; x < THUMB_WIDTH; x++)
            if (row >= THUMB_HEIGHT / 2 && x < THUMB_WIDTH / 2) memset(&rgb[(row * THUMB_WIDTH + x) * 3], 255, 3);
    ASSERT_TRUE(writePng("corner.png", rgb, THUMB_WIDTH, THUMB_HEIGHT));
    unsigned char grey[THUMB_WIDTH * THUMB_HEIGHT];
    ASSERT_TRUE(thumbnail("corner.png", grey));
    EXPECT_EQ(grey[0], 255) << "top-left";
    EXPECT_EQ(grey[THUMB_WIDTH - 1], 0) << "top-right";
    EXPECT_EQ(grey[(THUMB_HEIGHT - 1) * THUMB_WIDTH], 0) << "bottom-left";
}

TEST(Capture, FramesOfTheSameMomentAreIdenticalPngs) {
    if (!haveDisplayAndFfmpeg()) GTEST_SKIP() << "no display";
    enterScratchDirWithShowData();
    writeDataText("sync1.csv", SHORT_SCORE);
    char out[16384];
    ASSERT_EQ(0, runShow("--frames first --at 0.5,1.25 --fps 8", out, sizeof out)) << out;
    ASSERT_EQ(0, runShow("--frames second --at 1.25 --fps 8", out, sizeof out)) << out;

    const long size = readFile("first/frame-1.25.png", pictureA, sizeof pictureA);
    ASSERT_GT(size, 24);
    EXPECT_EQ(0, memcmp(pictureA, "\x89PNG", 4));
    // IHDR: width and height, big-endian, at bytes 16 and 20.
    const unsigned char *ihdr = (const unsigned char *)pictureA + 16;
    EXPECT_EQ(1920, ihdr[0] << 24 | ihdr[1] << 16 | ihdr[2] << 8 | ihdr[3]);
    EXPECT_EQ(1080, ihdr[4] << 24 | ihdr[5] << 16 | ihdr[6] << 8 | ihdr[7]);
    EXPECT_GT(readFile("first/frame-0.5.png", pictureB, sizeof pictureB), 24);
    ASSERT_EQ(size, readFile("second/frame-1.25.png", pictureB, sizeof pictureB));
    EXPECT_EQ(0, memcmp(pictureA, pictureB, size));
}

TEST(Capture, MomentAfterTheEndOfTheShowFails) {
    if (!haveDisplayAndFfmpeg()) GTEST_SKIP() << "no display";
    enterScratchDirWithShowData();
    writeDataText("sync1.csv", SHORT_SCORE);
    char out[16384];
    EXPECT_EQ(1, runShow("--frames late --at 0.25,30 --fps 8", out, sizeof out)) << out;
    EXPECT_NE(nullptr, strstr(out, "before the moment 30.000 s")) << out;
    EXPECT_GT(readFile("late/frame-0.25.png", pictureA, sizeof pictureA), 24) << "earlier moments are written";
}

TEST(Capture, ShortShowGivesAPlayableVideoWithMusicOfTheSameLength) {
    if (!haveDisplayAndFfmpeg()) GTEST_SKIP() << "no display";
    enterScratchDirWithShowData();
    writeDataText("sync1.csv", SHORT_SCORE);
    char out[16384];
    // Ten seconds of music, silent up to row 2 (710.7 ms): the video is cut to the show's length.
    ASSERT_EQ(0, run("ffmpeg -v error -f lavfi -i \"aevalsrc=if(gte(t\\,0.7107)\\,0.5*sin(2*PI*440*t)\\,0):d=10\" "
                     "-ac 2 music.mp3 2>&1",
                     out, sizeof out))
        << out;
    ASSERT_EQ(0, runShow("--capture 'show one.mp4' --fps 10", out, sizeof out)) << out;
    EXPECT_NE(nullptr, strstr(out, "capture [")) << "progress line";

    EXPECT_EQ(SHORT_SCORE_FRAMES_AT_10_FPS, (int)probe("show one.mp4", "v:0", "stream=nb_read_frames"));
    EXPECT_EQ(1920, (int)probe("show one.mp4", "v:0", "stream=width"));
    EXPECT_EQ(1080, (int)probe("show one.mp4", "v:0", "stream=height"));
    const double video = probe("show one.mp4", "v:0", "stream=duration");
    const double audio = probe("show one.mp4", "a:0", "stream=duration");
    EXPECT_NEAR(SHORT_SCORE_FRAMES_AT_10_FPS / 10.0, video, 1e-3);
    EXPECT_NEAR(video, audio, 0.03) << "audio and video lengths differ by more than one audio frame";
    char codecs[256];
    run("ffprobe -v error -show_entries stream=codec_name,pix_fmt -of csv=p=0 'show one.mp4'", codecs, sizeof codecs);
    EXPECT_NE(nullptr, strstr(codecs, "h264,yuv420p")) << codecs;
    EXPECT_NE(nullptr, strstr(codecs, "aac")) << codecs;

    // The music starts with the first frame: its onset lands on the frame of row 2 (the eighth, at
    // 10 fps), within one frame.
    static short pcm[44100 * 2];
    ASSERT_EQ(0, run("ffmpeg -v error -y -i 'show one.mp4' -map 0:a -ac 1 -ar 44100 -f s16le audio.raw 2>&1", out,
                     sizeof out))
        << out;
    const long samples = readFile("audio.raw", (char *)pcm, sizeof pcm) / 2;
    long onset = 0;
    while (onset < samples && abs(pcm[onset]) < 3000) onset++;
    EXPECT_NEAR(onset / 44100.0, 0.7107, 0.1);

    // The video's first frame is the show's first picture the right way up.
    ASSERT_EQ(0, runShow("--frames first --at 0 --fps 10", out, sizeof out)) << out;
    unsigned char firstFrame[THUMB_WIDTH * THUMB_HEIGHT], picture[THUMB_WIDTH * THUMB_HEIGHT];
    ASSERT_TRUE(thumbnail("show one.mp4", firstFrame));
    ASSERT_TRUE(thumbnail("first/frame-0.png", picture));
    EXPECT_LT(thumbnailDistance(firstFrame, picture, false) * 2, thumbnailDistance(firstFrame, picture, true));
    EXPECT_LT(thumbnailDistance(firstFrame, picture, false), 4 * THUMB_WIDTH * THUMB_HEIGHT);

    // --duration cuts a capture short, and a second capture decodes to the same frames. (Captures of
    // different lengths may encode their common frames differently: the encoder looks ahead.)
    ASSERT_EQ(0, runShow("--capture half.mp4 --fps 10 --duration 0.5", out, sizeof out)) << out;
    EXPECT_EQ(5, (int)probe("half.mp4", "v:0", "stream=nb_read_frames"));
    ASSERT_EQ(0, runShow("--capture again.mp4 --fps 10 --duration 0.5", out, sizeof out)) << out;
    char one[4096], two[4096];
    run("ffmpeg -v error -i half.mp4 -map 0:v -f framemd5 - | grep -v '^#'", one, sizeof one);
    run("ffmpeg -v error -i again.mp4 -map 0:v -f framemd5 - | grep -v '^#'", two, sizeof two);
    EXPECT_GT(strlen(one), 100u);
    EXPECT_STREQ(one, two);
}
