// OpenGL for the engine: the generated loader (every call error-checked) and GLU, in that order.
// GLU is reached through gluEntryPoints, which start at the system's GLU; a context that has none
// (OpenGL ES) gets stand-ins put there, and the engine's calls read the same either way.
#pragma once
#include <glad/gl.h>
#include <GL/glu.h>

struct GluEntryPoints {
    decltype(&::gluPerspective) perspective;
    decltype(&::gluLookAt) lookAt;
    decltype(&::gluBuild2DMipmaps) build2DMipmaps;
    decltype(&::gluScaleImage) scaleImage;
};
extern GluEntryPoints gluEntryPoints;   // written by the ES layer's installer only

#define gluPerspective gluEntryPoints.perspective
#define gluLookAt gluEntryPoints.lookAt
#define gluBuild2DMipmaps gluEntryPoints.build2DMipmaps
#define gluScaleImage gluEntryPoints.scaleImage
