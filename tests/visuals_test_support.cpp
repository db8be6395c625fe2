// Strict file readers and geometry helpers for the visual content tests; owns the cached
// world-space triangles of the scene (read on first use).
#include "visuals_test_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "assets/mesh_text.h"
#include "assets/tga.h"

std::string dataPath(const std::string& name) { return std::string(VISUALS_DATA_DIR) + "/" + name; }

bool readBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string readText(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!readBytes(path, bytes)) return std::string();
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool decodeTga(const std::vector<uint8_t>& bytes, DecodedTga& image, std::string& error) {
    TgaImage decoded = {};
    testing::internal::CaptureStderr();
    const bool ok = decodeTga(&decoded, bytes.data(), bytes.size(), "generated image");
    error = testing::internal::GetCapturedStderr();
    if (!ok) return false;
    image.width = (int)decoded.width;
    image.height = (int)decoded.height;
    image.bitsPerPixel = (int)decoded.bitsPerPixel;
    const int bpp = image.bitsPerPixel / 8;
    image.rgba.assign(size_t(image.width) * image.height * 4, 255);
    for (size_t i = 0; i < size_t(image.width) * image.height; ++i)
        for (int c = 0; c < bpp; ++c) image.rgba[i * 4 + c] = decoded.pixels[i * bpp + c];
    free(decoded.pixels);
    return true;
}

static ParsedMesh cornersOf(const MeshObject* object) {
    ParsedMesh mesh;
    mesh.name = object->name;
    for (int c = 0; c < object->faceCount * 3; ++c) {
        const float *p = &object->positions[c * 3], *n = &object->normals[c * 3], *t = &object->texCoords[c * 2];
        mesh.corners.push_back({{p[0], p[1], p[2]}, {n[0], n[1], n[2]}, t[0], t[1]});
    }
    return mesh;
}

// The engine's own readers over the text, so the content is held to what the show accepts.
bool parseSceneFile(const std::string& text, std::vector<ParsedMesh>& meshes, std::string& error) {
    FILE* file = fmemopen((void*)text.data(), text.size(), "r");
    static Scene scene;
    testing::internal::CaptureStderr();
    const bool ok = file && readScene(file, "scene", &scene);
    error = testing::internal::GetCapturedStderr();
    if (file) fclose(file);
    for (int o = 0; ok && o < scene.count; ++o) meshes.push_back(cornersOf(scene.objects[o]));
    return ok;
}

bool parseMeshFile(const std::string& text, ParsedMesh& mesh, std::string& error) {
    FILE* file = fmemopen((void*)text.data(), text.size(), "r");
    testing::internal::CaptureStderr();
    const MeshObject* object = file ? read3dm(file, "mesh") : nullptr;
    error = testing::internal::GetCapturedStderr();
    if (file) fclose(file);
    if (!object) return false;
    if (*object->animated) {
        error = "an animation section follows the object";
        return false;
    }
    mesh = cornersOf(object);
    return true;
}

Vec3 sceneToWorld(Vec3 p) { return Vec3{p.x, p.z, -p.y} * 0.05f; }
Vec3 sceneNormalToWorld(Vec3 n) { return {n.x, n.z, -n.y}; }

const std::vector<Vec3>& roomTrianglesInWorld() {
    static std::vector<Vec3> triangles;
    if (triangles.empty()) {
        std::vector<ParsedMesh> meshes;
        std::string error;
        if (!parseSceneFile(readText(dataPath("mirrorscene.scene")), meshes, error)) {
            std::fprintf(stderr, "mirrorscene.scene: %s\n", error.c_str());
            std::abort();
        }
        for (const ParsedMesh& m : meshes)
            for (const Corner& c : m.corners) triangles.push_back(sceneToWorld(c.p));
    }
    return triangles;
}

static Vec3 closestOnSegment(Vec3 p, Vec3 a, Vec3 b) {
    Vec3 ab = b - a;
    float t = dot(p - a, ab) / std::fmax(dot(ab, ab), 1e-12f);
    t = std::fmin(1.0f, std::fmax(0.0f, t));
    return a + ab * t;
}

float pointTriangleDistance(Vec3 p, Vec3 a, Vec3 b, Vec3 c) {
    Vec3 n = cross(b - a, c - a);
    float area = length(n);
    if (area > 1e-12f) {
        n = n * (1.0f / area);
        Vec3 q = p - n * dot(p - a, n);
        // inside test by the signs of the sub-triangle normals
        if (dot(cross(b - a, q - a), n) >= 0 && dot(cross(c - b, q - b), n) >= 0 && dot(cross(a - c, q - c), n) >= 0)
            return std::fabs(dot(p - a, n));
    }
    float d = length(p - closestOnSegment(p, a, b));
    d = std::fmin(d, length(p - closestOnSegment(p, b, c)));
    return std::fmin(d, length(p - closestOnSegment(p, c, a)));
}

bool segmentHitsTriangle(Vec3 from, Vec3 to, Vec3 a, Vec3 b, Vec3 c) {
    // Moller-Trumbore with the segment parameter limited to [0, 1]
    Vec3 dir = to - from, e1 = b - a, e2 = c - a;
    Vec3 h = cross(dir, e2);
    float det = dot(e1, h);
    if (std::fabs(det) < 1e-12f) return false;
    float inv = 1.0f / det;
    Vec3 s = from - a;
    float u = dot(s, h) * inv;
    if (u < 0.0f || u > 1.0f) return false;
    Vec3 q = cross(s, e1);
    float v = dot(dir, q) * inv;
    if (v < 0.0f || u + v > 1.0f) return false;
    float t = dot(e2, q) * inv;
    return t >= 0.0f && t <= 1.0f;
}
