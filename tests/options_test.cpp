// The command line: what each mode receives, and usage with status 2 for everything else.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>
#include <sys/wait.h>

#include "modes/options.h"
#include "tests/test_support.h"

// Parses a NULL-terminated argument list after the program name.
static int parse(const char *const *args) {
    const char *argv[32] = {"lightrig"};
    int argc = 1;
    while (args[argc - 1]) {
        argv[argc] = args[argc - 1];
        argc++;
    }
    return parseOptions(argc, argv);
}

static int parse(std::initializer_list<const char *> list) {
    const char *args[32] = {};
    int n = 0;
    for (const char *arg : list) args[n++] = arg;
    return parse(args);
}

TEST(Options, Capture) {
    ASSERT_EQ(-1, parse({"--capture", "out dir/show.mp4", "--fps", "30", "--duration", "2.5"}));
    EXPECT_EQ(RUN_CAPTURE, options.mode);
    EXPECT_STREQ("out dir/show.mp4", options.output);
    EXPECT_EQ(30, options.fps);
    EXPECT_EQ(2500, options.durationMs);
    // Defaults come back on the next parse.
    ASSERT_EQ(-1, parse({"--capture", "a.mp4"}));
    EXPECT_EQ(DEFAULT_CAPTURE_FPS, options.fps);
    EXPECT_EQ(-1, options.durationMs);
}

TEST(Options, FramesMomentsAreMillisecondsInTheirOrderWithoutDuplicates) {
    ASSERT_EQ(-1, parse({"--frames", "shots", "--at", "12.5,0.5,0.5004", "--at", "3", "--fps", "24"}));
    EXPECT_EQ(RUN_FRAMES, options.mode);
    EXPECT_STREQ("shots", options.output);
    EXPECT_EQ(24, options.fps);
    ASSERT_EQ(3, options.momentCount);
    EXPECT_EQ(12500, options.momentMs[0]);
    EXPECT_EQ(500, options.momentMs[1]);
    EXPECT_EQ(3000, options.momentMs[2]);
}

TEST(Options, RangesOfFramesAndCaptureSegments) {
    ASSERT_EQ(-1, parse({"--frames", "shots", "--from", "12.25", "--to", "13", "--fps", "30"}));
    EXPECT_EQ(RUN_FRAMES, options.mode);
    EXPECT_EQ(0, options.momentCount);
    EXPECT_EQ(12250, options.fromMs);
    EXPECT_EQ(13000, options.toMs);
    ASSERT_EQ(-1, parse({"--frames", "shots", "--to", "2"}));
    EXPECT_EQ(-1, options.fromMs) << "from the start";
    EXPECT_EQ(2000, options.toMs);
    ASSERT_EQ(-1, parse({"--capture", "part.mp4", "--from", "60", "--to", "90"}));
    EXPECT_EQ(RUN_CAPTURE, options.mode);
    EXPECT_EQ(60000, options.fromMs);
    EXPECT_EQ(90000, options.toMs);
    ASSERT_EQ(-1, parse({"--capture", "rest.mp4", "--from", "150"}));
    EXPECT_EQ(150000, options.fromMs);
    EXPECT_EQ(-1, options.toMs) << "to the end";
    ASSERT_EQ(-1, parse({"--capture", "a.mp4"}));
    EXPECT_EQ(-1, options.fromMs);
    EXPECT_EQ(-1, options.toMs);
}

TEST(Options, Windowed) {
    ASSERT_EQ(-1, parse({"--windowed"}));
    EXPECT_EQ(RUN_WINDOWED, options.mode);
    EXPECT_EQ(DEFAULT_WINDOW_WIDTH, options.windowWidth);
    EXPECT_EQ(DEFAULT_WINDOW_HEIGHT, options.windowHeight);
    ASSERT_EQ(-1, parse({"--windowed", "--size", "1024x768"}));
    EXPECT_EQ(1024, options.windowWidth);
    EXPECT_EQ(768, options.windowHeight);
}

TEST(Options, LoopOnlyWhereTheShowPlaysInRealTime) {
    ASSERT_EQ(-1, parse({"--windowed"}));
    EXPECT_FALSE(options.loop);
    ASSERT_EQ(-1, parse({"--loop"}));
    EXPECT_EQ(RUN_SHOW, options.mode);
    EXPECT_TRUE(options.loop);
    ASSERT_EQ(-1, parse({"--windowed", "--loop"}));
    EXPECT_EQ(RUN_WINDOWED, options.mode);
    EXPECT_TRUE(options.loop);
    EXPECT_EQ(2, parse({"--loop", "--frames", "d", "--at", "1"}));
    EXPECT_EQ(2, parse({"--loop", "--capture", "v.mp4"}));
    EXPECT_EQ(2, parse({"--loop", "--edit"}));
}

TEST(Options, VsyncUnlessSwitchedOffInEveryMode) {
    ASSERT_EQ(-1, parse({}));
    EXPECT_TRUE(options.vsync);
    ASSERT_EQ(-1, parse({"--windowed", "--no-vsync"}));
    EXPECT_FALSE(options.vsync);
    ASSERT_EQ(-1, parse({"--no-vsync"}));
    EXPECT_EQ(RUN_SHOW, options.mode);
    EXPECT_FALSE(options.vsync);
    ASSERT_EQ(-1, parse({"--windowed"}));
    EXPECT_TRUE(options.vsync);
}

// "lightrig VERSION" on stdout, status 0, whatever else is on the line; nothing on stderr.
TEST(Options, VersionPrintsOneLineAndExitsWithStatusZero) {
    for (const auto &args : {std::initializer_list<const char *>{"--version"}, {"--windowed", "--version"}}) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(0, parse(args));
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ("", testing::internal::GetCapturedStderr());
        EXPECT_EQ(std::string(LIGHTRIG_VERSION_LINE) + "\n", out);
        EXPECT_EQ(0u, out.find("lightrig ")) << out;
        EXPECT_NE(std::string::npos, out.find('.')) << out;   // a version number, not an empty string
    }
}

TEST(Options, EditStartsAtOneMomentInAWindowOfTheSizeAsked) {
    ASSERT_EQ(-1, parse({"--edit"}));
    EXPECT_EQ(RUN_EDIT, options.mode);
    EXPECT_EQ(0, options.momentMs[0]);
    ASSERT_EQ(-1, parse({"--edit", "--at", "42.5", "--size", "800x450"}));
    EXPECT_EQ(42500, options.momentMs[0]);
    EXPECT_EQ(800, options.windowWidth);
    EXPECT_EQ(450, options.windowHeight);
}

TEST(Options, BadArgumentsPrintUsageAndGiveStatusTwo) {
    const char *const bad[][8] = {
        {"--capture", "a.mp4", "--frames", "d", "--at", "1"},   // the two offline modes exclude each other
        {"--windowed", "--size", "0x600"},
        {"--frames", "d"},                                      // neither moments nor a range
        {"--frames", "d", "--at", "1", "--from", "0"},          // moments or a range, not both
        {"--frames", "d", "--from", "5", "--to", "4"},          // a range that runs backwards
        {"--frames", "d", "--from", "-1"},
        {"--capture", "a.mp4", "--to", "5", "--duration", "2"},
        {"--windowed", "--from", "3"},                          // only the offline modes take a range
        {"--edit", "--at", "1,2"},                              // edit mode starts at one moment
        {"--at", "1"},                                          // a moment for no mode
        {"--edit", "--windowed"},
        {"--size", "800x600"},
    };
    for (const auto &args : bad) {
        SCOPED_TRACE(args[0]);
        testing::internal::CaptureStderr();
        EXPECT_EQ(2, parse(args));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, err.find("Usage: lightrig")) << err;
    }
}

// The executable itself, before any window: no display is needed.
TEST(Options, ExecutableExitsWithStatusTwoOnBadArguments) {
    char command[1024];
    snprintf(command, sizeof command, "'%s' --no-such-option 2>&1", LIGHTRIG_EXE);
    FILE *pipe = popen(command, "r");
    ASSERT_NE(nullptr, pipe);
    char output[8192];
    const size_t n = fread(output, 1, sizeof output - 1, pipe);
    output[n] = '\0';
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(2, WEXITSTATUS(status));
    EXPECT_NE(nullptr, strstr(output, "Usage: lightrig")) << output;
}

TEST(Options, GlChoosesTheDesktopProfileOrEsInEveryMode) {
    ASSERT_EQ(-1, parse({"--frames", "shots", "--at", "1"}));
    EXPECT_FALSE(options.glEs);
    ASSERT_EQ(-1, parse({"--gl", "es", "--frames", "shots", "--at", "1"}));
    EXPECT_TRUE(options.glEs);
    EXPECT_EQ(RUN_FRAMES, options.mode);
    ASSERT_EQ(-1, parse({"--gl", "es", "--edit"}));
    EXPECT_TRUE(options.glEs);
    ASSERT_EQ(-1, parse({"--gl", "desktop"}));
    EXPECT_FALSE(options.glEs);
    EXPECT_EQ(2, parse({"--gl", "metal"}));
    EXPECT_EQ(2, parse({"--gl"}));
}
