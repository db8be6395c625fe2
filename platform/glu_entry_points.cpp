// Owns the GLU entry points the engine calls; they start at the system's GLU.
#include "platform/gl.h"

#undef gluPerspective
#undef gluLookAt
#undef gluBuild2DMipmaps
#undef gluScaleImage

GluEntryPoints gluEntryPoints = {&::gluPerspective, &::gluLookAt, &::gluBuild2DMipmaps, &::gluScaleImage};
