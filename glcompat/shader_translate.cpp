// The translation of desktop shader sources to GLSL ES 3.00: one pass over the text that copies
// comments unchanged, renames identifiers and drops the directives ES refuses; the declarations of
// the built-ins the text uses go in front of it.
#include "glcompat/shader_translate.h"

#include <stdio.h>
#include <string.h>

// What a built-in becomes, and the declaration it needs (none for the renamed functions).
struct Builtin {
    const char *name;
    const char *replacement;
    int stages;                  // bit per ShaderStage where the name is known
    const char *declaration[2];  // per stage
};

constexpr int IN_VERTEX = 1, IN_FRAGMENT = 2, IN_BOTH = 3;

static const char *LIGHT_STRUCT =
    "struct lr_LightSourceParameters { vec4 ambient; vec4 diffuse; vec4 specular; vec4 position; "
    "vec4 halfVector; vec3 spotDirection; float spotExponent; float spotCutoff; float spotCosCutoff; "
    "float constantAttenuation; float linearAttenuation; float quadraticAttenuation; };\n"
    "uniform lr_LightSourceParameters lr_LightSource[8];\n";

static const Builtin BUILTINS[] = {
    {"gl_ModelViewMatrix", "lr_ModelViewMatrix", IN_BOTH,
     {"uniform mat4 lr_ModelViewMatrix;\n", "uniform mat4 lr_ModelViewMatrix;\n"}},
    {"gl_ProjectionMatrix", "lr_ProjectionMatrix", IN_BOTH,
     {"uniform mat4 lr_ProjectionMatrix;\n", "uniform mat4 lr_ProjectionMatrix;\n"}},
    {"gl_ModelViewProjectionMatrix", "lr_ModelViewProjectionMatrix", IN_BOTH,
     {"uniform mat4 lr_ModelViewProjectionMatrix;\n", "uniform mat4 lr_ModelViewProjectionMatrix;\n"}},
    {"gl_NormalMatrix", "lr_NormalMatrix", IN_BOTH,
     {"uniform mat3 lr_NormalMatrix;\n", "uniform mat3 lr_NormalMatrix;\n"}},
    {"gl_LightSource", "lr_LightSource", IN_BOTH, {LIGHT_STRUCT, LIGHT_STRUCT}},
    {"gl_Vertex", "lr_Vertex", IN_VERTEX, {"layout(location = 0) in vec4 lr_Vertex;\n", nullptr}},
    {"gl_Normal", "lr_Normal", IN_VERTEX, {"layout(location = 11) in vec3 lr_Normal;\n", nullptr}},
    {"gl_MultiTexCoord0", "lr_MultiTexCoord0", IN_VERTEX,
     {"layout(location = 10) in vec4 lr_MultiTexCoord0;\n", nullptr}},
    // gl_Color is the colour attribute in a vertex shader and the interpolated colour in a fragment one.
    {"gl_Color", nullptr, IN_BOTH, {"layout(location = 9) in vec4 lr_Color;\n", "in vec4 lr_FrontColor;\n"}},
    {"gl_FrontColor", "lr_FrontColor", IN_VERTEX, {"out vec4 lr_FrontColor;\n", nullptr}},
    {"gl_TexCoord", "lr_TexCoord", IN_BOTH, {"out vec4 lr_TexCoord[4];\n", "in vec4 lr_TexCoord[4];\n"}},
    {"gl_FragColor", "lr_FragColor", IN_FRAGMENT, {nullptr, "layout(location = 0) out vec4 lr_FragColor;\n"}},
    {"ftransform", "lr_ftransform", IN_VERTEX,
     {"vec4 lr_ftransform() { return lr_ModelViewProjectionMatrix * lr_Vertex; }\n", nullptr}},
    {"texture2D", "texture", IN_BOTH, {nullptr, nullptr}},
    {"texture2DLod", "textureLod", IN_BOTH, {nullptr, nullptr}},
    {"texture2DProj", "textureProj", IN_BOTH, {nullptr, nullptr}},
};
constexpr int BUILTIN_COUNT = (int)(sizeof BUILTINS / sizeof BUILTINS[0]);
constexpr int FTRANSFORM = 12;   // index of ftransform: it needs the matrix and the position too

// Built-ins of the compatibility profile the layer has no stand-in for: a source naming one fails.
static const char *const UNSUPPORTED[] = {
    "gl_FrontMaterial", "gl_BackMaterial", "gl_LightModel", "gl_FrontLightProduct", "gl_Fog", "gl_FogCoord",
    "gl_SecondaryColor", "gl_ClipVertex", "gl_TextureMatrix", "gl_ModelViewMatrixInverse", "gl_MultiTexCoord1",
    "gl_FragData", "gl_ClipPlane", "gl_Point", "gl_BackColor", "shadow2D", "texture1D", "texture3D",
};

// Words desktop GLSL before 1.30 leaves free and GLSL ES reserves: an identifier spelt so takes the
// prefix ES_RENAMED_PREFIX (glGetUniformLocation follows it).
static const char *const ES_RESERVED[] = {"precision", "lowp", "mediump", "highp", "input", "output", "filter",
                                          "sample", "flat", "smooth", "layout", "centroid", "invariant"};

// Cube maps are face arrays on ES (cube_faces): a samplerCube is declared as a sampler2DArray, and
// a lookup through one picks the face and its coordinates here, with the arithmetic of the
// desktop's sampler (the major axis z before y before x on ties; s = sc / 2|ma| + 1/2, from the
// reciprocal of ma as the implicit-derivative lookup computes it), so the array filters each face
// as the desktop filters the cube. The implicit lookup takes its derivatives the way the desktop's
// does: those of the direction, carried onto the face by the quotient rule.
static const char *CUBE_FACE_FUNCTIONS =
    "int lr_cubeAxis(vec3 r) {\n"
    "    vec3 a = abs(r);\n"
    "    if (a.z >= max(a.x, a.y)) return 2;\n"
    "    return a.x > a.y ? 0 : 1;\n"
    "}\n"
    "float lr_cubeMajor(vec3 v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }\n"
    "vec2 lr_onCubeFace(vec3 v, int axis, bool negative) {\n"
    "    if (axis == 0) return vec2(negative ? v.z : -v.z, -v.y);\n"
    "    if (axis == 1) return vec2(v.x, negative ? -v.z : v.z);\n"
    "    return vec2(negative ? -v.x : v.x, -v.y);\n"
    "}\n"
    "float lr_cubeLayer(int axis, bool negative) { return float(axis * 2 + (negative ? 1 : 0)); }\n"
    "vec4 lr_textureCubeLod(sampler2DArray map, vec3 r, float lod) {\n"
    "    int axis = lr_cubeAxis(r);\n"
    "    float ma = lr_cubeMajor(r, axis);\n"
    "    bool negative = floatBitsToInt(ma) < 0;\n"
    "    vec2 st = lr_onCubeFace(r, axis, negative) * (0.5 / abs(ma)) + 0.5;\n"
    "    return textureLod(map, vec3(st, lr_cubeLayer(axis, negative)), lod);\n"
    "}\n";
static const char *CUBE_IMPLICIT_FUNCTION =
    "vec4 lr_textureCube(sampler2DArray map, vec3 r) {\n"
    "    int axis = lr_cubeAxis(r);\n"
    "    float ma = lr_cubeMajor(r, axis);\n"
    "    bool negative = floatBitsToInt(ma) < 0;\n"
    "    float ima = 1.0 / ma;\n"
    "    float imaHalf = 0.5 * ima;\n"
    "    vec2 sc = lr_onCubeFace(r, axis, negative);\n"
    "    vec3 dx = dFdx(r), dy = dFdy(r);\n"
    "    vec2 sdx = (lr_onCubeFace(dx, axis, negative) - (lr_cubeMajor(dx, axis) * ima) * sc) * imaHalf;\n"
    "    vec2 sdy = (lr_onCubeFace(dy, axis, negative) - (lr_cubeMajor(dy, axis) * ima) * sc) * imaHalf;\n"
    "    vec2 st = sc * abs(imaHalf) + 0.5;\n"
    "    return textureGrad(map, vec3(st, lr_cubeLayer(axis, negative)), sdx, sdy);\n"
    "}\n";

constexpr int MAX_CUBE_SAMPLERS = 8;   // samplerCube names in one source

struct CubeSamplers {
    const char *names[MAX_CUBE_SAMPLERS];
    int lengths[MAX_CUBE_SAMPLERS];
    int count;
    bool lodUsed, implicitUsed;
};

struct Writer {
    char *out;
    int capacity;
    int length;
    bool overflow;
};

static void put(Writer *w, const char *text, int count) {
    if (w->length + count >= w->capacity) {
        w->overflow = true;
        return;
    }
    memcpy(w->out + w->length, text, count);
    w->length += count;
    w->out[w->length] = '\0';
}

static void putText(Writer *w, const char *text) {
    put(w, text, (int)strlen(text));
}

static bool isIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

static bool isIdentifierChar(char c) {
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

static int findBuiltin(const char *word, int length) {
    for (int i = 0; i < BUILTIN_COUNT; i++)
        if ((int)strlen(BUILTINS[i].name) == length && strncmp(BUILTINS[i].name, word, length) == 0) return i;
    return -1;
}

static bool isUnsupported(const char *word, int length) {
    for (const char *name : UNSUPPORTED)
        if ((int)strlen(name) == length && strncmp(name, word, length) == 0) return true;
    return false;
}

static bool wordIs(const char *word, int length, const char *name) {
    return (int)strlen(name) == length && strncmp(word, name, length) == 0;
}

static bool isEsReserved(const char *word, int length) {
    for (const char *name : ES_RESERVED)
        if (wordIs(word, length, name)) return true;
    return false;
}

// A 330 source uses layout, flat, smooth, invariant and centroid as the qualifiers they are there:
// those are kept. As a qualifier the word is followed by another word or a parenthesis, as a name
// by an operator, a bracket or punctuation.
static bool isQualifierUse(const char *after, const char *end) {
    while (after < end && (*after == ' ' || *after == '\t')) after++;
    return after == end || isIdentifierStart(*after) || *after == '(';
}

// A directive line ES refuses or does not need: the version (ours goes in front), desktop
// extensions, and the early-fragment-test layout (3.1).
static bool dropsLine(const char *line, int length) {
    int i = 0;
    while (i < length && (line[i] == ' ' || line[i] == '\t')) i++;
    const char *rest = line + i;
    const int restLength = length - i;
    if (restLength >= 8 && strncmp(rest, "#version", 8) == 0) return true;
    if (restLength >= 10 && strncmp(rest, "#extension", 10) == 0) return true;
    for (int k = 0; k + 21 <= restLength; k++)
        if (strncmp(rest + k, "early_fragment_tests", 20) == 0) return true;
    return false;
}

// The names the source declares as samplerCube (uniforms and parameters alike).
static void findCubeSamplers(const char *source, CubeSamplers *cubes) {
    cubes->count = 0;
    for (const char *p = strstr(source, "samplerCube"); p; p = strstr(p + 1, "samplerCube")) {
        const char *name = p + 11;
        if ((p > source && isIdentifierChar(p[-1])) || isIdentifierChar(*name)) continue;
        while (*name == ' ' || *name == '\t' || *name == '\n' || *name == '\r') name++;
        int length = 0;
        while (isIdentifierChar(name[length])) length++;
        if (length == 0 || cubes->count == MAX_CUBE_SAMPLERS) continue;
        cubes->names[cubes->count] = name;
        cubes->lengths[cubes->count] = length;
        cubes->count++;
    }
}

// True when the call whose name ends at after reads a cube sampler: its first argument is one.
static bool readsCubeSampler(const char *after, const char *end, const CubeSamplers *cubes) {
    while (after < end && (*after == ' ' || *after == '\t')) after++;
    if (after == end || *after != '(') return false;
    after++;
    while (after < end && (*after == ' ' || *after == '\t')) after++;
    int length = 0;
    while (after + length < end && isIdentifierChar(after[length])) length++;
    for (int i = 0; i < cubes->count; i++)
        if (cubes->lengths[i] == length && strncmp(cubes->names[i], after, length) == 0) return true;
    return false;
}

// The replacement of a texture lookup through a cube sampler (nullptr for any other word or lookup).
static const char *cubeLookup(const char *word, int length, const char *after, const char *end, CubeSamplers *cubes) {
    const bool implicit = wordIs(word, length, "texture") || wordIs(word, length, "textureCube");
    const bool lod = wordIs(word, length, "textureLod") || wordIs(word, length, "textureCubeLod");
    if (implicit && readsCubeSampler(after, end, cubes)) {
        cubes->implicitUsed = true;
        return "lr_textureCube";
    }
    if (lod && readsCubeSampler(after, end, cubes)) {
        cubes->lodUsed = true;
        return "lr_textureCubeLod";
    }
    if (wordIs(word, length, "textureCube")) return "texture";
    if (wordIs(word, length, "textureCubeLod")) return "textureLod";
    return nullptr;
}

// The body: every line copied with its identifiers renamed (dropped directives leave an empty line,
// so the compiler's line numbers stay those of the file). Marks the built-ins used.
static bool translateBody(const char *source, ShaderStage stage, Writer *body, bool used[BUILTIN_COUNT],
                          CubeSamplers *cubes, char *reason, int reasonCapacity) {
    const char *p = source;
    bool inBlockComment = false;
    while (*p) {
        const char *lineEnd = strchr(p, '\n');
        const int lineLength = lineEnd ? (int)(lineEnd - p) : (int)strlen(p);
        if (!inBlockComment && dropsLine(p, lineLength)) {
            p += lineLength;
            if (*p) put(body, p++, 1);
            continue;
        }
        const char *end = p + lineLength;
        while (p < end) {
            if (inBlockComment) {
                if (p + 1 < end && p[0] == '*' && p[1] == '/') {
                    put(body, p, 2);
                    p += 2;
                    inBlockComment = false;
                } else {
                    put(body, p++, 1);
                }
            } else if (p + 1 < end && p[0] == '/' && p[1] == '/') {
                put(body, p, (int)(end - p));
                p = end;
            } else if (p + 1 < end && p[0] == '/' && p[1] == '*') {
                put(body, p, 2);
                p += 2;
                inBlockComment = true;
            } else if (isIdentifierStart(*p) && (p == source || !isIdentifierChar(p[-1]))) {
                const char *word = p;
                while (p < end && isIdentifierChar(*p)) p++;
                const int length = (int)(p - word);
                const int b = findBuiltin(word, length);
                const char *cube = cubeLookup(word, length, p, end, cubes);
                if (cube) {
                    putText(body, cube);
                } else if (wordIs(word, length, "samplerCube")) {
                    putText(body, "sampler2DArray");
                } else if (b >= 0 && (BUILTINS[b].stages & (1 << stage))) {
                    used[b] = true;
                    const char *replacement = BUILTINS[b].replacement;
                    if (!replacement) replacement = stage == STAGE_VERTEX ? "lr_Color" : "lr_FrontColor";
                    putText(body, replacement);
                } else if (b >= 0 || isUnsupported(word, length)) {
                    snprintf(reason, reasonCapacity, "%.*s has no stand-in on OpenGL ES", length, word);
                    return false;
                } else if (isEsReserved(word, length) && !isQualifierUse(p, end)) {
                    putText(body, ES_RENAMED_PREFIX);
                    put(body, word, length);
                } else if (wordIs(word, length, "attribute") && stage == STAGE_VERTEX) {
                    putText(body, "in");
                } else if (wordIs(word, length, "varying")) {
                    putText(body, stage == STAGE_VERTEX ? "out" : "in");
                } else {
                    put(body, word, length);
                }
            } else {
                put(body, p++, 1);
            }
        }
        if (*p) put(body, p++, 1);
    }
    return true;
}

bool isEsRenamed(const char *name) {
    int length = 0;
    while (isIdentifierChar(name[length])) length++;
    return isEsReserved(name, length);
}

bool translateShaderSource(const char *source, ShaderStage stage, char *out, int capacity) {
    static char body[MAX_TRANSLATED_SOURCE];
    Writer bodyWriter = {body, (int)sizeof body, 0, false};
    body[0] = '\0';
    bool used[BUILTIN_COUNT] = {};
    CubeSamplers cubes = {};
    findCubeSamplers(source, &cubes);
    if (!translateBody(source, stage, &bodyWriter, used, &cubes, out, capacity)) return false;
    if (cubes.implicitUsed && stage == STAGE_VERTEX) {
        snprintf(out, capacity, "a cube-map lookup without a level in a vertex shader has no stand-in on OpenGL ES");
        return false;
    }
    if (used[FTRANSFORM]) {
        used[findBuiltin("gl_ModelViewProjectionMatrix", 28)] = true;
        used[findBuiltin("gl_Vertex", 9)] = true;
    }
    // A vertex shader hands the interpolated colour and texture coordinates on whether or not it
    // writes them, so a fragment shader that reads them still links.
    if (stage == STAGE_VERTEX) {
        used[findBuiltin("gl_FrontColor", 13)] = true;
        used[findBuiltin("gl_TexCoord", 11)] = true;
    }
    Writer w = {out, capacity, 0, false};
    out[0] = '\0';
    putText(&w, "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n"
             "precision highp samplerCube;\nprecision highp sampler2DArray;\n");
    // Declarations in table order, which puts the matrices before ftransform's body.
    for (int b = 0; b < BUILTIN_COUNT; b++)
        if (used[b] && BUILTINS[b].declaration[stage]) putText(&w, BUILTINS[b].declaration[stage]);
    if (cubes.lodUsed || cubes.implicitUsed) putText(&w, CUBE_FACE_FUNCTIONS);
    if (cubes.implicitUsed) putText(&w, CUBE_IMPLICIT_FUNCTION);
    putText(&w, "#line 1\n");
    putText(&w, body);
    if (w.overflow || bodyWriter.overflow) {
        snprintf(out, capacity, "the translation is longer than %d bytes", capacity);
        return false;
    }
    return true;
}
