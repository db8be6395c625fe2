// Owns the GLU entry points the engine calls; they start at the system's GLU.
#include "platform/gl.h"

#undef gluPerspective
#undef gluLookAt
#undef gluBuild2DMipmaps
#undef gluScaleImage

#ifdef __EMSCRIPTEN__
// A browser has no GLU: the ES layer puts its stand-ins here when it is installed.
GluEntryPoints gluEntryPoints = {};
#else
GluEntryPoints gluEntryPoints = {&::gluPerspective, &::gluLookAt, &::gluBuild2DMipmaps, &::gluScaleImage};
#endif
