// Readers for the generated content files, shared by the visual content tests: the show's own
// decoders, so a file passes only when the show would read it.
#pragma once

#include "mesh.h"

#include <cstdint>
#include <string>
#include <vector>

std::string dataPath(const std::string& name);
bool readBytes(const std::string& path, std::vector<uint8_t>& bytes);
std::string readText(const std::string& path);
// Splits on '\n'; a final newline does not produce an empty last line, but an extra one does.
std::vector<std::string> splitLines(const std::string& text);

struct DecodedTga {
    int width = 0, height = 0, bitsPerPixel = 0;
    std::vector<uint8_t> rgba;  // 4 bytes per pixel in file row order, alpha 255 for 24 bit
};
// error holds what the decoder reported.
bool decodeTga(const std::vector<uint8_t>& bytes, DecodedTga& image, std::string& error);

struct ParsedMesh {
    std::string name;
    std::vector<Corner> corners;
};
// A whole scene file ("objcount" line first) or a single static 3DM object.
bool parseSceneFile(const std::string& text, std::vector<ParsedMesh>& meshes, std::string& error);
bool parseMeshFile(const std::string& text, ParsedMesh& mesh, std::string& error);

// Scene file coordinates to the show's world: turned -90 degrees about X, scaled by 0.05.
Vec3 sceneToWorld(Vec3 p);
Vec3 sceneNormalToWorld(Vec3 n);
// All triangles of the generated scene in world space, three corners each.
const std::vector<Vec3>& roomTrianglesInWorld();

float pointTriangleDistance(Vec3 p, Vec3 a, Vec3 b, Vec3 c);
bool segmentHitsTriangle(Vec3 from, Vec3 to, Vec3 a, Vec3 b, Vec3 c);
