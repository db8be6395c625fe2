// The hall of the light-rig parts: a tiled floor with a central dais, a ring of columns,
// four walls with pilasters, arched mirror portals, panels and light strips, a beamed ceiling
// with a lantern ring, and free-standing pieces (balcony and stairs, shelves, frames,
// pedestals, benches, corner ziggurats, hanging lamps). Owns no state.
#include "room.h"

#include "noise.h"

#include <cmath>
#include <string>

static const float PI = 3.14159265358979f;

// Texture repeat lengths in world units per texture tile, per material.
static const float UV_FLOOR = 6.5f;  // two by two stone tiles per repeat
static const float UV_WALL = 8.0f;
static const float UV_STONE = 4.0f;
static const float UV_METAL = 2.5f;
static const float UV_WOOD = 3.0f;
static const float UV_STRIP = 2.0f;
static const float UV_GLASS = 7.0f;
static const float UV_CEILING = 6.5f;

static const float COLUMN_RING_RADIUS = 18.0f;
static const int COLUMN_COUNT = 12;
static const float BAY = 6.5f;  // wall bay width between pilasters, also the beam spacing

static const uint32_t LIGHT_SEED = 1001;    // the show's seed for its fixed light rig
static const uint32_t PROPS_SEED = 31;      // shelf contents

void roomLights(RoomLight lights[ROOM_LIGHT_COUNT]) {
    lights[0] = {{13.0f, 0.0f, 6.0f}, {0.0f, 0.0f, -2.0f}};
    lights[1] = {{-3.5f, 10.0f, -3.5f}, {0.0f, 0.0f, 1.0f}};
    CrtRandom random;
    crtSeed(random, LIGHT_SEED);
    for (int i = 2; i < 4; ++i) {
        float u[6];
        for (float& value : u) value = float(crtRand(random) % 100) / 100.0f * 6.28f;
        lights[i].position = {20.0f * std::sin(u[0]), 4.0f * std::sin(u[1]), 20.0f * std::sin(u[2])};
        lights[i].target = {10.0f * std::sin(u[3]), 10.0f * std::sin(u[4]), 10.0f * std::sin(u[5])};
    }
}

static GenMesh named(const std::string& name) {
    GenMesh mesh;
    mesh.name = name;
    return mesh;
}

// ---- floor, dais, ceiling -------------------------------------------------------------

static void buildFloor(std::vector<GenMesh>& room) {
    // Four quadrants of 4 x 4 quads, one bay each, so vertex lighting has something to work with.
    for (int q = 0; q < 4; ++q) {
        GenMesh mesh = named("floor_q" + std::to_string(q));
        float x0 = (q & 1) ? 0.0f : -HALL_HALF_WIDTH, z0 = (q & 2) ? 0.0f : -HALL_HALF_WIDTH;
        UvFrame frame = planarFrame({0, 1, 0}, UV_FLOOR);
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                float xa = x0 + BAY * float(i), xb = xa + BAY, za = z0 + BAY * float(j), zb = za + BAY;
                // counter-clockwise seen from above: x right, z towards the viewer
                addQuad(mesh, {xa, FLOOR_Y, zb}, {xb, FLOOR_Y, zb}, {xb, FLOOR_Y, za}, {xa, FLOOR_Y, za}, frame);
            }
        }
        room.push_back(mesh);
    }
}

static void buildDais(std::vector<GenMesh>& room) {
    const int sides = 32;
    const float discRadius = 7.6f, stepRadius = 9.4f, discTop = -3.62f, stepTop = -3.55f;
    // The inlay disc carries one whole medallion: s, t run 0..1 across its diameter.
    GenMesh disc = named("inlay_disc");
    UvFrame frame = planarFrame({0, 1, 0}, discRadius * 2.0f);
    frame.offsetS = 0.5f;
    frame.offsetT = 0.5f;
    for (int k = 0; k < sides; ++k) {
        float a0 = 2.0f * PI * float(k) / sides, a1 = 2.0f * PI * float(k + 1) / sides;
        Vec3 n = {0, 1, 0};
        Vec3 p0 = {0, discTop, 0};
        Vec3 p1 = {discRadius * std::cos(a1), discTop, discRadius * std::sin(a1)};
        Vec3 p2 = {discRadius * std::cos(a0), discTop, discRadius * std::sin(a0)};
        auto corner = [&](Vec3 p) {
            return Corner{p, n, dot(p, frame.uAxis) / frame.scale + frame.offsetS,
                          dot(p, frame.vAxis) / frame.scale + frame.offsetT};
        };
        // p0, p1, p2 run counter-clockwise seen from above (angle grows from +x towards +z)
        addTriangle(disc, corner(p0), corner(p1), corner(p2));
    }
    room.push_back(disc);

    GenMesh step = named("stone_dais");
    addAnnulus(step, {0, stepTop, 0}, discRadius, stepRadius, sides, true, UV_STONE);
    addBand(step, {0, FLOOR_Y, 0}, stepRadius, stepTop - FLOOR_Y, sides, true, UV_STONE);
    addBand(step, {0, discTop, 0}, discRadius, stepTop - discTop, sides, false, UV_STONE);
    room.push_back(step);
}

static void buildCeiling(std::vector<GenMesh>& room) {
    GenMesh ceiling = named("ceiling_main");
    UvFrame frame = planarFrame({0, -1, 0}, UV_CEILING);
    const float span = 13.0f;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float xa = -HALL_HALF_WIDTH + span * float(i), xb = xa + span;
            float za = -HALL_HALF_WIDTH + span * float(j), zb = za + span;
            // counter-clockwise seen from below
            addQuad(ceiling, {xa, CEILING_Y, za}, {xb, CEILING_Y, za}, {xb, CEILING_Y, zb}, {xa, CEILING_Y, zb},
                    frame);
        }
    }
    room.push_back(ceiling);

    // Beams on the bay grid; the z-running set sits a little higher so that the two sets'
    // bottom faces never share a plane where they cross.
    GenMesh beamsX = named("metal_beamsx"), beamsZ = named("metal_beamsz");
    for (int i = -3; i <= 3; ++i) {
        float c = BAY * float(i);
        addBox(beamsX, axisBox({-HALL_HALF_WIDTH, 15.0f, c - 0.4f}, {HALL_HALF_WIDTH, CEILING_Y, c + 0.4f}),
               UV_METAL, FACE_NEG_Y | FACE_POS_Z | FACE_NEG_Z);
        addBox(beamsZ, axisBox({c - 0.4f, 15.1f, -HALL_HALF_WIDTH}, {c + 0.4f, CEILING_Y, HALL_HALF_WIDTH}),
               UV_METAL, FACE_NEG_Y | FACE_POS_X | FACE_NEG_X);
    }
    room.push_back(beamsX);
    room.push_back(beamsZ);

    // Glowing lantern ring over the centre-piece, hanging from the central beams.
    GenMesh lantern = named("strip_lantern");
    const int sides = 16;
    addBand(lantern, {0, 14.1f, 0}, 4.6f, 0.9f, sides, true, UV_STRIP);
    addBand(lantern, {0, 14.1f, 0}, 4.4f, 0.9f, sides, false, UV_STRIP);
    addAnnulus(lantern, {0, 14.1f, 0}, 4.4f, 4.6f, sides, false, UV_STRIP);
    room.push_back(lantern);
}

// ---- columns --------------------------------------------------------------------------

static void buildColumns(std::vector<GenMesh>& room) {
    // Angles k * 30 degrees leave the diagonal at 225 degrees open, where spot light 3
    // shines in from its corner.
    for (int k = 0; k < COLUMN_COUNT; ++k) {
        float angle = 2.0f * PI * float(k) / COLUMN_COUNT;
        Vec3 c = {COLUMN_RING_RADIUS * std::cos(angle), 0, COLUMN_RING_RADIUS * std::sin(angle)};
        GenMesh mesh = named("stone_col" + std::to_string(k));
        float facing = -angle;  // square parts turned to face the centre
        addBox(mesh, turnedBox({c.x, -3.7f, c.z}, {0.9f, 0.3f, 0.9f}, facing), UV_STONE, ALL_FACES & ~FACE_NEG_Y);
        addPrism(mesh, {c.x, -3.4f, c.z}, 0.85f, 0.35f, 8, angle + PI / 8, false, true, false, UV_STONE);
        addPrism(mesh, {c.x, -3.05f, c.z}, 0.6f, 16.85f, 8, angle + PI / 8, false, false, false, UV_STONE);
        addPrism(mesh, {c.x, 13.8f, c.z}, 0.85f, 0.4f, 8, angle + PI / 8, false, false, true, UV_STONE);
        addBox(mesh, turnedBox({c.x, 15.1f, c.z}, {0.9f, 0.9f, 0.9f}, facing), UV_STONE, ALL_FACES & ~FACE_POS_Y);
        room.push_back(mesh);
    }
}

// ---- walls ----------------------------------------------------------------------------

// A wall seen from inside the hall: u runs along the wall (along x up = inward), y is world
// height, d is the distance from the wall plane into the hall.
struct WallFrame {
    Vec3 origin;  // point of the wall plane at u = 0, y = 0
    Vec3 along;
    Vec3 inward;
    std::string tag;
};

static WallFrame makeWall(Vec3 inward, const char* tag) {
    WallFrame w;
    w.inward = inward;
    w.origin = inward * -HALL_HALF_WIDTH;
    w.along = cross({0, 1, 0}, inward);
    w.tag = tag;
    return w;
}

static Vec3 wallPoint(const WallFrame& w, float u, float y, float d) {
    return w.origin + w.along * u + Vec3{0, y, 0} + w.inward * d;
}

// Box in wall coordinates; its faces: POS_X/NEG_X along the wall, POS_Z towards the hall.
static Box wallBox(const WallFrame& w, float u0, float u1, float y0, float y1, float d0, float d1) {
    return {wallPoint(w, (u0 + u1) * 0.5f, (y0 + y1) * 0.5f, (d0 + d1) * 0.5f), w.along, {0, 1, 0}, w.inward,
            {(u1 - u0) * 0.5f, (y1 - y0) * 0.5f, (d1 - d0) * 0.5f}};
}

static const float SIDE_BAYS[6][2] = {{-26.0f, -19.5f}, {-19.5f, -13.0f}, {-13.0f, -6.5f},
                                      {6.5f, 13.0f},    {13.0f, 19.5f},   {19.5f, 26.0f}};
static const float PILASTERS[6] = {-19.5f, -13.0f, -6.5f, 6.5f, 13.0f, 19.5f};

// Arched portal in the middle bay: jambs, nine voussoirs, keystone, and a mirror glass.
static void buildPortal(std::vector<GenMesh>& room, const WallFrame& w) {
    const float inner = 3.5f, outer = 4.5f, springY = 6.0f, depth = 1.2f;
    const int segments = 9;
    GenMesh arch = named("stone_arch" + w.tag);
    addBox(arch, wallBox(w, -outer, -inner, FLOOR_Y, springY, 0, depth), UV_STONE,
           FACE_POS_X | FACE_NEG_X | FACE_POS_Z);
    addBox(arch, wallBox(w, inner, outer, FLOOR_Y, springY, 0, depth), UV_STONE,
           FACE_POS_X | FACE_NEG_X | FACE_POS_Z);
    for (int k = 0; k < segments; ++k) {
        float a0 = PI * float(k) / segments, a1 = PI * float(k + 1) / segments, am = (a0 + a1) * 0.5f;
        auto arc = [&](float r, float a, float d) {
            return wallPoint(w, r * std::cos(a), springY + r * std::sin(a), d);
        };
        Vec3 radial = w.along * std::cos(am) + Vec3{0, std::sin(am), 0};
        addQuadTowards(arch, arc(inner, a0, depth), arc(outer, a0, depth), arc(outer, a1, depth),
                       arc(inner, a1, depth), w.inward, UV_STONE);
        addQuadTowards(arch, arc(inner, a0, 0), arc(inner, a1, 0), arc(inner, a1, depth), arc(inner, a0, depth),
                       -radial, UV_STONE);
        addQuadTowards(arch, arc(outer, a0, 0), arc(outer, a1, 0), arc(outer, a1, depth), arc(outer, a0, depth),
                       radial, UV_STONE);
    }
    addBox(arch, wallBox(w, -0.45f, 0.45f, springY + inner - 0.2f, springY + outer + 0.3f, 0, depth + 0.25f),
           UV_STONE, ALL_FACES & ~FACE_NEG_Z);
    room.push_back(arch);

    GenMesh glass = named("glass_portal" + w.tag);
    const float d = 0.05f;
    addQuadTowards(glass, wallPoint(w, -inner, FLOOR_Y, d), wallPoint(w, inner, FLOOR_Y, d),
                   wallPoint(w, inner, 1.0f, d), wallPoint(w, -inner, 1.0f, d), w.inward, UV_GLASS);
    addQuadTowards(glass, wallPoint(w, -inner, 1.0f, d), wallPoint(w, inner, 1.0f, d),
                   wallPoint(w, inner, springY, d), wallPoint(w, -inner, springY, d), w.inward, UV_GLASS);
    for (int k = 0; k < segments; ++k) {
        float a0 = PI * float(k) / segments, a1 = PI * float(k + 1) / segments;
        addTriangleTowards(glass, wallPoint(w, 0, springY, d),
                           wallPoint(w, inner * std::cos(a0), springY + inner * std::sin(a0), d),
                           wallPoint(w, inner * std::cos(a1), springY + inner * std::sin(a1), d), w.inward,
                           UV_GLASS);
    }
    room.push_back(glass);
}

static void buildWall(std::vector<GenMesh>& room, const WallFrame& w) {
    GenMesh plane = named("wall_" + w.tag);
    UvFrame frame = planarFrame(w.inward, UV_WALL);
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 2; ++j) {
            float u0 = -HALL_HALF_WIDTH + BAY * float(i), u1 = u0 + BAY;
            float y0 = FLOOR_Y + 10.0f * float(j), y1 = y0 + 10.0f;
            addQuad(plane, wallPoint(w, u0, y0, 0), wallPoint(w, u1, y0, 0), wallPoint(w, u1, y1, 0),
                    wallPoint(w, u0, y1, 0), frame);
        }
    }
    room.push_back(plane);

    GenMesh pilasters = named("stone_pil" + w.tag);
    for (float u : PILASTERS) {
        addBox(pilasters, wallBox(w, u - 0.9f, u + 0.9f, FLOOR_Y, -3.4f, 0, 0.9f), UV_STONE,
               FACE_POS_X | FACE_NEG_X | FACE_POS_Z | FACE_POS_Y);
        addBox(pilasters, wallBox(w, u - 0.7f, u + 0.7f, -3.4f, 14.2f, 0, 0.7f), UV_STONE,
               FACE_POS_X | FACE_NEG_X | FACE_POS_Z);
        addBox(pilasters, wallBox(w, u - 0.9f, u + 0.9f, 14.2f, CEILING_Y, 0, 0.9f), UV_STONE,
               FACE_POS_X | FACE_NEG_X | FACE_POS_Z | FACE_NEG_Y);
    }
    room.push_back(pilasters);

    buildPortal(room, w);

    GenMesh strips = named("strip_" + w.tag);
    addBox(strips, wallBox(w, -25.9f, 25.9f, 12.0f, 12.25f, 0, 0.15f), UV_STRIP,
           FACE_POS_Z | FACE_POS_Y | FACE_NEG_Y);
    GenMesh panels = named("panel_" + w.tag);
    for (const float* bay : SIDE_BAYS) {
        addBox(strips, wallBox(w, bay[0] + 1.0f, bay[1] - 1.0f, 6.4f, 6.6f, 0, 0.12f), UV_STRIP,
               ALL_FACES & ~FACE_NEG_Z);
        addBox(panels, wallBox(w, bay[0] + 1.1f, bay[1] - 1.1f, -2.0f, 5.6f, 0, 0.16f), 3.0f,
               ALL_FACES & ~FACE_NEG_Z);
    }
    room.push_back(strips);
    room.push_back(panels);

    GenMesh wainscot = named("wood_wain" + w.tag);
    addBox(wainscot, wallBox(w, -HALL_HALF_WIDTH, -4.5f, FLOOR_Y, -2.5f, 0, 0.3f), UV_WOOD, FACE_POS_Z | FACE_POS_Y);
    addBox(wainscot, wallBox(w, 4.5f, HALL_HALF_WIDTH, FLOOR_Y, -2.5f, 0, 0.3f), UV_WOOD, FACE_POS_Z | FACE_POS_Y);
    room.push_back(wainscot);

    GenMesh cornice = named("metal_cornice" + w.tag);
    addBox(cornice, wallBox(w, -HALL_HALF_WIDTH, HALL_HALF_WIDTH, 14.5f, 14.9f, 0, 0.45f), UV_METAL,
           FACE_POS_Z | FACE_POS_Y | FACE_NEG_Y);
    room.push_back(cornice);
}

// ---- free-standing pieces -------------------------------------------------------------

// Balcony along the west wall's southern half with its stairs down along the south wall.
static void buildBalcony(std::vector<GenMesh>& room) {
    const float slabTop = 4.0f, edgeX = -21.5f, startZ = 8.0f;
    GenMesh slab = named("stone_balcony");
    addBox(slab, axisBox({-HALL_HALF_WIDTH, 3.6f, startZ}, {edgeX, slabTop, HALL_HALF_WIDTH}), UV_STONE,
           FACE_POS_X | FACE_POS_Y | FACE_NEG_Y | FACE_NEG_Z);
    for (float z : {10.0f, 17.0f, 24.0f})
        addBox(slab, axisBox({-23.4f, FLOOR_Y, z - 0.4f}, {-22.4f, 3.6f, z + 0.4f}), UV_STONE,
               FACE_POS_X | FACE_NEG_X | FACE_POS_Z | FACE_NEG_Z);
    room.push_back(slab);

    GenMesh rail = named("metal_rail");
    const int sides = FACE_POS_X | FACE_NEG_X | FACE_POS_Z | FACE_NEG_Z;
    for (int i = 0; i < 15; ++i) {
        float z = startZ + 0.3f + 1.25f * float(i);
        addBox(rail, axisBox({-21.8f, slabTop, z - 0.05f}, {-21.7f, 5.1f, z + 0.05f}), UV_METAL, sides);
    }
    for (float x : {-25.2f, -24.0f, -22.8f})
        addBox(rail, axisBox({x - 0.05f, slabTop, startZ + 0.05f}, {x + 0.05f, 5.1f, startZ + 0.15f}), UV_METAL,
               sides);
    addBox(rail, axisBox({-21.85f, 5.1f, startZ}, {-21.65f, 5.22f, HALL_HALF_WIDTH}), UV_METAL,
           ALL_FACES & ~FACE_POS_Z);
    addBox(rail, axisBox({-21.78f, 4.5f, startZ}, {-21.72f, 4.56f, HALL_HALF_WIDTH}), UV_METAL,
           ALL_FACES & ~(FACE_POS_Z | FACE_NEG_Z));
    addBox(rail, axisBox({-HALL_HALF_WIDTH, 5.1f, startZ}, {-21.85f, 5.22f, startZ + 0.2f}), UV_METAL,
           ALL_FACES & ~(FACE_POS_X | FACE_NEG_X));
    room.push_back(rail);

    // Eleven solid steps of 8/12 rise and 1.0 run from the balcony down to the floor.
    GenMesh stairs = named("stone_stairs");
    const float rise = (slabTop - FLOOR_Y) / 12.0f;
    for (int i = 0; i < 11; ++i) {
        float x0 = edgeX + float(i), top = slabTop - rise * float(i + 1);
        int faces = FACE_POS_Y | FACE_POS_X | FACE_NEG_Z | (i == 0 ? FACE_NEG_X : 0);
        addBox(stairs, axisBox({x0, FLOOR_Y, 22.8f}, {x0 + 1.0f, top, HALL_HALF_WIDTH}), UV_STONE, faces);
    }
    room.push_back(stairs);
}

// Two shelf units against the east wall with boxes and glass jars.
static void buildShelves(std::vector<GenMesh>& room) {
    WallFrame w = makeWall({-1, 0, 0}, "e");
    CrtRandom random;
    crtSeed(random, PROPS_SEED);
    const float bays[2][2] = {{-19.5f, -13.0f}, {13.0f, 19.5f}};
    const float boards[4] = {-3.7f, -1.9f, -0.1f, 1.7f};
    for (int unit = 0; unit < 2; ++unit) {
        float u0 = bays[unit][0] + 0.8f, u1 = bays[unit][1] - 0.8f;
        GenMesh frame = named("wood_shelf" + std::to_string(unit));
        const int sideFaces = FACE_POS_X | FACE_NEG_X | FACE_POS_Z | FACE_POS_Y;
        addBox(frame, wallBox(w, u0, u0 + 0.12f, FLOOR_Y, 2.6f, 0, 1.3f), UV_WOOD, sideFaces);
        addBox(frame, wallBox(w, u1 - 0.12f, u1, FLOOR_Y, 2.6f, 0, 1.3f), UV_WOOD, sideFaces);
        for (float b : boards)
            addBox(frame, wallBox(w, u0 + 0.12f, u1 - 0.12f, b, b + 0.1f, 0, 1.25f), UV_WOOD,
                   FACE_POS_Y | FACE_NEG_Y | FACE_POS_Z);
        addBox(frame, wallBox(w, u0 - 0.05f, u1 + 0.05f, 2.6f, 2.72f, 0, 1.36f), UV_WOOD, ALL_FACES & ~FACE_NEG_Z);
        room.push_back(frame);

        GenMesh boxes = named("metal_shelfitems" + std::to_string(unit));
        GenMesh jars = named("glass_jars" + std::to_string(unit));
        for (int s = 0; s < 4; ++s) {
            float base = boards[s] + 0.1f;
            float space = s < 3 ? boards[s + 1] - base - 0.15f : 2.6f - base - 0.15f;
            float u = u0 + 0.3f;
            while (true) {
                bool jar = crtRand(random) % 3 == 0;
                float width = jar ? crtRange(random, 0.4f, 0.7f) : crtRange(random, 0.35f, 1.0f);
                float height = crtRange(random, 0.45f, space);
                if (u + width > u1 - 0.3f) break;
                float mid = u + width * 0.5f;
                if (jar) {
                    Vec3 centre = wallPoint(w, mid, base, 0.65f);
                    addPrism(jars, centre, width * 0.5f, height, 8, 0.0f, true, true, false, 1.0f);
                } else {
                    float depth = crtRange(random, 0.4f, 0.9f);
                    Vec3 centre = wallPoint(w, mid, base + height * 0.5f, 0.25f + depth * 0.5f);
                    float turn = crtRange(random, -0.25f, 0.25f);
                    Box b = {centre, rotateY(w.along, turn), {0, 1, 0}, rotateY(w.inward, turn),
                             {width * 0.45f, height * 0.5f, depth * 0.5f}};
                    addBox(boxes, b, UV_METAL, ALL_FACES & ~FACE_NEG_Y);
                }
                u += width + crtRange(random, 0.05f, 0.35f);
            }
        }
        room.push_back(boxes);
        room.push_back(jars);
    }
}

// Box in a local frame on the floor at position facing the hall's centre (local +z).
static Box facingBox(Vec3 position, Vec3 localMin, Vec3 localMax) {
    Vec3 z = normalize(Vec3{-position.x, 0, -position.z});
    Vec3 x = cross({0, 1, 0}, z);
    Vec3 mid = (localMin + localMax) * 0.5f;
    return {position + x * mid.x + Vec3{0, mid.y, 0} + z * mid.z, x, {0, 1, 0}, z, (localMax - localMin) * 0.5f};
}

// Free-standing frames between the columns and the walls, each with an etched glass pane.
static void buildFrames(std::vector<GenMesh>& room) {
    const float angles[3] = {105.0f, 195.0f, 285.0f};
    for (int k = 0; k < 3; ++k) {
        float a = angles[k] * PI / 180.0f;
        Vec3 p = {21.5f * std::cos(a), FLOOR_Y, 21.5f * std::sin(a)};
        GenMesh frame = named("wood_frame" + std::to_string(k));
        for (float x : {-1.8f, 1.8f}) {
            addBox(frame, facingBox(p, {x - 0.15f, 0.2f, -0.15f}, {x + 0.15f, 6.0f, 0.15f}), UV_WOOD,
                   ALL_FACES & ~(FACE_NEG_Y | FACE_POS_Y));
            addBox(frame, facingBox(p, {x - 0.25f, 0.0f, -0.8f}, {x + 0.25f, 0.2f, 0.8f}), UV_WOOD,
                   ALL_FACES & ~FACE_NEG_Y);
        }
        addBox(frame, facingBox(p, {-2.1f, 6.0f, -0.2f}, {2.1f, 6.35f, 0.2f}), UV_WOOD, ALL_FACES);
        addBox(frame, facingBox(p, {-1.65f, 1.0f, -0.1f}, {1.65f, 1.2f, 0.1f}), UV_WOOD,
               ALL_FACES & ~(FACE_POS_X | FACE_NEG_X));
        room.push_back(frame);
        GenMesh pane = named("glass_pane" + std::to_string(k));
        addBox(pane, facingBox(p, {-1.65f, 1.2f, -0.03f}, {1.65f, 6.0f, 0.03f}), UV_GLASS,
               FACE_POS_Z | FACE_NEG_Z);
        room.push_back(pane);
    }
}

// Convex solid from triangles: each face turned to look away from the solid's centre.
static void addSolidFace(GenMesh& mesh, Vec3 centre, Vec3 a, Vec3 b, Vec3 c, float uvScale) {
    addTriangleTowards(mesh, a, b, c, (a + b + c) * (1.0f / 3.0f) - centre, uvScale);
}

static void addOctahedron(GenMesh& mesh, Vec3 centre, float radius, float height) {
    Vec3 top = centre + Vec3{0, height, 0}, bottom = centre - Vec3{0, height, 0};
    for (int k = 0; k < 4; ++k) {
        float a0 = PI * 0.5f * float(k) + PI * 0.25f, a1 = a0 + PI * 0.5f;
        Vec3 p0 = centre + Vec3{radius * std::cos(a0), 0, radius * std::sin(a0)};
        Vec3 p1 = centre + Vec3{radius * std::cos(a1), 0, radius * std::sin(a1)};
        addSolidFace(mesh, centre, top, p0, p1, UV_METAL);
        addSolidFace(mesh, centre, bottom, p0, p1, UV_METAL);
    }
}

static void addIcosahedron(GenMesh& mesh, Vec3 centre, float radius) {
    const float g = 1.6180340f;
    const Vec3 v[12] = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0}, {0, -1, g}, {0, 1, g},
                        {0, -1, -g}, {0, 1, -g}, {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
    const int f[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                          {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                          {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    float scale = radius / length(v[0]);
    for (const auto& face : f)
        addSolidFace(mesh, centre, centre + v[face[0]] * scale, centre + v[face[1]] * scale,
                     centre + v[face[2]] * scale, UV_METAL);
}

// Square obelisk: tapered shaft from half width w0 at y0 to w1 at y1, pyramid tip to tipY.
static void addObelisk(GenMesh& mesh, Vec3 base, float w0, float w1, float y1, float tipY) {
    Vec3 b[4], t[4];
    for (int k = 0; k < 4; ++k) {
        float sx = (k == 0 || k == 3) ? -1.0f : 1.0f, sz = (k < 2) ? -1.0f : 1.0f;
        b[k] = base + Vec3{sx * w0, 0, sz * w0};
        t[k] = Vec3{base.x + sx * w1, y1, base.z + sz * w1};
    }
    Vec3 tip = {base.x, tipY, base.z};
    Vec3 centre = {base.x, (base.y + y1) * 0.5f, base.z};
    for (int k = 0; k < 4; ++k) {
        int n = (k + 1) % 4;
        Vec3 out = (b[k] + b[n]) * 0.5f - Vec3{base.x, base.y, base.z};
        addQuadTowards(mesh, b[k], b[n], t[n], t[k], out, UV_METAL);
        addSolidFace(mesh, centre, t[k], t[n], tip, UV_METAL);
    }
}

// Pedestals with small sculptures inside the column ring, low enough for the cameras to pass over.
static void buildPedestals(std::vector<GenMesh>& room) {
    const float angles[4] = {60.0f, 150.0f, 240.0f, 330.0f};
    for (int k = 0; k < 4; ++k) {
        float a = angles[k] * PI / 180.0f;
        Vec3 p = {12.5f * std::cos(a), FLOOR_Y, 12.5f * std::sin(a)};
        GenMesh pedestal = named("stone_ped" + std::to_string(k));
        addPrism(pedestal, p, 0.75f, 1.3f, 8, a, false, false, false, UV_STONE);
        addBox(pedestal, facingBox(p, {-0.85f, 1.3f, -0.85f}, {0.85f, 1.5f, 0.85f}), UV_STONE,
               ALL_FACES & ~FACE_NEG_Y);
        room.push_back(pedestal);

        GenMesh sculpture = named("metal_sculpt" + std::to_string(k));
        Vec3 top = p + Vec3{0, 1.5f, 0};
        switch (k) {
            case 0:
                addOctahedron(sculpture, top + Vec3{0, 0.75f, 0}, 0.55f, 0.75f);
                break;
            case 1:
                for (int i = 0; i < 3; ++i)
                    addBox(sculpture, turnedBox(top + Vec3{0, 0.2f + 0.4f * float(i), 0}, {0.45f, 0.2f, 0.45f},
                                                0.35f * float(i)),
                           UV_METAL, ALL_FACES & ~FACE_NEG_Y);
                break;
            case 2:
                addIcosahedron(sculpture, top + Vec3{0, 0.6f, 0}, 0.6f);
                break;
            default:
                addObelisk(sculpture, top, 0.35f, 0.18f, top.y + 1.1f, top.y + 1.4f);
                break;
        }
        room.push_back(sculpture);
    }
}

// Low benches between the pedestals, facing the centre; their seats stay below the cameras.
static void buildBenches(std::vector<GenMesh>& room) {
    const float angles[4] = {15.0f, 105.0f, 195.0f, 285.0f};
    for (int k = 0; k < 4; ++k) {
        float a = angles[k] * PI / 180.0f;
        Vec3 p = {15.5f * std::cos(a), FLOOR_Y, 15.5f * std::sin(a)};
        GenMesh seat = named("wood_bench" + std::to_string(k));
        addBox(seat, facingBox(p, {-1.6f, 0.5f, -0.45f}, {1.6f, 0.68f, 0.45f}), UV_WOOD, ALL_FACES);
        room.push_back(seat);
        GenMesh legs = named("stone_benchlegs" + std::to_string(k));
        for (float x : {-1.15f, 1.15f})
            addBox(legs, facingBox(p, {x - 0.18f, 0.0f, -0.38f}, {x + 0.18f, 0.5f, 0.38f}), UV_STONE,
                   ALL_FACES & ~(FACE_NEG_Y | FACE_POS_Y));
        room.push_back(legs);
    }
}

// Stepped stone blocks in the two eastern corners, each crowned by an obelisk.
static void buildCornerBlocks(std::vector<GenMesh>& room) {
    const float corners[2] = {21.6f, -21.6f};
    for (int k = 0; k < 2; ++k) {
        Vec3 c = {21.6f, FLOOR_Y, corners[k]};
        GenMesh block = named("stone_block" + std::to_string(k));
        const float halves[3] = {2.6f, 1.9f, 1.2f};
        for (int tier = 0; tier < 3; ++tier) {
            float y0 = FLOOR_Y + 1.3f * float(tier);
            float h = halves[tier];
            addBox(block, axisBox({c.x - h, y0, c.z - h}, {c.x + h, y0 + 1.3f, c.z + h}), UV_STONE,
                   ALL_FACES & ~FACE_NEG_Y);
        }
        room.push_back(block);
        GenMesh obelisk = named("metal_obelisk" + std::to_string(k));
        addObelisk(obelisk, {c.x, FLOOR_Y + 3.9f, c.z}, 0.5f, 0.28f, 4.6f, 5.4f);
        room.push_back(obelisk);
    }
}

// Hanging lamps between the column ring and the walls.
static void buildLamps(std::vector<GenMesh>& room) {
    GenMesh glows = named("strip_lampglow");
    for (int k = 0; k < 8; ++k) {
        float a = (22.5f + 45.0f * float(k)) * PI / 180.0f;
        Vec3 p = {22.0f * std::cos(a), 0, 22.0f * std::sin(a)};
        GenMesh lamp = named("metal_lamp" + std::to_string(k));
        addBox(lamp, axisBox({p.x - 0.03f, 12.6f, p.z - 0.03f}, {p.x + 0.03f, CEILING_Y, p.z + 0.03f}), UV_METAL,
               FACE_POS_X | FACE_NEG_X | FACE_POS_Z | FACE_NEG_Z);
        addPrism(lamp, {p.x, 11.7f, p.z}, 0.75f, 0.9f, 6, a, false, true, false, UV_METAL);
        room.push_back(lamp);
        addPrism(glows, {p.x, 11.6f, p.z}, 0.65f, 0.1f, 6, a, false, false, true, UV_STRIP);
    }
    room.push_back(glows);
}

std::vector<GenMesh> buildRoom() {
    std::vector<GenMesh> room;
    buildFloor(room);
    buildDais(room);
    buildColumns(room);
    buildWall(room, makeWall({0, 0, 1}, "n"));
    buildWall(room, makeWall({0, 0, -1}, "s"));
    buildWall(room, makeWall({-1, 0, 0}, "e"));
    buildWall(room, makeWall({1, 0, 0}, "w"));
    buildCeiling(room);
    buildBalcony(room);
    buildShelves(room);
    buildFrames(room);
    buildPedestals(room);
    buildBenches(room);
    buildCornerBlocks(room);
    buildLamps(room);
    return room;
}

std::string sceneFileText(const std::vector<GenMesh>& objects) {
    std::string text = "objcount " + std::to_string(objects.size()) + "\n";
    for (const GenMesh& mesh : objects) append3dmObject(text, mesh, SCENE_SPACE);
    return text;
}
