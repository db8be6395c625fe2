// Scene files: object lists, the 1024-object limit and malformed files.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "assets/data_file.h"
#include "assets/mesh_load.h"
#include "assets/mesh_text.h"
#include "tests/asset_files.h"

namespace {

const float FACE_POSITIONS[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const float MOVED_POSITIONS[9] = {5, 5, 5, 6, 5, 5, 5, 6, 5};
const float FACE_UV[6] = {0, 0, 1, 0, 0, 1};

// Reads text as data/s.scene into a new scene; returns what went to stderr.
std::string readSceneText(const std::string &text, Scene *scene, bool *ok) {
    enterScratchDir();
    writeDataText("s.scene", text.c_str());
    FILE *file = xfopen("s.scene", "rb");
    testing::internal::CaptureStderr();
    *ok = readScene(file, "s.scene", scene);
    fclose(file);
    return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(SceneRead, ObjectsFollowEachOtherUpToTheLimit) {
    Scene *scene = new Scene();
    bool ok;
    EXPECT_EQ(readSceneText("objcount 0\n", scene, &ok), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(scene->count, 0);

    readSceneText("objcount 2\no wall_1\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV) + "o lamp_2\nnumfaces 2\n" +
                      faceLines(MOVED_POSITIONS, FACE_UV) + faceLines(FACE_POSITIONS, FACE_UV),
                  scene, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(scene->count, 2);
    EXPECT_STREQ(scene->objects[1]->name, "lamp_2");
    EXPECT_EQ(scene->objects[1]->faceCount, 2);
    EXPECT_EQ(scene->objects[1]->positions[0], 5.0f);
    for (int i = 0; i < scene->count; i++) freeMeshObject(scene->objects[i]);

    std::string many = "objcount 1025\n";
    for (int i = 0; i < 1025; i++) many += "o part_" + std::to_string(i) + "\nnumfaces 0\n";
    EXPECT_EQ(readSceneText(many, scene, &ok), "s.scene: objcount 1025, only the first 1024 objects are loaded\n");
    EXPECT_EQ(scene->count, MAX_SCENE_OBJECTS);
    EXPECT_STREQ(scene->objects[MAX_SCENE_OBJECTS - 1]->name, "part_1023");
    for (int i = 0; i < scene->count; i++) freeMeshObject(scene->objects[i]);
    delete scene;
}

TEST(SceneRead, MalformedFilesAreRefusedWithOneLine) {
    const struct {
        std::string text;
        const char *report;
    } cases[] = {
        {"objcount 2\no a\nnumfaces 0\n", "s.scene line 4: file ends where \"o <name>\" was expected\n"},
    };
    for (const auto &c : cases) {
        Scene scene;
        bool ok;
        EXPECT_EQ(readSceneText(c.text, &scene, &ok), c.report);
        EXPECT_FALSE(ok);
        EXPECT_EQ(scene.count, 0);
    }
}

TEST(LoadSceneDeathTest, MissingOrMalformedSceneEndsTheProcess) {
    enterScratchDir();
    EXPECT_EXIT(loadScene("mirrorscene.scene"), testing::ExitedWithCode(1), "can't open file mirrorscene.scene\n");
    writeDataText("bad.scene", "objcount 1\no a\nnumfaces x\n");
    EXPECT_EXIT(loadScene("bad.scene"), testing::ExitedWithCode(1), "bad.scene line 3: expected \"numfaces <count>\"");
}
