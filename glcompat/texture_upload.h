// Texture and pixel transfers ES 3.0 does not take as they are, done with what it has: uploads in
// another channel order or count than the texture's (BGR and BGRA pictures, RGBA data into an RGB
// texture), multisample textures of one sample (a plain 2D texture: the same pixels), image copies
// (a framebuffer blit), and RGB read-backs (read as RGBA, packed). Owns the conversion buffers and
// two scratch framebuffers, made on the first image copy and kept for the run.
#pragma once
#include "platform/gl.h"

constexpr int CONVERSION_BUFFER_BYTES = 2048 * 2048 * 4;   // one upload up to 2048 x 2048 RGBA; larger ones go in bands
constexpr int READBACK_BAND_BYTES = 4096 * 64 * 4;         // rows of RGBA read back at a time

void resetTextureUpload();
void GLAD_API_PTR compatTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                GLenum format, GLenum type, const void *pixels);
void GLAD_API_PTR compatTexImage2DMultisample(GLenum target, GLsizei samples, GLenum internalFormat, GLsizei width, GLsizei height,
                           GLboolean fixedLocations);
// GL_TEXTURE_SAMPLES of the last multisample stand-in: what a multisample renderbuffer of the asked
// count gets on this context.
GLint multisampleStandInSamples();
void GLAD_API_PTR compatCopyImageSubData(GLuint source, GLenum sourceTarget, GLint sourceLevel, GLint sourceX, GLint sourceY,
                      GLint sourceZ, GLuint destination, GLenum destinationTarget, GLint destinationLevel,
                      GLint destinationX, GLint destinationY, GLint destinationZ, GLsizei width, GLsizei height,
                      GLsizei depth);
void GLAD_API_PTR compatReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void *pixels);
// Channels of an upload format (0 for one the layer does not convert).
int formatChannels(GLenum format);
// Converts count pixels from one format to another of the ones formatChannels knows.
void convertPixels(const uint8_t *from, GLenum fromFormat, uint8_t *to, GLenum toFormat, int count);
