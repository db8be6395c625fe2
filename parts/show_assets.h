// The loaded content the parts draw with: the room, the cubes, the sculpture, the curve mesh, their
// programs and textures. Filled once by the loading sequence; nothing here is released.
#pragma once
#include <stdint.h>

#include "assets/mesh.h"
#include "assets/scene.h"
#include "assets/shader.h"

constexpr float CUBE_SCALE = 0.75f;   // the cube meshes and the sculpture are modelled a third too big

struct ShowAssets {
    Scene *room;                 // mirrorscene.scene
    MeshObject *cubes[6];        // cube1, cube2, cube1, cube2, cube3, cube4 (scaled CUBE_SCALE)
    MeshObject *phongfx;         // phongfx.3dm (scaled CUBE_SCALE)
    MeshObject *curve;           // data/ddc2.dae
    ShaderProgram selfIllumMesh;   // mshmappass2.vert + mselfillum.frag
    ShaderProgram tutorial;        // tutorial2.vert + tutorial2.frag
    ShaderProgram roomReceiver;    // mshmappass2spot.vert + mshmappass2spot.frag
    ShaderProgram depthColour;     // mtutorial2.vert + mdofblur1.frag: camera depth as colour
    ShaderProgram selfIllum;       // passthroughvertexshader.vert + selfillum.frag
    ShaderProgram raymarch;        // Passthroughvertexshader.vert + raymarch1.frag
    uint32_t phongfxTexture;       // backdrop of the cube pass in mode 3
    uint32_t paletteTexture;       // bouncingpalette.tga
    uint32_t fontTexture;          // font2.tga
};

// Written only by the loading sequence.
extern ShowAssets showAssets;
