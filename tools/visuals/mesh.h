// Triangle-list meshes for the content generators: vector maths, primitives with planar
// texture mapping, and the 3DM text writer.
#pragma once

#include <string>
#include <vector>

// The show culls FRONT faces with counter-clockwise = front, so a triangle is seen from the
// side where its corners run clockwise. Builders below take corners counter-clockwise as
// seen from the visible side (the usual maths orientation) and this switch decides the order
// written to the file. Flip it here, in one place, if the renderer's culling changes.
const bool VISIBLE_SIDE_CLOCKWISE = true;

struct Vec3 {
    float x, y, z;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
float dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
float length(Vec3 a);
Vec3 normalize(Vec3 a);
// Rotation of v about the world Y axis by angle radians (x towards -z for positive angles).
Vec3 rotateY(Vec3 v, float angle);

struct Corner {
    Vec3 p;  // position
    Vec3 n;  // unit normal, pointing to the visible side
    float s, t;
};

struct GenMesh {
    std::string name;  // one word; the part before the first underscore names the texture set
    std::vector<Corner> corners;  // 3 per triangle, in file winding order
};

// Texture mapping of a flat face: s = dot(p, uAxis) / scale + offsetS, likewise t with vAxis.
// The uvOffset arguments below set both offsets (0.5 centres a face of size scale on one tile).
struct UvFrame {
    Vec3 uAxis, vAxis;
    float scale;
    float offsetS, offsetT;
};
// Planar frame for a face with the given outward normal: u and v lie in the face with
// u x v = normal, so the texture is never mirrored (tangent handedness +1).
UvFrame planarFrame(Vec3 normal, float scale);

// Adds one triangle given counter-clockwise as seen from the visible side.
void addTriangle(GenMesh& mesh, const Corner& a, const Corner& b, const Corner& c);
// Quad of four ready-made corners (normals and texture coordinates kept), in either order:
// turned to be seen from the side the facing vector points to.
void addQuadFacing(GenMesh& mesh, Corner q0, Corner q1, Corner q2, Corner q3, Vec3 facing);
// Flat quad p0..p3 counter-clockwise as seen from the visible side, mapped with frame.
void addQuad(GenMesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, const UvFrame& frame);
// Flat quad with face normal computed from its corners and a planar frame of the given scale.
void addFlatQuad(GenMesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float uvScale, float uvOffset = 0.0f);
// Flat quad in any corner order, turned to be visible from the side facing points to.
void addQuadTowards(GenMesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 facing, float uvScale,
                    float uvOffset = 0.0f);
// Flat triangle in any corner order, turned to be visible from the side facing points to.
void addTriangleTowards(GenMesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 facing, float uvScale,
                        float uvOffset = 0.0f);

// Box with outward faces: centre, three orthonormal axes and half extents along them.
struct Box {
    Vec3 centre;
    Vec3 axisX, axisY, axisZ;
    Vec3 half;
};
Box axisBox(Vec3 minCorner, Vec3 maxCorner);
// Box turned about the Y axis by angle radians around its own centre.
Box turnedBox(Vec3 centre, Vec3 half, float angle);
// Bit mask of faces to emit: +x -x +y -y +z -z (omitting faces nobody can see saves triangles).
const int FACE_POS_X = 1, FACE_NEG_X = 2, FACE_POS_Y = 4, FACE_NEG_Y = 8, FACE_POS_Z = 16, FACE_NEG_Z = 32;
const int ALL_FACES = 63;
void addBox(GenMesh& mesh, const Box& box, float uvScale, int faces = ALL_FACES, float uvOffset = 0.0f);

// Vertical prism (column shaft, pedestal, lamp): regular polygon of sides around centre at
// height y0..y1, radius to the corners; smooth normals if smooth, else flat facets.
void addPrism(GenMesh& mesh, Vec3 baseCentre, float radius, float height, int sides, float startAngle,
              bool smooth, bool capTop, bool capBottom, float uvScale);
// Flat horizontal ring (annulus) of sides segments facing up (or down), at height y.
void addAnnulus(GenMesh& mesh, Vec3 centre, float innerRadius, float outerRadius, int sides, bool facingUp,
                float uvScale);
// Vertical band of an n-gon (outer wall of a step), radius to corners, normals outwards or inwards.
void addBand(GenMesh& mesh, Vec3 baseCentre, float radius, float height, int sides, bool outward, float uvScale);

// Axis-aligned bounds of a mesh.
void meshBounds(const GenMesh& mesh, Vec3& minCorner, Vec3& maxCorner);

// Placement of a 3DM file's coordinates: file = rotate(world) * scale, where the scene
// rotation maps world (x, y, z) to file (x, -z, y) because the show turns scenes by -90
// degrees about X (file Z is up).
struct FileSpace {
    bool sceneRotation;
    float scale;  // file units per world unit
};
const FileSpace SCENE_SPACE = {true, 20.0f};  // the show scales scene files by 0.05
const FileSpace MESH_SPACE = {false, 1.0f};   // meshes built directly in file units

// Appends one static 3DM object ("o", "numfaces", then v/n/t lines per corner) to text.
void append3dmObject(std::string& text, const GenMesh& mesh, const FileSpace& space);
