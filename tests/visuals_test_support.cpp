// Strict file readers and geometry helpers for the visual content tests; owns the cached
// world-space triangles of the scene (read on first use).
#include "visuals_test_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

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
    static const uint8_t HEADER[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (bytes.size() < 18) {
        error = "shorter than a header";
        return false;
    }
    for (int i = 0; i < 12; ++i) {
        if (i == 2) continue;
        if (bytes[i] != HEADER[i]) {
            error = "header byte " + std::to_string(i) + " is " + std::to_string(bytes[i]);
            return false;
        }
    }
    if (bytes[2] != 2 && bytes[2] != 10) {
        error = "image type " + std::to_string(bytes[2]);
        return false;
    }
    image.type = bytes[2];
    image.width = bytes[12] | bytes[13] << 8;
    image.height = bytes[14] | bytes[15] << 8;
    image.bitsPerPixel = bytes[16];
    const int bpp = image.bitsPerPixel / 8;
    if (image.width == 0 || image.height == 0 || (bpp != 3 && bpp != 4)) {
        error = "bad size or depth";
        return false;
    }
    const size_t count = size_t(image.width) * image.height;
    image.rgba.assign(count * 4, 255);
    size_t at = 18, done = 0;
    auto store = [&](size_t from) {
        uint8_t* p = &image.rgba[done * 4];
        p[0] = bytes[from + 2];
        p[1] = bytes[from + 1];
        p[2] = bytes[from];
        if (bpp == 4) p[3] = bytes[from + 3];
        ++done;
    };
    while (done < count) {
        if (image.type == 2) {
            if (at + bpp > bytes.size()) break;
            store(at);
            at += bpp;
            continue;
        }
        if (at >= bytes.size()) break;
        uint8_t header = bytes[at++];
        size_t n = (header & 0x7f) + 1;
        if (done + n > count) {
            error = "packet runs past the image";
            return false;
        }
        if (header & 0x80) {
            if (at + bpp > bytes.size()) break;
            for (size_t k = 0; k < n; ++k) store(at);
            at += bpp;
        } else {
            if (at + n * bpp > bytes.size()) break;
            for (size_t k = 0; k < n; ++k, at += bpp) store(at);
        }
    }
    if (done != count) {
        error = "pixel data ends early";
        return false;
    }
    if (at != bytes.size()) {
        error = std::to_string(bytes.size() - at) + " bytes after the pixels";
        return false;
    }
    return true;
}

// Reads "tag x y [z]" with exactly the given number of numbers and nothing else.
static bool readTagged(const std::string& line, const char* tag, int count, float* values) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word != tag) return false;
    for (int i = 0; i < count; ++i)
        if (!(in >> values[i])) return false;
    return !(in >> word);
}

bool parseObjects(const std::vector<std::string>& lines, size_t& at, int count, std::vector<ParsedMesh>& meshes,
                  std::string& error) {
    for (int o = 0; o < count; ++o) {
        if (at + 2 > lines.size()) {
            error = "object " + std::to_string(o) + " missing";
            return false;
        }
        std::istringstream header(lines[at]);
        std::string tag, name, extra;
        if (!(header >> tag >> name) || tag != "o" || (header >> extra)) {
            error = "line " + std::to_string(at + 1) + ": expected \"o NAME\"";
            return false;
        }
        std::istringstream faces(lines[at + 1]);
        int faceCount = -1;
        if (!(faces >> tag >> faceCount) || tag != "numfaces" || faceCount <= 0 || (faces >> extra)) {
            error = "line " + std::to_string(at + 2) + ": expected \"numfaces F\"";
            return false;
        }
        at += 2;
        ParsedMesh mesh;
        mesh.name = name;
        for (int c = 0; c < faceCount * 3; ++c, at += 3) {
            float v[3], n[3], t[2];
            if (at + 3 > lines.size() || !readTagged(lines[at], "v", 3, v) || !readTagged(lines[at + 1], "n", 3, n) ||
                !readTagged(lines[at + 2], "t", 2, t)) {
                error = name + ": corner " + std::to_string(c) + " malformed near line " + std::to_string(at + 1);
                return false;
            }
            mesh.corners.push_back({{v[0], v[1], v[2]}, {n[0], n[1], n[2]}, t[0], t[1]});
        }
        meshes.push_back(mesh);
    }
    return true;
}

// The text must end right after the last "t" line: one final newline at most.
static bool endsCleanly(const std::string& text, std::string& error) {
    if (text.size() >= 2 && text[text.size() - 1] == '\n' && text[text.size() - 2] == '\n') {
        error = "empty line at the end (would start an animation section)";
        return false;
    }
    return true;
}

bool parseSceneFile(const std::string& text, std::vector<ParsedMesh>& meshes, std::string& error) {
    if (!endsCleanly(text, error)) return false;
    std::vector<std::string> lines = splitLines(text);
    int count = -1;
    if (lines.empty() || std::sscanf(lines[0].c_str(), "objcount %d", &count) != 1 || count < 0) {
        error = "no objcount line";
        return false;
    }
    size_t at = 1;
    if (!parseObjects(lines, at, count, meshes, error)) return false;
    if (at != lines.size()) {
        error = std::to_string(lines.size() - at) + " lines after the last object";
        return false;
    }
    return true;
}

bool parseMeshFile(const std::string& text, ParsedMesh& mesh, std::string& error) {
    if (!endsCleanly(text, error)) return false;
    std::vector<std::string> lines = splitLines(text);
    std::vector<ParsedMesh> meshes;
    size_t at = 0;
    if (!parseObjects(lines, at, 1, meshes, error)) return false;
    if (at != lines.size()) {
        error = std::to_string(lines.size() - at) + " lines after the object";
        return false;
    }
    mesh = meshes[0];
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
