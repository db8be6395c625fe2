// Rendering-test helpers (test code: may allocate freely).
#include "tests/render_test_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "assets/texture.h"

void enterShowDir() {
    if (chdir(LIGHTRIG_SHOW_DIR) != 0) {
        perror(LIGHTRIG_SHOW_DIR);
        abort();
    }
}

Rgb readPixel(GLuint framebuffer, int x, int y) {
    unsigned char pixel[4] = {0, 0, 0, 0};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    if (framebuffer == 0) glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return {pixel[0], pixel[1], pixel[2]};
}

void grabFrame(GLuint framebuffer, int width, int height, const char *name) {
    const char *dir = getenv("LIGHTRIG_GRAB_DIR");
    if (!dir) return;
    unsigned char *pixels = new unsigned char[(size_t)width * height * 3];
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    if (framebuffer == 0) glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    char path[1024];
    snprintf(path, sizeof path, "%s/%s.ppm", dir, name);
    FILE *file = fopen(path, "wb");
    if (file) {
        fprintf(file, "P6\n%d %d\n255\n", width, height);
        for (int y = height - 1; y >= 0; y--) fwrite(pixels + (size_t)y * width * 3, 3, width, file);
        fclose(file);
    }
    delete[] pixels;
}

void buildBoxMesh(MeshObject &mesh, const float low[3], const float high[3], int textureSet) {
    const int faces = 12, corners = faces * 3;
    memset(&mesh, 0, sizeof mesh);
    mesh.textureSet = textureSet;
    mesh.animated = new int(0);
    mesh.faceCount = faces;
    mesh.positions = new float[corners * 3];
    mesh.normals = new float[corners * 3];
    mesh.texCoords = new float[corners * 2];
    mesh.tangents = new float[corners * 3];
    mesh.handedness = new float[corners];
    const float centre[3] = {(low[0] + high[0]) * 0.5f, (low[1] + high[1]) * 0.5f, (low[2] + high[2]) * 0.5f};
    const float half[3] = {(high[0] - low[0]) * 0.5f, (high[1] - low[1]) * 0.5f, (high[2] - low[2]) * 0.5f};
    // Per face: the corner order of its two triangles in (s, t) = (-1/+1, -1/+1).
    const int order[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
    int corner = 0;
    for (int axis = 0; axis < 3; axis++) {
        for (int sign = -1; sign <= 1; sign += 2) {
            // u x v points along the outward normal.
            const int u = sign > 0 ? (axis + 1) % 3 : (axis + 2) % 3;
            const int v = sign > 0 ? (axis + 2) % 3 : (axis + 1) % 3;
            for (int k = 0; k < 6; k++, corner++) {
                float p[3] = {centre[0], centre[1], centre[2]};
                p[axis] += sign * half[axis];
                p[u] += order[k][0] * half[u];
                p[v] += order[k][1] * half[v];
                for (int c = 0; c < 3; c++) {
                    mesh.positions[corner * 3 + c] = p[c];
                    mesh.normals[corner * 3 + c] = c == axis ? (float)sign : 0.0f;
                    mesh.tangents[corner * 3 + c] = c == u ? 1.0f : 0.0f;
                }
                mesh.texCoords[corner * 2] = (order[k][0] + 1) * 0.5f;
                mesh.texCoords[corner * 2 + 1] = (order[k][1] + 1) * 0.5f;
                mesh.handedness[corner] = 1.0f;
            }
        }
    }
}

static GLuint pixelTexture(unsigned char r, unsigned char g, unsigned char b) {
    const unsigned char pixel[4] = {r, g, b, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

int addPlainTextureSet(unsigned char r, unsigned char g, unsigned char b) {
    TextureSet &set = textureSets[textureSetCount];
    snprintf(set.name, sizeof set.name, "plain%d", textureSetCount);
    set.base = pixelTexture(r, g, b);
    set.normal = pixelTexture(128, 128, 255);
    set.chraber = pixelTexture(255, 255, 255);
    set.specular = pixelTexture(128, 128, 128);
    return textureSetCount++;
}

void makeColourTarget(int width, int height, GLuint *framebuffer, GLuint *colour, GLuint *depth) {
    glGenFramebuffers(1, framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, *framebuffer);
    glGenTextures(1, colour);
    glBindTexture(GL_TEXTURE_2D, *colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, *colour, 0);
    glGenRenderbuffers(1, depth);
    glBindRenderbuffer(GL_RENDERBUFFER, *depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, *depth);
}
