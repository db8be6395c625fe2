// Strict readers for the generated content files, shared by the visual content tests. They
// read what the build wrote into the data directory and report the first deviation from the
// formats the show's loaders expect.
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
    int width = 0, height = 0, bitsPerPixel = 0, type = 0;
    std::vector<uint8_t> rgba;  // 4 bytes per pixel in file row order, alpha 255 for 24 bit
};
// Decodes a TGA as the show does (exact 12-byte header, types 2 and 10, 24 or 32 bit); fails
// on any extra or missing byte, or an RLE packet that runs past the image.
bool decodeTga(const std::vector<uint8_t>& bytes, DecodedTga& image, std::string& error);

struct ParsedMesh {
    std::string name;
    std::vector<Corner> corners;
};
// Parses count static 3DM objects starting at line index at (advanced past them).
bool parseObjects(const std::vector<std::string>& lines, size_t& at, int count, std::vector<ParsedMesh>& meshes,
                  std::string& error);
// A whole scene file ("objcount" line first) or a single-object 3DM file; the objects must
// use up every line.
bool parseSceneFile(const std::string& text, std::vector<ParsedMesh>& meshes, std::string& error);
bool parseMeshFile(const std::string& text, ParsedMesh& mesh, std::string& error);

// Scene file coordinates to the show's world: turned -90 degrees about X, scaled by 0.05.
Vec3 sceneToWorld(Vec3 p);
Vec3 sceneNormalToWorld(Vec3 n);
// All triangles of the generated scene in world space, three corners each.
const std::vector<Vec3>& roomTrianglesInWorld();

float pointTriangleDistance(Vec3 p, Vec3 a, Vec3 b, Vec3 c);
bool segmentHitsTriangle(Vec3 from, Vec3 to, Vec3 a, Vec3 b, Vec3 c);
