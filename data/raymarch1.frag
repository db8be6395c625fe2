#extension GL_ARB_shader_texture_lod : enable
// Raymarched centre-piece, composited into the rasterised room by depth.
//   scene 0: a polished brass block of eight bevelled cubes fused with a ring; it twists, ripples
//            with noise and finally unfolds into its eight pieces while it turns.
//   scene 2: a faceted, palette-tinted crystal that tumbles along the bounce path and hops.
//   scene 4: a chain of twenty lacquered beads along a knot, each in its own colour, with light
//            pulses travelling round it.
// Outside shadow mode the pass writes the final picture: room colour wherever the room is nearer
// than the piece or the ray misses. In shadow mode (rendertoshadowmap = 1) it writes the piece's
// depth from the light, packed like the spot depth pass, and keeps the existing map elsewhere.
//
// GLSL 1.10 on purpose: `precision` is a reserved word from 1.20 on. No varyings are read (the
// pixel position comes from gl_FragCoord), so any pass-through vertex shader fits.
//
// Written for a software rasteriser (llvmpipe) that runs both sides of every branch and at least
// one pass of every loop for every pixel, and only leaves a loop early once all pixels of a batch
// are done. So:
// - all distance evaluations happen in ONE loop (march, then normal, occlusion, shadow and
//   crystal-interior samples, one evaluation per pass): a pixel pays for the samples it needs;
// - the shading after it is one material model for all scenes;
// - loops over arrays count with a float: with an integer counter the compiler bounds the loop by
//   the array size and unrolls it into straight code, which then runs for every pixel.

uniform float iTime;             // show time, 0.04 per 60 Hz frame
uniform float iTimetwist;        // the same, counted from the twist start (frozen once it unfolds)
uniform int refractmode;         // 1: refraction through the surface
uniform int rendertoshadowmap;   // 1: 1024 x 1024 shadow target, depth as colour
uniform float rfactor;           // ratio of refraction indices outside / inside
uniform float scale;             // size of the piece, multiplied with masterscale
uniform float normaleps;         // normal estimation step, object units
uniform int steps;               // march steps
uniform float precision;         // hit distance next to the eye; grows with the ray length
uniform float noisefade;         // scene 0: 0 before the noise, then 1 falling to -17
uniform float twistfader;        // scene 0: 0..1 twist strength
uniform float twistoutrofader;   // scene 0: 0..1 unfolding
uniform float exitangle;         // scene 0: radians turned while unfolding
uniform float fov;               // focal length: 1 / tan(half the vertical field of view)
uniform float depthmult;         // stored depths are divided by this
uniform float depthmax;          // stored depths at or beyond this mean "no surface"
uniform int showdepthmap;        // 1: show the depths instead of the picture
uniform vec3 t1;                 // degrees, part-time phases
uniform vec3 t2;
uniform vec3 t3;
uniform mat4 Rotation;           // orientation of the piece (scenes 0 and 2)
uniform int sceneselect;
uniform float bnzdisplacey;      // scene 2: height offset of the hops
// Curve object of scene 4; 20 = CURVE_SEGMENT_COUNT on the C++ side.
uniform vec3 ddcvectors[20];         // unit directions; segment i starts where i - 1 ends
uniform vec3 ddccolors[20];
uniform mat3 ddcanglematrices[20];   // rotation taking +Y onto ddcvectors[i]
uniform float ddcvectormult[20];     // lengths
uniform mat4 ddcscalingmatrices[20]; // thickness across the segment: [0][0] (= [2][2], round beads)
uniform float ddcscroll;             // minus the scroll, segments
uniform mat4 Rotation2;          // orientation of the chain (scene 4)
uniform mat3 mat3cam;            // upper-left 3 x 3 of the projection before the camera set-up
uniform mat4 mat4cam;            // projection x view of the camera
uniform vec3 rayorigin;          // eye
uniform vec3 raydirection;       // look-at point
uniform vec3 upvector;
uniform sampler2D depthMap;      // room depth as colour, or the shadow map in shadow mode
uniform sampler2D colorMap;      // room colour
uniform samplerCube envMap;      // the room seen from the origin
uniform sampler2D palette;       // scene 2 tint, read along u
uniform float masterscale;       // appear/disappear, 0 = gone

// ---- depth stored as colour --------------------------------------------------------------------
// The depth passes store eye depth (clip w) divided by a range as a 24-bit integer
// n = floor(v * 16777215 + 0.5), r = n / 65536, g = (n / 256) mod 256, b = n mod 256 (each / 255):
// the room's depth-as-colour pass with the range depthmult, the spot depth pass with its own range
// (SPOT_DEPTH_RANGE in render/shadow.h). A cleared target reads 0 (room) or the far end (white).
const float SPOT_DEPTH_RANGE = 100.0;
float unpackDepth(vec3 rgb) {
    vec3 bytes = floor(rgb * 255.0 + 0.5);
    return dot(bytes, vec3(65536.0, 256.0, 1.0)) / 16777215.0;
}
vec3 packDepth(float v) {
    float n = floor(clamp(v, 0.0, 1.0) * 16777215.0 + 0.5);
    float r = floor(n / 65536.0);
    float g = floor((n - r * 65536.0) / 256.0);
    float b = n - r * 65536.0 - g * 256.0;
    return vec3(r, g, b) / 255.0;
}
float decodeRoomDepth(vec3 rgb) {
    return unpackDepth(rgb) * depthmult;
}
float decodeShadowDepth(vec3 rgb) {
    return unpackDepth(rgb) * SPOT_DEPTH_RANGE;
}
vec3 encodeShadowDepth(float depth) {
    return packDepth(depth / SPOT_DEPTH_RANGE);
}

const float NO_SURFACE = 1.0e5;
const float PI = 3.14159265;
const float MAX_SLOTS = 8.0;     // chain segments one ray can pass near

// Phases of the sampling loop.
const int MARCH = 0;
const int NORMAL = 1;            // four taps
const int OCCLUSION = 2;         // four taps along the normal
const int SHADOW = 3;            // soft shadow towards the key light
const int INSIDE = 4;            // crystal: through the body to the far side
const int EXIT_NORMAL = 5;       // crystal: four taps at the far side
const int DONE = 6;

// ---- the pixel's view of the piece, set once in main ----------------------------------------------
vec3 pieceCentre = vec3(0.0);    // world
float pieceSize = 1.0;           // world units per object unit
// The pieces are modelled about 2 units across; the room is built for one about 3 across.
const float PIECE_SCALE = 1.5;
mat3 pieceTurn = mat3(1.0);      // object to world rotation
float squash = 1.0;              // scene 2: flattening while the crystal touches down
float noiseAmount = 0.0;         // scene 0
float twistRate = 0.0;           // scene 0: radians of twist per object unit of height
vec2 unfoldTurn = vec2(1.0, 0.0);   // scene 0: cos, sin of the unfolding turn
mat3 ringTurn = mat3(1.0);       // scene 0: tilt of the ring
vec3 chainShift = vec3(0.0);     // scene 4: start of segment 0, centring the chain
float segmentCount = 0.0;         // scene 4: 20 segments to visit, else none
// Scene 4: the segments near the ray, copied out of the uniforms once per pixel.
float slotCount = 0.0;
float slotSegment[8];             // MAX_SLOTS: segment number
vec4 slotStart[8];                // start point (object space), length
vec4 slotAxis[8];                 // unit direction, thickness

// Sine to about 0.001, for shapes and patterns: the built-in one costs several times as much.
float fastSin(float x) {
    x = fract(x * 0.15915494 + 0.5) * 2.0 - 1.0;   // x / pi, wrapped to -1..1
    float y = x * (4.0 - 4.0 * abs(x));
    return y * (0.775 + 0.225 * abs(y));
}

float fastCos(float x) {
    return fastSin(x + 1.5707963);
}

mat3 upper3(mat4 m) {
    return mat3(m[0].xyz, m[1].xyz, m[2].xyz);
}

vec2 turn2(vec2 v, float c, float s) {
    return vec2(c * v.x - s * v.y, s * v.x + c * v.y);
}

mat3 turnX(float a) {
    float c = fastCos(a), s = fastSin(a);
    return mat3(1.0, 0.0, 0.0, 0.0, c, s, 0.0, -s, c);
}

mat3 turnZ(float a) {
    float c = fastCos(a), s = fastSin(a);
    return mat3(c, s, 0.0, -s, c, 0.0, 0.0, 0.0, 1.0);
}

float smin(float a, float b, float k) {
    float h = clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
    return mix(b, a, h) - k * h * (1.0 - h);
}

float sdRoundBox(vec3 p, vec3 b, float r) {
    vec3 q = abs(p) - b;
    return length(max(q, 0.0)) + min(max(q.x, max(q.y, q.z)), 0.0) - r;
}

// ---- scene 0: the brass block ----------------------------------------------------------------------
float sculpture(vec3 q) {
    // Twist about the vertical axis, growing with the height.
    float a = twistRate * q.y;
    q.xz = turn2(q.xz, fastCos(a), fastSin(a));
    q.xz = turn2(q.xz, unfoldTurn.x, unfoldTurn.y);
    float open = twistoutrofader;
    float cubes = sdRoundBox(abs(q) - vec3(0.5 + 0.55 * open), vec3(0.36), 0.13);
    vec3 r = ringTurn * q;
    float ring = length(vec2(length(r.xz) - (1.38 + 0.5 * open), r.y)) - 0.17;
    float d = smin(cubes, ring, 0.32);
    vec3 w = q * 4.3 + t2 * 0.035;
    return d + noiseAmount * 0.05 * fastSin(w.x) * fastSin(w.y) * fastSin(w.z);
}

// ---- scene 2: the crystal ----------------------------------------------------------------------------
// A round-cut gem: table, sixteen crown facets, girdle and sixteen pavilion facets down to the
// point, 1.3 object units across.
float crystal(vec3 q) {
    q.y /= squash;
    q /= 1.3;
    // Sixteen-fold symmetry round the vertical axis: fold into the sector 0..22.5 degrees.
    q.xz = abs(q.xz);
    if (q.z > q.x) q.xz = q.zx;
    vec2 fold = vec2(-0.382683, 0.923880);   // normal of the 22.5 degree line
    q.xz -= 2.0 * max(dot(q.xz, fold), 0.0) * fold;
    float r = dot(q.xz, vec2(0.980785, 0.195090));   // towards the facet in the middle of the sector
    float star = dot(vec2(q.x, q.y), vec2(0.42, 0.907)) - 0.62;   // small facets round the table
    float crown = dot(vec2(r, q.y), vec2(0.664, 0.747)) - 0.701;
    float pavilion = dot(vec2(r, q.y), vec2(0.669, -0.743)) - 0.706;
    float d = max(max(max(q.y - 0.45, star), max(crown, r - 1.0)), pavilion);
    return d * 1.3 * squash;
}

// ---- scene 4: the chain --------------------------------------------------------------------------------
// The bead of slot k: thick in the middle, narrow at the joints.
float bead(vec3 q, int k) {
    vec4 start = slotStart[k];
    vec4 axis = slotAxis[k];
    q -= start.xyz;
    float along = clamp(dot(q, axis.xyz), 0.0, start.w);
    float u = along / max(start.w, 1e-3);
    float swell = 0.58 + 1.68 * u * (1.0 - u);
    return length(q - axis.xyz * along) - axis.w * swell;
}

float chain(vec3 q) {
    float d = 1.0e3;
    for (float f = 0.0; f < slotCount; f += 1.0) d = min(d, bead(q, int(f)));
    return d;
}

// ---- the piece --------------------------------------------------------------------------------------------
vec3 toObject(vec3 p) {
    return ((p - pieceCentre) / pieceSize) * pieceTurn;
}

float map(vec3 p) {
    vec3 q = toObject(p);
    float d;
    if (sceneselect == 0) d = sculpture(q);
    else if (sceneselect == 2) d = crystal(q);
    else d = chain(q);
    return d * pieceSize;
}

// Sets the pixel's view of the piece; returns its bounding radius in object units.
float setUpPiece() {
    pieceSize = masterscale * scale * PIECE_SCALE;
    if (sceneselect == 0) {
        pieceTurn = upper3(Rotation);
        // A short shiver when the noise begins, then a steady swell.
        noiseAmount = clamp(-noisefade * 0.25, 0.0, 1.0) + 0.6 * fastSin(PI * clamp(noisefade, 0.0, 1.0));
        // The twist unwinds while the block unfolds.
        twistRate = twistfader * (1.1 + 0.5 * fastSin(iTimetwist * 0.7)) * (1.0 - 0.85 * twistoutrofader);
        float unfold = twistoutrofader * exitangle * 0.25;
        unfoldTurn = vec2(fastCos(unfold), fastSin(unfold));
        ringTurn = turnZ(radians(t1.y) * 0.25) * turnX(radians(t1.x) * 0.5 + 0.6);
        return 1.9 + 0.95 * twistoutrofader;
    }
    if (sceneselect == 2) {
        pieceTurn = upper3(Rotation);
        // Parabolic hops with a squash where the crystal touches down.
        float phase = fract(iTime * 0.42);
        float arc = 4.0 * phase * (1.0 - phase);
        float contact = 1.0 - smoothstep(0.0, 0.12, min(phase, 1.0 - phase));
        squash = 1.0 - 0.16 * contact;
        float height = (bnzdisplacey - 0.65) * 0.6 - 0.75 + 1.55 * arc - 0.2 * contact;
        pieceCentre = vec3(0.0, height, 0.0) * pieceSize;
        return 1.4;
    }
    pieceTurn = upper3(Rotation2);
    segmentCount = sceneselect == 4 ? 20.0 : 0.0;
    return 2.75;
}

// Scene 4: the segments the object-space ray passes within a bead's thickness of. The joints come
// from adding up the segments, centred on the mean of the segment midpoints.
void pickSegments(vec3 ro, vec3 rd) {
    vec3 joint = vec3(0.0);
    vec3 sum = vec3(0.0);
    for (float f = 0.0; f < segmentCount; f += 1.0) {
        int i = int(f);
        vec3 step = ddcvectors[i] * ddcvectormult[i];
        sum += joint + step * 0.5;
        joint += step;
    }
    chainShift = -sum / 20.0;
    joint = chainShift;
    for (float f = 0.0; f < segmentCount; f += 1.0) {
        int i = int(f);
        vec3 axis = ddcvectors[i];
        float len = ddcvectormult[i];
        vec3 step = axis * len;
        // Closest approach of the ray (from ro along rd, forwards only) and the segment.
        vec3 w = ro - joint;
        float b = dot(rd, axis);
        float along = clamp((dot(axis, w) - b * dot(rd, w)) / max(1.0 - b * b, 1e-5), 0.0, len);
        float ahead = max(dot(joint + axis * along - ro, rd), 0.0);
        vec3 gap = ro + rd * ahead - joint - axis * along;
        float reach = ddcscalingmatrices[i][0][0] * 1.05 + 0.02;
        if (dot(gap, gap) < reach * reach && slotCount < MAX_SLOTS) {
            int k = int(slotCount);
            slotSegment[k] = f;
            slotStart[k] = vec4(joint, ddcvectormult[i]);
            slotAxis[k] = vec4(ddcvectors[i], ddcscalingmatrices[i][0][0]);
            slotCount += 1.0;
        }
        joint += step;
    }
}

// Entry and exit ray lengths of a sphere, or a miss (x > y).
vec2 sphereSpan(vec3 ro, vec3 rd, vec3 centre, float radius) {
    vec3 oc = ro - centre;
    float b = dot(oc, rd);
    float h = b * b - dot(oc, oc) + radius * radius;
    if (h < 0.0) return vec2(1.0, -1.0);
    h = sqrt(h);
    return vec2(-b - h, -b + h);
}

// Tetrahedron tap k of the normal estimate.
vec3 tap(int k) {
    if (k == 0) return vec3(1.0, -1.0, -1.0);
    if (k == 1) return vec3(-1.0, -1.0, 1.0);
    if (k == 2) return vec3(-1.0, 1.0, -1.0);
    return vec3(1.0, 1.0, 1.0);
}

vec3 keyLight() {
    vec3 l = vec3(-0.55, 0.75, 0.55);
    if (sceneselect == 4) {
        float a = radians(t3.y) * 0.5;
        l.xz = turn2(l.xz, fastCos(a), fastSin(a));
    }
    return normalize(l);
}

// blur: mipmap level; an explicit level is cheaper here than a bias.
vec3 environment(vec3 dir, float blur) {
    return textureCubeLod(envMap, dir, blur).rgb;
}

// Screen position of a world point through the camera.
vec2 screenOf(vec3 p) {
    vec4 clip = mat4cam * vec4(p, 1.0);
    return clamp(clip.xy / max(clip.w, 1e-3) * 0.5 + 0.5, 0.0, 1.0);
}

// ---- main ---------------------------------------------------------------------------------------------------
void main() {
    bool toShadow = rendertoshadowmap == 1;
    vec2 resolution = toShadow ? vec2(1024.0) : vec2(1920.0, 1080.0);
    vec2 uv = gl_FragCoord.xy / resolution;
    vec2 ndc = uv * 2.0 - 1.0;
    ndc.x *= resolution.x / resolution.y;
    // Eye on the target, or a view along the up vector, would give NaN: fall back to -z and to a
    // side vector across the view.
    vec3 view = raydirection - rayorigin;
    vec3 forward = dot(view, view) > 1e-12 ? normalize(view) : vec3(0.0, 0.0, -1.0);
    vec3 side = cross(forward, upvector);
    if (dot(side, side) < 1e-10) side = cross(forward, abs(forward.x) < 0.9 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 0.0, 1.0));
    vec3 right = normalize(side);
    vec3 up = cross(right, forward);
    vec3 rd = normalize(forward * fov + right * ndc.x + up * ndc.y);
    vec3 ro = rayorigin;
    float alongForward = dot(rd, forward);   // eye depth per unit of ray length

    vec4 stored = texture2D(depthMap, uv);
    float surfaceDepth = toShadow ? decodeShadowDepth(stored.rgb) : decodeRoomDepth(stored.rgb);
    float farthest = toShadow ? SPOT_DEPTH_RANGE * 0.9999 : depthmax;   // cleared targets read as no surface
    if (surfaceDepth <= 0.001 || surfaceDepth >= farthest) surfaceDepth = NO_SURFACE;
    vec3 background = toShadow ? stored.rgb : texture2D(colorMap, uv).rgb;

    // Where to march: inside the bounding sphere and in front of the room.
    float radius = setUpPiece();
    vec2 span = sphereSpan(ro, rd, pieceCentre, radius * pieceSize);
    float t = max(span.x, 0.0);
    float tEnd = min(span.y, surfaceDepth / alongForward);
    int phase = pieceSize > 0.001 && span.x <= span.y && t < tEnd ? MARCH : DONE;
    if (phase == MARCH && sceneselect == 4) {
        pickSegments(toObject(ro), rd * pieceTurn);
        if (slotCount == 0.0) phase = DONE;
    }
    // Shadow mode only needs the hit. In scene 4 only the segments near the view ray take part in
    // the occlusion and shadow samples.
    int lastPhase = toShadow ? MARCH : (sceneselect == 2 && refractmode == 1 ? EXIT_NORMAL : SHADOW);
    vec3 l = keyLight();
    float stride = sceneselect == 0 ? 0.8 : 1.0;   // the noise ripples steepen the field
    float eps = normaleps * pieceSize;

    float hitT = -1.0;
    vec3 p = ro;                 // hit point
    vec3 n = vec3(0.0, 1.0, 0.0);
    vec3 normalSum = vec3(0.0);
    float occlusionSum = 0.0;
    float occlusionWeight = 1.0;
    float shadowT = 0.0;
    float shade = 1.0;           // soft shadow, 1 = lit
    vec3 inward = rd;            // crystal: direction through the body
    float insideT = 0.0;
    vec3 exitPoint = p;
    vec3 exitNormalSum = vec3(0.0);
    int marchSteps = 0;
    int k = 0;                   // sample within the phase
    for (int i = 0; i < 200; i++) {
        if (phase == DONE) break;
        vec3 at = ro + rd * t;
        if (phase == NORMAL) at = p + tap(k) * eps;
        else if (phase == OCCLUSION) at = p + n * (0.06 * float(k + 1) * pieceSize);
        else if (phase == SHADOW) at = p + n * (0.01 * pieceSize) + l * shadowT;
        else if (phase == INSIDE) at = p + inward * insideT;
        else if (phase == EXIT_NORMAL) at = exitPoint + tap(k) * eps;
        float d = map(at);
        k++;
        if (phase == MARCH) {
            marchSteps++;
            if (d < precision * (1.0 + 40.0 * t)) {
                hitT = t;
                p = at;
                phase = lastPhase == MARCH ? DONE : NORMAL;
                k = 0;
            } else {
                t += d * stride;
                if (t > tEnd || marchSteps >= steps) phase = DONE;
            }
        } else if (phase == NORMAL) {
            normalSum += tap(k - 1) * d;
            if (k == 4) {
                n = normalize(normalSum);
                phase = OCCLUSION;
                k = 0;
            }
        } else if (phase == OCCLUSION) {
            occlusionSum += (0.06 * float(k) * pieceSize - d) * occlusionWeight;
            occlusionWeight *= 0.6;
            if (k == 4) {
                phase = lastPhase == SHADOW ? SHADOW : INSIDE;
                shadowT = 0.03 * pieceSize;
                inward = refract(rd, n, rfactor);
                insideT = 0.04 * pieceSize;
                k = 0;
            }
        } else if (phase == SHADOW) {
            shade = min(shade, 10.0 * d / shadowT);
            shadowT += clamp(d, 0.04 * pieceSize, 0.5 * pieceSize);
            if (shade < 0.02 || k >= 14) phase = DONE;
        } else if (phase == INSIDE) {
            if (-d < 0.002 * pieceSize || k >= 24) {
                exitPoint = at;
                phase = EXIT_NORMAL;
                k = 0;
            } else {
                insideT += max(-d, 0.01 * pieceSize);
            }
        } else if (phase == EXIT_NORMAL) {
            exitNormalSum += tap(k - 1) * d;
            if (k == 4) phase = DONE;
        }
    }

    if (showdepthmap == 1) {
        // Room depth as grey; the piece's depth through the camera matrix in red.
        float grey = surfaceDepth < NO_SURFACE ? surfaceDepth / depthmax : 1.0;
        float pieceDepth = hitT >= 0.0 ? (mat4cam * vec4(p, 1.0)).w / depthmax : 0.0;
        gl_FragColor = vec4(vec3(grey) * 0.6 + vec3(pieceDepth, 0.0, 0.0), 1.0);
        return;
    }
    if (toShadow) {
        gl_FragColor = vec4(hitT >= 0.0 ? encodeShadowDepth(hitT * alongForward) : stored.rgb, 1.0);
        return;
    }

    // ---- material: one model for every scene ---------------------------------------------------------
    shade = clamp(shade, 0.0, 1.0);
    float ao = clamp(1.0 - 2.2 * occlusionSum / pieceSize, 0.0, 1.0);
    float ndv = max(dot(n, -rd), 0.0);
    float ndl = max(dot(n, l), 0.0);
    float ndh = max(dot(n, normalize(l - rd)), 0.0);
    float rim = 1.0 - ndv;
    float rim2 = rim * rim;
    bool glass = sceneselect == 2;
    vec3 base;
    float metal;
    float shininess;
    vec3 glow = vec3(0.0);
    if (sceneselect == 0) {
        base = vec3(1.0, 0.8, 0.52);   // polished brass
        metal = 1.0;
        shininess = 90.0;
    } else if (glass) {
        // One tint for the whole crystal, drifting through the palette.
        base = texture2D(palette, vec2(fract(iTime * 0.035), 0.5)).rgb;
        metal = 0.0;
        shininess = 160.0;
    } else {
        // Which bead, how far along it, and the light pulses running round the chain.
        vec3 q = toObject(p);
        float best = 1.0e3;
        float segment = 0.0;
        vec3 local = q;
        for (float f = 0.0; f < slotCount; f += 1.0) {
            int k = int(f);
            float d = bead(q, k);
            if (d < best) {
                best = d;
                segment = slotSegment[k];
                local = q - slotStart[k].xyz;
            }
        }
        int i = int(segment);
        // In the bead's own frame (+Y along it): three thin inlaid spiral lines round it, from
        // sin(3 angle + 14 y) with the angle's cosine and sine taken from the frame.
        local = local * ddcanglematrices[i];
        float along = clamp(local.y / max(ddcvectormult[i], 1e-3), 0.0, 1.0);   // a segment may have length 0
        vec2 around = local.xz / max(length(local.xz), 1e-4);
        float cos3 = around.x * (4.0 * around.x * around.x - 3.0);
        float sin3 = around.y * (3.0 - 4.0 * around.y * around.y);
        float line = smoothstep(0.86, 0.97, sin3 * fastCos(local.y * 14.0) + cos3 * fastSin(local.y * 14.0));
        base = mix(ddccolors[i], ddccolors[i < 19 ? i + 1 : 0], smoothstep(0.6, 1.0, along) * 0.5);
        base = mix(base, vec3(1.0, 0.86, 0.55), 0.55 * line);   // pale gold
        float wave = 0.5 + 0.5 * fastCos(2.0 * PI * (segment + along + ddcscroll) / 5.0);
        float wave4 = wave * wave * wave * wave;
        float pulse = wave4 * wave4 * wave4;   // sharp pulses, five segments apart
        glow = base * pulse * 1.4 + vec3(pulse * 0.25);
        metal = 0.0;
        shininess = 120.0;
    }
    vec3 f0 = mix(vec3(glass ? 0.12 : 0.04), base * 0.85, metal);   // 0.12: a gem's high index
    vec3 fresnel = f0 + (1.0 - f0) * (rim2 * rim2 * rim);

    // Crystal: out of the far side. Without refraction the view passes straight through.
    vec3 exitNormal = -normalize(exitNormalSum + vec3(0.0, 0.0, 1.0e-6));
    vec3 outward = refract(inward, exitNormal, 1.0 / rfactor);
    if (dot(outward, outward) < 0.01) outward = reflect(inward, exitNormal);   // trapped: bounces back
    if (refractmode != 1) outward = rd;

    // Two environment lookups serve every material: a sharp one along the reflection, and one that
    // is the soft ambient light of opaque surfaces and the view out of the crystal's far side.
    vec3 reflection = environment(reflect(rd, n), 0.6 * metal);
    vec3 second = environment(glass ? outward : n, glass ? 0.0 : 5.0);

    vec3 opaque = base * (second * 0.3 * ao + ndl * shade * 0.85) * (1.0 - metal);
    opaque += reflection * fresnel * (metal > 0.5 ? 0.35 + 0.65 * ao : 0.9);
    opaque += base * metal * (0.12 * second * ao + ndl * shade * 0.35);
    opaque += vec3(0.4, 0.55, 0.8) * rim2 * rim * 0.25 * ao * metal;   // cool rim on metal
    opaque += glow;

    // The room behind the crystal, with colour fringes: each channel's exit bends a little
    // differently, the bend brought to the screen by the base projection.
    vec2 centreUv = screenOf(exitPoint + outward * 1.5 * pieceSize);
    vec3 bend = (outward - rd) * 0.35 * pieceSize;
    vec2 fringe = (mat3cam * vec3(dot(bend, right), dot(bend, up), 0.0)).xy / max(hitT * alongForward, 0.5) * 0.5;
    vec3 room = vec3(texture2D(colorMap, clamp(centreUv + fringe, 0.0, 1.0)).r, texture2D(colorMap, centreUv).g,
                     texture2D(colorMap, clamp(centreUv - fringe, 0.0, 1.0)).b);
    float thickness = clamp(insideT / pieceSize, 0.0, 1.5);
    vec3 through = (room * 0.6 + second * 0.7) * mix(vec3(1.0), base, 0.3 + 0.3 * thickness);
    vec3 clear = mix(through, reflection, fresnel.x) + base * (0.1 * (1.0 - fresnel.x) + 0.2 * rim2);

    vec3 col = glass ? clear : opaque;
    col += vec3(1.0, 0.95, 0.85) * pow(ndh, shininess) * (glass ? 3.0 : mix(1.6, 2.2, metal) * shade);
    // Gentle shoulder so highlights roll off instead of clipping.
    col = col / (1.0 + 0.25 * max(col - 0.8, 0.0));
    gl_FragColor = vec4(hitT >= 0.0 ? col : background, 1.0);
}
