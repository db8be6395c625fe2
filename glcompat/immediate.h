// Immediate mode and display lists over a vertex batch: glBegin/glEnd collect vertices with the
// current colour, texture coordinate and normal, and glEnd draws them (quads and polygons as
// triangles) with the program in use or, with none, with a fixed-function stand-in program
// (colour, modulated by the unit-0 texture when 2D texturing is on there). Lists record batches
// and play them back.
// GL objects: one vertex array and one buffer for the batch and the two stand-in programs, made on
// the first draw and kept for the run.
#pragma once
#include "platform/gl.h"

constexpr int MAX_BATCH_VERTICES = 65536;        // one glBegin/glEnd; the show's largest holds a few thousand
constexpr int MAX_LIST_VERTICES = 1 << 20;       // all display lists together
constexpr int MAX_DISPLAY_LISTS = 4096;

void resetImmediate();
// The context that held the batch's objects and programs is gone: the next draw makes them again.
void forgetImmediateObjects();
void beginPrimitive(GLenum mode);
// Appends a vertex at (x, y, z, w) with the current attributes.
void emitVertex(float x, float y, float z, float w);
void endPrimitive();
bool insidePrimitive();
void emitRect(float x0, float y0, float x1, float y1);

GLuint generateLists(int count);
void newList(GLuint list, GLenum mode);
void endList();
void callList(GLuint list);
// Vertices recorded for a list (tests).
int listVertexCount(GLuint list);
