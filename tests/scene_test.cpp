// Scene files: object lists, the 1024-object limit and malformed files.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "assets/data_file.h"
#include "assets/mesh_text.h"
#include "tests/asset_files.h"

namespace {

const float FACE_POSITIONS[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const float FACE_UV[6] = {0, 0, 1, 0, 0, 1};

struct Read {
    bool ok;
    std::string errors;
};

// Reads text as data/s.scene into scene.
Read readSceneText(const std::string &text, Scene *scene) {
    enterScratchDir();
    writeDataText("s.scene", text.c_str());
    FILE *file = xfopen("s.scene", "r");
    Read r = {false, ""};
    if (!file) return r;
    testing::internal::CaptureStderr();
    r.ok = readScene(file, "s.scene", scene);
    r.errors = testing::internal::GetCapturedStderr();
    fclose(file);
    return r;
}

void freeScene(Scene *scene) {
    for (int i = 0; i < scene->count; i++) freeMeshObject(scene->objects[i]);
    delete scene;
}

}  // namespace

TEST(SceneRead, ObjcountZeroGivesAnEmptyScene) {
    Scene *scene = new Scene();
    scene->count = 7;
    Read r = readSceneText("objcount 0\n", scene);
    EXPECT_TRUE(r.ok) << r.errors;
    EXPECT_EQ(scene->count, 0);
    freeScene(scene);
}

TEST(SceneRead, ObjectsFollowEachOtherWithoutSeparators) {
    const float moved[9] = {5, 5, 5, 6, 5, 5, 5, 6, 5};
    std::string text = "objcount 2\no wall_1\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV) +
                       "o lamp_2\nnumfaces 2\n" + faceLines(moved, FACE_UV) + faceLines(FACE_POSITIONS, FACE_UV);
    Scene *scene = new Scene();
    Read r = readSceneText(text, scene);
    ASSERT_TRUE(r.ok) << r.errors;
    ASSERT_EQ(scene->count, 2);
    EXPECT_STREQ(scene->objects[0]->name, "wall_1");
    EXPECT_EQ(scene->objects[0]->faceCount, 1);
    EXPECT_STREQ(scene->objects[1]->name, "lamp_2");
    EXPECT_EQ(scene->objects[1]->faceCount, 2);
    EXPECT_EQ(scene->objects[1]->positions[0], 5.0f);
    EXPECT_EQ(scene->objects[1]->positions[9], 0.0f);
    EXPECT_EQ(*scene->objects[1]->animated, 0);
    freeScene(scene);
}

TEST(SceneRead, ObjectsPastTheLimitAreReportedAndLeftUnread) {
    std::string text = "objcount 1025\n";
    for (int i = 0; i < 1025; i++) text += "o part_" + std::to_string(i) + "\nnumfaces 0\n";
    Scene *scene = new Scene();
    Read r = readSceneText(text, scene);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(scene->count, MAX_SCENE_OBJECTS);
    EXPECT_STREQ(scene->objects[MAX_SCENE_OBJECTS - 1]->name, "part_1023");
    EXPECT_EQ(r.errors, "s.scene: objcount 1025, only the first 1024 objects are loaded\n");
    freeScene(scene);
}

TEST(SceneRead, MalformedFilesAreRefusedWithOneLine) {
    const struct {
        std::string text;
        const char *report;
    } cases[] = {
        {"", "s.scene line 1: file ends where \"objcount <count>\" was expected"},
        {"objcount -1\n", "s.scene line 1: negative objcount -1"},
        {"objcount two\n", "s.scene line 1: expected \"objcount <count>\""},
        {"objcount 2\no a\nnumfaces 0\n", "s.scene line 4: file ends where \"o <name>\" was expected"},
        {"objcount 2\no a\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV) + "\no b\nnumfaces 0\n",
         "s.scene line 13: expected \"o <name>\""},
    };
    for (const auto &c : cases) {
        Scene *scene = new Scene();
        Read r = readSceneText(c.text, scene);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(scene->count, 0);
        EXPECT_EQ(r.errors, std::string(c.report) + "\n") << c.text;
        delete scene;
    }
}

TEST(LoadSceneDeathTest, MissingOrMalformedSceneEndsTheProcess) {
    enterScratchDir();
    EXPECT_EXIT(loadScene("mirrorscene.scene"), testing::ExitedWithCode(1), "can't open file mirrorscene.scene\n");
    writeDataText("bad.scene", "objcount 1\no a\nnumfaces x\n");
    EXPECT_EXIT(loadScene("bad.scene"), testing::ExitedWithCode(1), "bad.scene line 3: expected \"numfaces <count>\"");
}
