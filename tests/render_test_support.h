// Helpers shared by the rendering tests: the built show directory as working directory (its data/
// holds the shaders), pixel read-back, optional frame grabs, and simple meshes with a plain
// texture set.
#pragma once
#include "assets/mesh.h"
#include "platform/gl.h"

struct Rgb {
    int r, g, b;
};

// Makes the build's show directory (data/ with the GLSL files) the working directory.
void enterShowDir();
// An RGB texture target with a depth renderbuffer, for drawing tests off screen. Leaves it bound.
void makeColourTarget(int width, int height, GLuint *framebuffer, GLuint *colour, GLuint *depth);
// One pixel of the framebuffer's colour (0 = the default framebuffer's back buffer).
Rgb readPixel(GLuint framebuffer, int x, int y);
// With LIGHTRIG_GRAB_DIR set, writes the framebuffer's colour as <dir>/<name>.ppm for looking at.
void grabFrame(GLuint framebuffer, int width, int height, const char *name);
// An axis-aligned box with outward normals, tangents along the face's u axis, texture coordinates
// 0..1 per face, using texture set textureSet. Arrays are allocated and kept for the process.
void buildBoxMesh(MeshObject &mesh, const float low[3], const float high[3], int textureSet);
// Registers a texture set of 1 x 1 maps: base of the given colour, flat normal map, white light
// map, grey specular map. Returns its index.
int addPlainTextureSet(unsigned char r, unsigned char g, unsigned char b);
