// Owns the conversion buffers, the multisample probe's answer and the image-copy framebuffers.
#include "glcompat/texture_upload.h"

#include <string.h>

#include "glcompat/cube_faces.h"   // cube faces go to their array
#include "glcompat/real_gl.h"

static struct {
    uint8_t pixels[CONVERSION_BUFFER_BYTES];
    uint8_t band[READBACK_BAND_BYTES];
    GLint standInSamples;
    GLuint copyFramebuffers[2];   // read, draw
} uploads;

void resetTextureUpload() {
    uploads.standInSamples = 0;
    uploads.copyFramebuffers[0] = uploads.copyFramebuffers[1] = 0;
}

int formatChannels(GLenum format) {
    switch (format) {
    case GL_RED:
    case GL_LUMINANCE:
    case GL_ALPHA: return 1;
    case GL_RG:
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB:
    case GL_BGR: return 3;
    case GL_RGBA:
    case GL_BGRA: return 4;
    default: return 0;
    }
}

// The unsized format a texture of this internal format has: the legacy component counts 1 to 4
// included.
static GLenum unsizedFormat(GLint internalFormat) {
    switch (internalFormat) {
    case 1: return GL_LUMINANCE;
    case 2: return GL_LUMINANCE_ALPHA;
    case 3: return GL_RGB;
    case 4: return GL_RGBA;
    case GL_RGB:
    case GL_RGBA:
    case GL_LUMINANCE:
    case GL_LUMINANCE_ALPHA:
    case GL_ALPHA: return (GLenum)internalFormat;
    default: return 0;   // sized: the context takes the data as it is
    }
}

// One pixel's red, green, blue and alpha in the order of the format (missing alpha reads opaque).
static void readPixel(const uint8_t *p, GLenum format, uint8_t rgba[4]) {
    switch (format) {
    case GL_BGR: rgba[0] = p[2]; rgba[1] = p[1]; rgba[2] = p[0]; rgba[3] = 255; break;
    case GL_BGRA: rgba[0] = p[2]; rgba[1] = p[1]; rgba[2] = p[0]; rgba[3] = p[3]; break;
    case GL_RGB: rgba[0] = p[0]; rgba[1] = p[1]; rgba[2] = p[2]; rgba[3] = 255; break;
    case GL_RGBA: memcpy(rgba, p, 4); break;
    case GL_LUMINANCE: rgba[0] = rgba[1] = rgba[2] = p[0]; rgba[3] = 255; break;
    case GL_LUMINANCE_ALPHA: rgba[0] = rgba[1] = rgba[2] = p[0]; rgba[3] = p[1]; break;
    case GL_ALPHA: rgba[0] = rgba[1] = rgba[2] = 0; rgba[3] = p[0]; break;
    default: rgba[0] = p[0]; rgba[1] = rgba[2] = 0; rgba[3] = 255; break;   // GL_RED, GL_RG's first
    }
}

// A texture keeps its own components: luminance textures take the red channel, RGB ones drop alpha.
static void writePixel(const uint8_t rgba[4], GLenum format, uint8_t *p) {
    switch (format) {
    case GL_RGB: memcpy(p, rgba, 3); break;
    case GL_RGBA: memcpy(p, rgba, 4); break;
    case GL_LUMINANCE: p[0] = rgba[0]; break;
    case GL_LUMINANCE_ALPHA: p[0] = rgba[0]; p[1] = rgba[3]; break;
    case GL_ALPHA: p[0] = rgba[3]; break;
    default: break;
    }
}

void convertPixels(const uint8_t *from, GLenum fromFormat, uint8_t *to, GLenum toFormat, int count) {
    const int fromSize = formatChannels(fromFormat), toSize = formatChannels(toFormat);
    for (int i = 0; i < count; i++) {
        uint8_t rgba[4];
        readPixel(from + i * fromSize, fromFormat, rgba);
        writePixel(rgba, toFormat, to + i * toSize);
    }
}

// The real uploads, a cube map's faces into its array.
static void uploadImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                        GLenum format, GLenum type, const void *pixels) {
    if (isCubeFaceTarget(target))
        cubeFaceImage(target, level, internalFormat, width, height, format, type, pixels);
    else
        realGl.texImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}

static void uploadBand(GLenum target, GLint level, GLint y, GLsizei width, GLsizei rows, GLenum format, GLenum type,
                       const void *pixels) {
    if (isCubeFaceTarget(target))
        cubeFaceSubImage(target, level, 0, y, width, rows, format, type, pixels);
    else
        glTexSubImage2D(target, level, 0, y, width, rows, format, type, pixels);
}

static int rowBytes(int width, int channels, int alignment) {
    const int bytes = width * channels;
    return (bytes + alignment - 1) / alignment * alignment;
}

void GLAD_API_PTR compatTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                GLenum format, GLenum type, const void *pixels) {
    const GLenum textureFormat = unsizedFormat(internalFormat);
    const bool convert = textureFormat && type == GL_UNSIGNED_BYTE && formatChannels(format) &&
                         (format != textureFormat);
    if (textureFormat && !convert) {
        uploadImage(target, level, (GLint)textureFormat, width, height, border, textureFormat, type, pixels);
        return;
    }
    if (!textureFormat) {
        uploadImage(target, level, internalFormat, width, height, border, format, type, pixels);
        return;
    }
    if (!pixels) {
        uploadImage(target, level, (GLint)textureFormat, width, height, border, textureFormat, type, nullptr);
        return;
    }
    GLint alignment = 4;
    realGl.getIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    const int fromChannels = formatChannels(format), toChannels = formatChannels(textureFormat);
    const int fromRow = rowBytes(width, fromChannels, alignment);
    const int toRow = width * toChannels;
    const int bandRows = toRow > 0 ? CONVERSION_BUFFER_BYTES / toRow : 0;
    if (bandRows == 0) {
        reportCompat("glTexImage2D: a row of %d pixels does not fit the conversion buffer\n", width);
        return;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const bool whole = bandRows >= height;
    if (!whole) uploadImage(target, level, (GLint)textureFormat, width, height, border, textureFormat, type, nullptr);
    for (int y = 0; y < height; y += bandRows) {
        const int rows = height - y < bandRows ? height - y : bandRows;
        for (int r = 0; r < rows; r++)
            convertPixels((const uint8_t *)pixels + (size_t)(y + r) * fromRow, format, uploads.pixels + (size_t)r * toRow,
                          textureFormat, width);
        if (whole)
            uploadImage(target, level, (GLint)textureFormat, width, height, border, textureFormat, type,
                              uploads.pixels);
        else
            uploadBand(target, level, y, width, rows, textureFormat, type, uploads.pixels);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

// The colour format of an RGB(A) multisample texture's single-sample stand-in.
static GLenum standInFormat(GLenum internalFormat) {
    return internalFormat == GL_RGB || internalFormat == GL_RGB8 ? GL_RGB : GL_RGBA;
}

void GLAD_API_PTR compatTexImage2DMultisample(GLenum target, GLsizei samples, GLenum internalFormat, GLsizei width, GLsizei height,
                           GLboolean fixedLocations) {
    (void)target;
    (void)fixedLocations;
    // What the context would give a multisample buffer of this count: a renderbuffer answers.
    GLint boundRenderbuffer = 0;
    realGl.getIntegerv(GL_RENDERBUFFER_BINDING, &boundRenderbuffer);
    GLuint probe = 0;
    glGenRenderbuffers(1, &probe);
    glBindRenderbuffer(GL_RENDERBUFFER, probe);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, 1, 1);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &uploads.standInSamples);
    glBindRenderbuffer(GL_RENDERBUFFER, (GLuint)boundRenderbuffer);
    glDeleteRenderbuffers(1, &probe);
    if (samples > 1) reportCompat("glTexImage2DMultisample: %d samples drawn as one (ES 3.0 has no multisample textures)\n", samples);
    const GLenum format = standInFormat(internalFormat);
    realGl.texImage2D(GL_TEXTURE_2D, 0, (GLint)format, width, height, 0, format, GL_UNSIGNED_BYTE, nullptr);
    realGl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    realGl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

GLint multisampleStandInSamples() {
    return uploads.standInSamples;
}

static void attachImage(GLenum framebufferTarget, GLuint texture, GLenum target, GLint level, GLint layer) {
    if (target == GL_TEXTURE_CUBE_MAP)
        attachCubeFace(framebufferTarget, texture, level, layer);
    else
        realGl.framebufferTexture2D(framebufferTarget, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, level);
}

// Layer by layer (cube faces), a blit from one attached image to the other: the pixels are copied
// exactly (same size, nearest). The scissor test is off for it, the framebuffer bindings come back.
void GLAD_API_PTR compatCopyImageSubData(GLuint source, GLenum sourceTarget, GLint sourceLevel, GLint sourceX, GLint sourceY,
                      GLint sourceZ, GLuint destination, GLenum destinationTarget, GLint destinationLevel,
                      GLint destinationX, GLint destinationY, GLint destinationZ, GLsizei width, GLsizei height,
                      GLsizei depth) {
    if (!uploads.copyFramebuffers[0]) glGenFramebuffers(2, uploads.copyFramebuffers);
    GLint readBinding = 0, drawBinding = 0;
    realGl.getIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    realGl.getIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
    const GLboolean scissor = realGl.isEnabled(GL_SCISSOR_TEST);
    if (scissor) realGl.disable(GL_SCISSOR_TEST);
    realGl.bindFramebuffer(GL_READ_FRAMEBUFFER, uploads.copyFramebuffers[0]);
    realGl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, uploads.copyFramebuffers[1]);
    for (int layer = 0; layer < depth; layer++) {
        attachImage(GL_READ_FRAMEBUFFER, source, sourceTarget, sourceLevel, sourceZ + layer);
        attachImage(GL_DRAW_FRAMEBUFFER, destination, destinationTarget, destinationLevel, destinationZ + layer);
        realGl.blitFramebuffer(sourceX, sourceY, sourceX + width, sourceY + height, destinationX, destinationY,
                               destinationX + width, destinationY + height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    // Detached, so the copy framebuffers hold no texture alive and no feedback loop can form.
    realGl.framebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    realGl.framebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    realGl.bindFramebuffer(GL_READ_FRAMEBUFFER, (GLuint)readBinding);
    realGl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, (GLuint)drawBinding);
    if (scissor) realGl.enable(GL_SCISSOR_TEST);
}

// ES reads RGBA bytes on every context; other byte formats are read as that and converted, a band of
// rows at a time, into rows of the pack alignment.
void GLAD_API_PTR compatReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void *pixels) {
    if (format == GL_RGBA || type != GL_UNSIGNED_BYTE || !formatChannels(format) || width <= 0) {
        realGl.readPixels(x, y, width, height, format, type, pixels);
        return;
    }
    GLint alignment = 4;
    realGl.getIntegerv(GL_PACK_ALIGNMENT, &alignment);
    const int outRow = rowBytes(width, formatChannels(format), alignment);
    const int bandRows = READBACK_BAND_BYTES / (width * 4);
    if (bandRows == 0) {
        reportCompat("glReadPixels: a row of %d pixels does not fit the read-back band\n", width);
        return;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (int row = 0; row < height; row += bandRows) {
        const int rows = height - row < bandRows ? height - row : bandRows;
        realGl.readPixels(x, y + row, width, rows, GL_RGBA, GL_UNSIGNED_BYTE, uploads.band);
        for (int r = 0; r < rows; r++) {
            uint8_t *out = (uint8_t *)pixels + (size_t)(row + r) * outRow;
            const uint8_t *in = uploads.band + (size_t)r * width * 4;
            // The BGR orders read as their RGB ones with red and blue exchanged.
            for (int i = 0; i < width; i++) {
                uint8_t rgba[4];
                memcpy(rgba, in + i * 4, 4);
                if (format == GL_BGR || format == GL_BGRA) {
                    const uint8_t red = rgba[0];
                    rgba[0] = rgba[2];
                    rgba[2] = red;
                }
                if (format == GL_BGR) memcpy(out + i * 3, rgba, 3);
                else if (format == GL_BGRA) memcpy(out + i * 4, rgba, 4);
                else writePixel(rgba, format, out + i * formatChannels(format));
            }
        }
    }
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
}
