// Cube maps as the desktop samples them. ES 3.0 always filters a cube map across its faces
// (seamless) and with other arithmetic inside them; the desktop profile, without
// GL_TEXTURE_CUBE_MAP_SEAMLESS, clamps at each face's edge. On ES the layer therefore keeps every
// texture the engine binds as a cube map as a 2D array texture of its six faces (layer = face, in
// GL's order +X -X +Y -Y +Z -Z), under the engine's own name: the face uploads, copies, mipmaps,
// parameters and framebuffer attachments go to the array, and the translated shaders pick the face
// and its coordinates themselves (shader_translate) and sample the array, which filters each face
// on its own. Keeps the sizes of the levels it has defined per texture; no GL objects of its own.
#pragma once
#include "platform/gl.h"

constexpr int MAX_CUBE_TEXTURES = 16;   // cube maps alive at once; the show makes two
constexpr int MAX_CUBE_LEVELS = 16;     // mip levels per face: up to 32768 pixels a side

void resetCubeFaces();
bool isCubeFaceTarget(GLenum target);
// glBindTexture(GL_TEXTURE_CUBE_MAP, texture): binds the texture's array (0 unbinds).
void bindCubeArray(GLuint texture);
// A face's image (pixels in format and type, or none) into the array bound as a cube map; the
// level is defined for all six faces when its size changes.
void cubeFaceImage(GLenum faceTarget, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLenum format, GLenum type, const void *pixels);
void cubeFaceSubImage(GLenum faceTarget, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                      GLenum type, const void *pixels);
// Attaches one face of a level to the framebuffer target's first colour attachment.
void attachCubeFace(GLenum framebufferTarget, GLuint texture, GLint level, int face);
// The layer's entry points for calls that name the cube-map target.
void GLAD_API_PTR compatCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x,
                                             GLint y, GLsizei width, GLsizei height);
void GLAD_API_PTR compatGenerateMipmap(GLenum target);
void GLAD_API_PTR compatTexParameteri(GLenum target, GLenum name, GLint value);
void GLAD_API_PTR compatDeleteTextures(GLsizei count, const GLuint *textures);
