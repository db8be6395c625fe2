// Offline preview of the generated content: reads the scene, cube meshes, textures and camera
// file from a data directory, places them as the show does (scene turned -90 degrees about X
// and scaled by 0.05, cubes scaled by 0.0375 on their orbit), and renders TGA pictures with a
// small software rasteriser: spot lights with shadow maps, the show's culling rule (front =
// counter-clockwise culled), a plan view with the camera paths drawn over it, and the props.
//   lightrig_visuals_preview DATA_DIRECTORY OUTPUT_DIRECTORY
#include "camera.h"
#include "image.h"
#include "mesh.h"
#include "room.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

static const int VIEW_WIDTH = 960;
static const int VIEW_HEIGHT = 540;
static const int SHADOW_SIZE = 512;
static const float LIGHT_CONE_DEGREES = 65.0f;
static const float PI = 3.14159265358979f;

struct Texture {
    int width = 0, height = 0;
    std::vector<float> rgba;  // row 0 = t 0
};

struct Material {
    Texture base;
    Texture chraber;
};

struct Triangle {
    Corner c[3];
    const Material* material;
};

// Everything one picture needs; filled once in main.
static struct {
    std::string dataDirectory;
    std::map<std::string, Material> materials;
    std::vector<Triangle> triangles;
    RoomLight lights[ROOM_LIGHT_COUNT];
    std::vector<float> shadowDepth[ROOM_LIGHT_COUNT];  // distance from the light, per shadow texel
    bool planLighting;  // plain light from above instead of the spot lights
} scene;

// ---- file reading ---------------------------------------------------------------------

static bool readTga(const std::string& path, Texture& texture) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char header[18];
    bool ok = std::fread(header, 1, 18, f) == 18 && (header[2] == 2 || header[2] == 10);
    int width = header[12] | header[13] << 8, height = header[14] | header[15] << 8, bytes = header[16] / 8;
    if (!ok || (bytes != 3 && bytes != 4)) {
        std::fclose(f);
        return false;
    }
    texture.width = width;
    texture.height = height;
    texture.rgba.assign(size_t(width) * height * 4, 1.0f);
    size_t count = size_t(width) * height, done = 0;
    unsigned char pixel[4] = {0, 0, 0, 255};
    auto store = [&](size_t i) {
        texture.rgba[i * 4] = pixel[2] / 255.0f;
        texture.rgba[i * 4 + 1] = pixel[1] / 255.0f;
        texture.rgba[i * 4 + 2] = pixel[0] / 255.0f;
        texture.rgba[i * 4 + 3] = bytes == 4 ? pixel[3] / 255.0f : 1.0f;
    };
    while (done < count) {
        if (header[2] == 2) {
            if (std::fread(pixel, 1, bytes, f) != size_t(bytes)) break;
            store(done++);
            continue;
        }
        int h = std::fgetc(f);
        if (h < 0) break;
        int n = (h & 0x7f) + 1;
        if (h >= 128) {
            if (std::fread(pixel, 1, bytes, f) != size_t(bytes)) break;
            for (int k = 0; k < n && done < count; ++k) store(done++);
        } else {
            for (int k = 0; k < n && done < count; ++k) {
                if (std::fread(pixel, 1, bytes, f) != size_t(bytes)) break;
                store(done++);
            }
        }
    }
    std::fclose(f);
    return done == count;
}

static const Material* materialFor(const std::string& objectName) {
    std::string set = objectName.substr(0, objectName.find('_'));
    auto found = scene.materials.find(set);
    if (found != scene.materials.end()) return &found->second;
    Material& m = scene.materials[set];
    if (!readTga(scene.dataDirectory + "/" + set + ".tga", m.base)) {
        m.base.width = m.base.height = 1;
        m.base.rgba = {0.7f, 0.7f, 0.7f, 1.0f};
    }
    if (!readTga(scene.dataDirectory + "/" + set + "_chraber.tga", m.chraber)) {
        m.chraber.width = m.chraber.height = 1;
        m.chraber.rgba = {1.0f, 1.0f, 1.0f, 0.0f};
    }
    return &m;
}

// Reads static 3DM objects from an open file and appends their triangles, mapped by place.
static void readObjects(FILE* f, int objects, Vec3 (*place)(Vec3, const void*), Vec3 (*turn)(Vec3, const void*),
                        const void* context) {
    char name[256];
    for (int o = 0; o < objects; ++o) {
        int faces = 0;
        if (std::fscanf(f, " o %255s numfaces %d", name, &faces) != 2) {
            std::fprintf(stderr, "bad object header\n");
            std::exit(1);
        }
        const Material* material = materialFor(name);
        for (int i = 0; i < faces; ++i) {
            Triangle t;
            t.material = material;
            for (Corner& c : t.c) {
                if (std::fscanf(f, " v %f %f %f n %f %f %f t %f %f", &c.p.x, &c.p.y, &c.p.z, &c.n.x, &c.n.y, &c.n.z,
                                &c.s, &c.t) != 8) {
                    std::fprintf(stderr, "bad corner in %s\n", name);
                    std::exit(1);
                }
                c.p = place(c.p, context);
                c.n = turn(c.n, context);
            }
            scene.triangles.push_back(t);
        }
    }
}

static Vec3 scenePlace(Vec3 p, const void*) { return Vec3{p.x, p.z, -p.y} * 0.05f; }
static Vec3 sceneTurn(Vec3 n, const void*) { return {n.x, n.z, -n.y}; }

struct CubePlacement {
    Vec3 position;
    float tumble;  // radians about a tilted axis
};
static Vec3 tumbled(Vec3 v, float angle) {
    Vec3 axis = normalize({1, 1, 0.3f});
    float c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(axis, v) * s + axis * (dot(axis, v) * (1 - c));
}
static Vec3 cubePlace(Vec3 p, const void* context) {
    const CubePlacement* c = static_cast<const CubePlacement*>(context);
    return c->position + tumbled(p * 0.0375f, c->tumble);
}
static Vec3 cubeTurn(Vec3 n, const void* context) {
    return tumbled(n, static_cast<const CubePlacement*>(context)->tumble);
}

static void loadScene() {
    std::string path = scene.dataDirectory + "/mirrorscene.scene";
    FILE* f = std::fopen(path.c_str(), "r");
    int count = 0;
    if (!f || std::fscanf(f, "objcount %d", &count) != 1) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    readObjects(f, count, scenePlace, sceneTurn, nullptr);
    std::fclose(f);
    for (int k = 0; k < 2; ++k) {
        CubePlacement placement = {{6.25f * std::sin(0.8f + PI * k), 0.0f, 6.25f * std::cos(0.8f + PI * k)},
                                   0.5f + 0.7f * k};
        std::string cube = scene.dataDirectory + "/cube" + std::to_string(k + 1) + ".3dm";
        FILE* c = std::fopen(cube.c_str(), "r");
        if (!c) continue;
        readObjects(c, 1, cubePlace, cubeTurn, &placement);
        std::fclose(c);
    }
    // Stand-in for the raymarched centre-piece: a plain sphere of radius 2.5.
    Material& plain = scene.materials["__centre"];
    plain.base.width = plain.base.height = 1;
    plain.base.rgba = {0.85f, 0.85f, 0.9f, 1.0f};
    plain.chraber.width = plain.chraber.height = 1;
    plain.chraber.rgba = {1, 1, 1, 0};
    const int rings = 12, segments = 24;
    auto point = [&](int i, int j) {
        float a = PI * float(i) / rings, b = 2 * PI * float(j) / segments;
        Vec3 n = {std::sin(a) * std::cos(b), std::cos(a), std::sin(a) * std::sin(b)};
        return Corner{n * 2.5f, n, 0, 0};
    };
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            Corner a = point(i, j), b = point(i + 1, j), c = point(i + 1, j + 1), d = point(i, j + 1);
            GenMesh m;
            addQuadFacing(m, a, b, c, d, (a.n + c.n) * 0.5f);
            for (size_t k = 0; k + 2 < m.corners.size(); k += 3)
                scene.triangles.push_back({{m.corners[k], m.corners[k + 1], m.corners[k + 2]}, &plain});
        }
    }
}

// ---- rasterising ----------------------------------------------------------------------

struct View {
    Vec3 eye, side, up, forward;
    float scaleX, scaleY;  // perspective: 1 / (tan(fov / 2) * aspect), 1 / tan(fov / 2)
    bool orthographic;
    float orthoHalfWidth, orthoHalfHeight;
    int width, height;
};

static View lookAt(Vec3 eye, Vec3 target, float roll, float fovDegrees, int width, int height) {
    View v;
    v.eye = eye;
    v.forward = normalize(target - eye);
    // up = (0, 1, 0) turned about the view direction by roll (right-hand rule)
    Vec3 k = v.forward, up0 = {0, 1, 0};
    Vec3 up = up0 * std::cos(roll) + cross(k, up0) * std::sin(roll) + k * (dot(k, up0) * (1 - std::cos(roll)));
    v.side = normalize(cross(v.forward, up));
    v.up = cross(v.side, v.forward);
    float h = std::tan(fovDegrees * PI / 360.0f);
    v.scaleY = 1.0f / h;
    v.scaleX = 1.0f / (h * float(width) / float(height));
    v.orthographic = false;
    v.width = width;
    v.height = height;
    return v;
}

struct ClipVertex {
    Vec3 view;    // x, y and depth along the view direction
    Corner attr;  // world position, normal, texture coordinates
};

static ClipVertex toView(const View& v, const Corner& c) {
    Vec3 d = c.p - v.eye;
    return {{dot(d, v.side), dot(d, v.up), dot(d, v.forward)}, c};
}

static ClipVertex lerpVertex(const ClipVertex& a, const ClipVertex& b, float t) {
    ClipVertex r;
    r.view = a.view + (b.view - a.view) * t;
    r.attr.p = a.attr.p + (b.attr.p - a.attr.p) * t;
    r.attr.n = a.attr.n + (b.attr.n - a.attr.n) * t;
    r.attr.s = a.attr.s + (b.attr.s - a.attr.s) * t;
    r.attr.t = a.attr.t + (b.attr.t - a.attr.t) * t;
    return r;
}

static float sampleChannel(const Texture& t, float s, float tt, int channel) {
    float fs = s - std::floor(s), ft = tt - std::floor(tt);
    int x = int(fs * t.width) % t.width, y = int(ft * t.height) % t.height;
    return t.rgba[(size_t(y) * t.width + x) * 4 + channel];
}

static const Rgb LIGHT_COLOURS[ROOM_LIGHT_COUNT] = {
    {1.0f, 0.85f, 0.7f}, {0.75f, 0.85f, 1.0f}, {0.4f, 0.9f, 1.0f}, {1.0f, 0.55f, 0.9f}};

static View lightView(int i) {
    return lookAt(scene.lights[i].position, scene.lights[i].target, 0.0f, LIGHT_CONE_DEGREES, SHADOW_SIZE,
                  SHADOW_SIZE);
}

static Rgb shade(const Corner& c, const Material& m) {
    Vec3 n = normalize(c.n);
    Rgb base = {sampleChannel(m.base, c.s, c.t, 0), sampleChannel(m.base, c.s, c.t, 1),
                sampleChannel(m.base, c.s, c.t, 2)};
    float ao = sampleChannel(m.chraber, c.s, c.t, 0), glow = sampleChannel(m.chraber, c.s, c.t, 3);
    if (scene.planLighting) {
        float k = 0.35f + 0.65f * std::max(0.0f, dot(n, normalize({0.3f, 0.9f, 0.2f})));
        return {base.r * (k + glow), base.g * (k + glow), base.b * (k + glow)};
    }
    Rgb light = {0.22f * ao, 0.22f * ao, 0.25f * ao};
    for (int i = 0; i < ROOM_LIGHT_COUNT; ++i) {
        View v = lightView(i);
        Vec3 d = c.p - v.eye;
        float z = dot(d, v.forward);
        if (z <= 0.05f) continue;
        float px = dot(d, v.side) / z * v.scaleX, py = dot(d, v.up) / z * v.scaleY;
        float r = std::sqrt(px * px + py * py);
        float cone = 1.0f - smoothstep(0.8f, 1.0f, r);
        if (cone <= 0.0f) continue;
        int sx = int((px * 0.5f + 0.5f) * SHADOW_SIZE), sy = int((py * 0.5f + 0.5f) * SHADOW_SIZE);
        if (sx < 0 || sy < 0 || sx >= SHADOW_SIZE || sy >= SHADOW_SIZE) continue;
        float stored = scene.shadowDepth[i][size_t(sy) * SHADOW_SIZE + sx];
        if (z > stored + 0.08f + 0.01f * z) continue;
        Vec3 toLight = normalize(v.eye - c.p);
        float lambert = dot(n, toLight);
        if (lambert <= 0.0f) continue;
        float fall = 1.0f / (1.0f + 0.004f * z * z);
        float k = lambert * cone * fall * 1.3f;
        light.r += LIGHT_COLOURS[i].r * k;
        light.g += LIGHT_COLOURS[i].g * k;
        light.b += LIGHT_COLOURS[i].b * k;
    }
    return {base.r * light.r + base.r * glow * 1.2f, base.g * light.g + base.g * glow * 1.2f,
            base.b * light.b + base.b * glow * 1.2f};
}

// Draws every triangle the show would draw (clockwise on screen) into depth and, if given, colour.
static void rasterise(const View& v, std::vector<float>& depth, Image* colour) {
    depth.assign(size_t(v.width) * v.height, 1e30f);
    const float nearPlane = 0.1f;
    for (const Triangle& tri : scene.triangles) {
        ClipVertex in[3], poly[4];
        for (int k = 0; k < 3; ++k) in[k] = toView(v, tri.c[k]);
        int count = 0;
        if (v.orthographic) {
            for (int k = 0; k < 3; ++k) poly[count++] = in[k];
        } else {
            for (int k = 0; k < 3; ++k) {
                const ClipVertex &a = in[k], &b = in[(k + 1) % 3];
                bool aIn = a.view.z >= nearPlane, bIn = b.view.z >= nearPlane;
                if (aIn) poly[count++] = a;
                if (aIn != bIn) poly[count++] = lerpVertex(a, b, (nearPlane - a.view.z) / (b.view.z - a.view.z));
            }
        }
        for (int fan = 1; fan + 1 < count; ++fan) {
            const ClipVertex* p[3] = {&poly[0], &poly[fan], &poly[fan + 1]};
            float sx[3], sy[3], w[3];
            for (int k = 0; k < 3; ++k) {
                if (v.orthographic) {
                    sx[k] = (p[k]->view.x / v.orthoHalfWidth * 0.5f + 0.5f) * v.width;
                    sy[k] = (p[k]->view.y / v.orthoHalfHeight * 0.5f + 0.5f) * v.height;
                    w[k] = 1.0f;
                } else {
                    w[k] = 1.0f / p[k]->view.z;
                    sx[k] = (p[k]->view.x * w[k] * v.scaleX * 0.5f + 0.5f) * v.width;
                    sy[k] = (p[k]->view.y * w[k] * v.scaleY * 0.5f + 0.5f) * v.height;
                }
            }
            float area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
            if (area >= 0.0f) continue;  // counter-clockwise in window space = front face, culled
            int x0 = std::max(0, int(std::floor(std::min({sx[0], sx[1], sx[2]}))));
            int x1 = std::min(v.width - 1, int(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
            int y0 = std::max(0, int(std::floor(std::min({sy[0], sy[1], sy[2]}))));
            int y1 = std::min(v.height - 1, int(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    float px = x + 0.5f, py = y + 0.5f;
                    float b0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
                    float b1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
                    float b2 = 1.0f - b0 - b1;
                    if (b0 < 0 || b1 < 0 || b2 < 0) continue;
                    float iw = b0 * w[0] + b1 * w[1] + b2 * w[2];
                    float z = v.orthographic ? b0 * p[0]->view.z + b1 * p[1]->view.z + b2 * p[2]->view.z : 1.0f / iw;
                    float& stored = depth[size_t(y) * v.width + x];
                    if (z >= stored) continue;
                    stored = z;
                    if (!colour) continue;
                    float q0 = b0 * w[0] / iw, q1 = b1 * w[1] / iw, q2 = b2 * w[2] / iw;
                    Corner c;
                    c.p = p[0]->attr.p * q0 + p[1]->attr.p * q1 + p[2]->attr.p * q2;
                    c.n = p[0]->attr.n * q0 + p[1]->attr.n * q1 + p[2]->attr.n * q2;
                    c.s = p[0]->attr.s * q0 + p[1]->attr.s * q1 + p[2]->attr.s * q2;
                    c.t = p[0]->attr.t * q0 + p[1]->attr.t * q1 + p[2]->attr.t * q2;
                    Rgb rgb = shade(c, *tri.material);
                    float* out = pixelAt(*colour, x, y);
                    out[0] = rgb.r;
                    out[1] = rgb.g;
                    out[2] = rgb.b;
                    out[3] = 1.0f;
                }
            }
        }
    }
}

static void toneMap(Image& image) {
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) image.rgba[i + c] = 1.0f - std::exp(-1.4f * image.rgba[i + c]);
}

static void drawLine(Image& image, float x0, float y0, float x1, float y1, Rgb colour) {
    int steps = int(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
    for (int i = 0; i <= steps; ++i) {
        float t = float(i) / steps;
        int x = int(x0 + (x1 - x0) * t), y = int(y0 + (y1 - y0) * t);
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx) blendOver(image, x + dx, y + dy, colour, 1.0f);
    }
}

static void renderView(const std::string& path, Vec3 eye, Vec3 target, float roll, float fov) {
    View v = lookAt(eye, target, roll, fov, VIEW_WIDTH, VIEW_HEIGHT);
    Image image = makeImage(VIEW_WIDTH, VIEW_HEIGHT, 0.02f, 0.02f, 0.03f, 1.0f);
    std::vector<float> depth;
    rasterise(v, depth, &image);
    toneMap(image);
    writeTga(image, path, 24, false);
}

static void renderPlan(const std::string& path, const CameraKey paths[CAMERA_SLOTS][CAMERA_POINTS]) {
    // Orthographic view from above of everything below the balcony rail height.
    std::vector<Triangle> all = scene.triangles;
    std::vector<Triangle> low;
    for (const Triangle& t : all)
        if (std::min({t.c[0].p.y, t.c[1].p.y, t.c[2].p.y}) < 9.0f) low.push_back(t);
    scene.triangles = low;
    const int size = 1024;
    View v;
    v.eye = {0, 50, 0};
    v.forward = {0, -1, 0};
    v.side = {1, 0, 0};
    v.up = {0, 0, -1};
    v.orthographic = true;
    v.orthoHalfWidth = v.orthoHalfHeight = 27.0f;
    v.width = v.height = size;
    Image image = makeImage(size, size, 0, 0, 0, 1);
    std::vector<float> depth;
    scene.planLighting = true;
    rasterise(v, depth, &image);
    scene.planLighting = false;
    scene.triangles = all;
    auto toPixel = [&](Vec3 p, float& x, float& y) {
        x = (p.x / 27.0f * 0.5f + 0.5f) * size;
        y = (-p.z / 27.0f * 0.5f + 0.5f) * size;
    };
    static const Rgb GROUP_COLOURS[CAMERA_GROUPS] = {{1, 1, 0},   {1, 0.5f, 0}, {0, 1, 1},   {0, 0.6f, 1},
                                                     {1, 0, 1},   {0.6f, 1, 0}, {1, 0.3f, 0.3f}, {1, 1, 1}};
    for (int s = 0; s < CAMERA_SLOTS; ++s) {
        Rgb colour = GROUP_COLOURS[s / CAMERA_GROUP_SLOTS];
        float px = 0, py = 0;
        for (int i = 0; i <= 32; ++i) {
            float x, y;
            toPixel(bezierEye(paths[s], float(i) / 32), x, y);
            if (i) drawLine(image, px, py, x, y, colour);
            px = x;
            py = y;
        }
    }
    for (int i = 0; i < ROOM_LIGHT_COUNT; ++i) {
        float x, y;
        toPixel(scene.lights[i].position, x, y);
        for (int d = -6; d <= 6; ++d) {
            blendOver(image, int(x) + d, int(y), {1, 1, 1}, 1);
            blendOver(image, int(x), int(y) + d, {1, 1, 1}, 1);
        }
    }
    writeTga(image, path, 24, false);
}

// The four cubes and the sculpture in a row, lit from above-front, without the room.
static void renderProps(const std::string& path) {
    std::vector<Triangle> room = scene.triangles;
    scene.triangles.clear();
    const char* files[5] = {"cube1.3dm", "cube2.3dm", "cube3.3dm", "cube4.3dm", "phongfx.3dm"};
    for (int k = 0; k < 5; ++k) {
        CubePlacement placement = {{k < 4 ? -5.4f + 2.5f * k : 5.2f, 0.0f, 0.0f}, 0.6f};
        FILE* f = std::fopen((scene.dataDirectory + "/" + files[k]).c_str(), "r");
        if (!f) continue;
        readObjects(f, 1, cubePlace, cubeTurn, &placement);
        std::fclose(f);
    }
    View v = lookAt({0.0f, 2.0f, 11.5f}, {0.0f, 0.0f, 0.0f}, 0.0f, 40.0f, VIEW_WIDTH, VIEW_HEIGHT);
    Image image = makeImage(VIEW_WIDTH, VIEW_HEIGHT, 0.05f, 0.05f, 0.06f, 1.0f);
    std::vector<float> depth;
    scene.planLighting = true;
    rasterise(v, depth, &image);
    scene.planLighting = false;
    writeTga(image, path, 24, false);
    scene.triangles = room;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATA_DIRECTORY OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    scene.dataDirectory = argv[1];
    std::string out = argv[2];
    roomLights(scene.lights);
    loadScene();
    for (int i = 0; i < ROOM_LIGHT_COUNT; ++i) rasterise(lightView(i), scene.shadowDepth[i], nullptr);

    static CameraKey paths[CAMERA_SLOTS][CAMERA_POINTS];
    buildCameraPaths(paths);
    renderPlan(out + "/plan.tga", paths);
    renderProps(out + "/props.tga");
    // The start of every group and the middle of its third slot, looking where the show looks.
    for (int g = 0; g < CAMERA_GROUPS; ++g) {
        for (int which = 0; which < 2; ++which) {
            const CameraKey* slot = paths[g * CAMERA_GROUP_SLOTS + (which ? 2 : 0)];
            float t = which ? 0.5f : 0.0f;
            float u = 1 - t;
            auto blend = [&](float a, float b, float c, float d) {
                return a * u * u * u + b * 3 * u * u * t + c * 3 * u * t * t + d * t * t * t;
            };
            float roll = blend(slot[0].roll, slot[1].roll, slot[2].roll, slot[3].roll);
            float fov = blend(slot[0].fov, slot[1].fov, slot[2].fov, slot[3].fov);
            char name[64];
            std::snprintf(name, sizeof name, "/view_g%d_%c.tga", g, which ? 'b' : 'a');
            renderView(out + name, bezierEye(slot, t), {0.15f, 0.1f, 0.15f}, roll, fov);
        }
    }
    return 0;
}
