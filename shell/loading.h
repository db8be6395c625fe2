// The loading sequence: everything the show needs is created before the first frame, behind a
// progress screen, and the content the parts draw with.
#pragma once
#include <stdint.h>

#include "assets/mesh.h"
#include "assets/scene.h"
#include "assets/shader.h"

constexpr int LOADING_STEPS = 32;        // progress steps; the bar is exactly full after the last
constexpr int PROGRESS_BAR_X = 560;      // bar rectangle, pixels, origin bottom left
constexpr int PROGRESS_BAR_Y = 514;
constexpr int PROGRESS_BAR_WIDTH = 800;
constexpr int PROGRESS_BAR_HEIGHT = 48;
constexpr int PROGRESS_STEP_PIXELS = 25; // 32 steps x 25 = the whole bar

// Loaded once by loadAll; read by the parts. Nothing here is released.
struct ShowAssets {
    Scene *room;                 // mirrorscene.scene
    MeshObject *cubes[6];        // cube1, cube2, cube1, cube2, cube3, cube4 (scaled 0.75)
    MeshObject *phongfx;         // phongfx.3dm (scaled 0.75)
    MeshObject *curve;           // data/ddc2.dae
    ShaderProgram selfIllumMesh;   // mshmappass2.vert + mselfillum.frag
    ShaderProgram tutorial;        // tutorial2.vert + tutorial2.frag
    ShaderProgram roomReceiver;    // mshmappass2spot.vert + mshmappass2spot.frag
    ShaderProgram depthColour;     // mtutorial2.vert + mdofblur1.frag: camera depth as colour
    ShaderProgram selfIllum;       // passthroughvertexshader.vert + selfillum.frag
    ShaderProgram lens;            // Passthroughvertexshader.vert + lens2.frag
    ShaderProgram raymarch;        // Passthroughvertexshader.vert + raymarch1.frag
    uint32_t loadingPicture, barFill, barBack;
    uint32_t phongfxTexture;       // backdrop of the cube pass in mode 3
    uint32_t paletteTexture;       // bouncingpalette.tga
    uint32_t fontTexture;          // font2.tga
    uint32_t environmentCube;      // cube map of the room, rendered every frame
};

extern ShowAssets showAssets;

// Returns 1; missing files are handled by the loaders.
int loadAll();
// Advances and presents the progress screen; Escape ends the process here with status 0.
void progressStep();
// Width of the bar's fill after count steps (pixels): 25 per step, never past the bar.
int progressFillWidth(float count);

// Framebuffer of the 512 x 512 environment target: the first framebuffer loading creates.
unsigned int environmentFramebuffer();
