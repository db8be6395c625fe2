// Owns the table of textures kept as face arrays and the sizes of their defined levels.
#include "glcompat/cube_faces.h"

#include "glcompat/real_gl.h"

constexpr int CUBE_FACES = 6;

struct CubeTexture {
    GLuint name;
    GLsizei levelSize[MAX_CUBE_LEVELS];   // pixels a side; 0 until the level is defined
};

// Reset when the layer is installed; an entry lives from the texture's first bind as a cube map
// to its deletion.
static struct {
    CubeTexture textures[MAX_CUBE_TEXTURES];
    int count;
    bool reportedFull;
} cubes;

static CubeTexture *findCube(GLuint name) {
    for (int i = 0; i < cubes.count; i++)
        if (cubes.textures[i].name == name) return &cubes.textures[i];
    return nullptr;
}

static CubeTexture *boundCube() {
    GLint bound = 0;
    realGl.getIntegerv(GL_TEXTURE_BINDING_2D_ARRAY, &bound);
    return bound ? findCube((GLuint)bound) : nullptr;
}

static int faceOf(GLenum faceTarget) {
    return (int)(faceTarget - GL_TEXTURE_CUBE_MAP_POSITIVE_X);
}

static GLenum arrayTarget(GLenum target) {
    return target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_2D_ARRAY : target;
}

void resetCubeFaces() {
    cubes.count = 0;
    cubes.reportedFull = false;
}

bool isCubeFaceTarget(GLenum target) {
    return target >= GL_TEXTURE_CUBE_MAP_POSITIVE_X && target <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z;
}

void bindCubeArray(GLuint texture) {
    if (texture && !findCube(texture)) {
        if (cubes.count < MAX_CUBE_TEXTURES) {
            cubes.textures[cubes.count] = CubeTexture{texture, {}};
            cubes.count++;
        } else if (!cubes.reportedFull) {
            // The array still works; its levels are then defined afresh at every face upload.
            reportCompat("glBindTexture: more than %d cube maps; later ones keep one face per level\n",
                         MAX_CUBE_TEXTURES);
            cubes.reportedFull = true;
        }
    }
    realGl.bindTexture(GL_TEXTURE_2D_ARRAY, texture);
}

void cubeFaceImage(GLenum faceTarget, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLenum format, GLenum type, const void *pixels) {
    if (width != height || level < 0 || level >= MAX_CUBE_LEVELS) {
        reportCompat("glTexImage2D: a cube face of %d x %d at level %d is not kept\n", width, height, level);
        return;
    }
    CubeTexture *cube = boundCube();
    if (!cube || cube->levelSize[level] != width) {
        glTexImage3D(GL_TEXTURE_2D_ARRAY, level, internalFormat, width, height, CUBE_FACES, 0, format, type, nullptr);
        if (cube) cube->levelSize[level] = width;
    }
    if (pixels) glTexSubImage3D(GL_TEXTURE_2D_ARRAY, level, 0, 0, faceOf(faceTarget), width, height, 1, format, type, pixels);
}

void cubeFaceSubImage(GLenum faceTarget, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                      GLenum type, const void *pixels) {
    glTexSubImage3D(GL_TEXTURE_2D_ARRAY, level, x, y, faceOf(faceTarget), width, height, 1, format, type, pixels);
}

void attachCubeFace(GLenum framebufferTarget, GLuint texture, GLint level, int face) {
    glFramebufferTextureLayer(framebufferTarget, GL_COLOR_ATTACHMENT0, texture, level, face);
}

void GLAD_API_PTR compatCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x,
                                             GLint y, GLsizei width, GLsizei height) {
    if (!isCubeFaceTarget(target)) {
        realGl.copyTexSubImage2D(target, level, xOffset, yOffset, x, y, width, height);
        return;
    }
    glCopyTexSubImage3D(GL_TEXTURE_2D_ARRAY, level, xOffset, yOffset, faceOf(target), x, y, width, height);
}

void GLAD_API_PTR compatGenerateMipmap(GLenum target) {
    realGl.generateMipmap(arrayTarget(target));
}

void GLAD_API_PTR compatTexParameteri(GLenum target, GLenum name, GLint value) {
    realGl.texParameteri(arrayTarget(target), name, value);
}

void GLAD_API_PTR compatDeleteTextures(GLsizei count, const GLuint *textures) {
    for (GLsizei i = 0; i < count; i++) {
        CubeTexture *cube = findCube(textures[i]);
        if (cube) *cube = cubes.textures[--cubes.count];
    }
    realGl.deleteTextures(count, textures);
}
