// The layer that stands in for the compatibility profile on an OpenGL ES 3.0 context: it puts its
// own functions behind the loader's legacy entry points (immediate mode, the matrix stack, display
// lists, lights and materials, the attribute stack, GLU) and behind the ES entry points whose
// desktop use ES does not take as it is (enables, queries, texture uploads, shader sources, draws),
// so the engine's drawing code reads as it does on the desktop. What it takes over is listed in
// interceptions.h. The GL objects it creates are named in the headers of its modules; all are made
// on first use and kept for the run.
#pragma once
#include "platform/gl.h"

// Resolves the ES 3.0 entry points (and nothing outside ES 3.0) through lookUp into the loader and
// installs the layer over them. Lines the layer cannot do as asked go to report. False when the
// context offers no ES 3.0.
bool installCompatLayer(GLADloadfunc lookUp, void (*report)(const char *line));
// Puts the context's own entries back in every slot the install took (the slots of entry points
// ES lacks are emptied) and gluEntryPoints back to what it held.
void removeCompatLayer();
// The context was lost and given back: the objects the layer made with it are gone. Installing the
// layer again afterwards resets the rest of its state; the objects are made again on first use.
void forgetCompatObjects();
