// Owns the fixed-function state, the attribute stack and the built-in uniform locations of every
// translated program.
#include "glcompat/fixed_state.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "glcompat/matrix_stack.h"
#include "glcompat/real_gl.h"
#include "glcompat/shader_translate.h"

FixedState fixedState;

// The light members in the order of the lights' uniform locations.
enum LightMember {
    L_AMBIENT, L_DIFFUSE, L_SPECULAR, L_POSITION, L_SPOT_DIRECTION, L_SPOT_EXPONENT, L_SPOT_CUTOFF,
    L_SPOT_COS_CUTOFF, L_CONSTANT, L_LINEAR, L_QUADRATIC, LIGHT_MEMBER_COUNT
};
static const char *const LIGHT_MEMBERS[LIGHT_MEMBER_COUNT] = {
    "ambient", "diffuse", "specular", "position", "spotDirection", "spotExponent", "spotCutoff",
    "spotCosCutoff", "constantAttenuation", "linearAttenuation", "quadraticAttenuation",
};

struct BuiltinLocations {
    bool known;         // looked up since the last link
    unsigned matrixSerial, lightSerial;   // what was uploaded last (0: nothing yet)
    GLint modelview, projection, modelviewProjection, normal;
    GLint light[FIXED_LIGHTS][LIGHT_MEMBER_COUNT];
    bool usesLights;
};

static BuiltinLocations programs[MAX_TRACKED_PROGRAMS];
static BuiltinLocations untracked;   // a program name past the table: looked up on every draw

// What glPushAttrib saves: the layer's state and the context's enables, blending, masks and viewport.
struct SavedAttributes {
    FixedState fixed;
    GLboolean blend, depthTest, cullFace, scissorTest, depthMask, colourMask[4];
    GLint blendSrcRgb, blendDstRgb, blendSrcAlpha, blendDstAlpha, depthFunc, cullFaceMode, viewport[4],
        scissorBox[4], activeTexture;
    float clearColour[4];
};
static struct {
    SavedAttributes entries[ATTRIB_STACK_DEPTH];
    int count;
} attribStack;

static const FixedLight DEFAULT_LIGHT = {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 1, 0}, {0, 0, -1},
                                         0.0f, 180.0f, 1.0f, 0.0f, 0.0f};

void resetFixedState() {
    FixedState &s = fixedState;
    memset(&s, 0, sizeof s);
    const float white[4] = {1, 1, 1, 1};
    memcpy(s.colour, white, sizeof white);
    s.normal[2] = 1.0f;
    s.texCoord[3] = 1.0f;
    s.multisample = true;
    for (int i = 0; i < FIXED_LIGHTS; i++) s.lights[i] = DEFAULT_LIGHT;
    // Light 0 is white by default, the others black.
    memcpy(s.lights[0].diffuse, white, sizeof white);
    memcpy(s.lights[0].specular, white, sizeof white);
    const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f}, diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    memcpy(s.materialAmbient, ambient, sizeof ambient);
    memcpy(s.materialDiffuse, diffuse, sizeof diffuse);
    s.materialSpecular[3] = s.materialEmission[3] = 1.0f;
    s.shadeModel = GL_SMOOTH;
    s.textureEnvMode = GL_MODULATE;
    s.lightSerial = 1;
    memset(programs, 0, sizeof programs);
    attribStack.count = 0;
}

static int activeUnit() {
    GLint unit = GL_TEXTURE0;
    realGl.getIntegerv(GL_ACTIVE_TEXTURE, &unit);
    return unit - GL_TEXTURE0;
}

static bool *legacyCapFlag(GLenum cap) {
    FixedState &s = fixedState;
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + FIXED_LIGHTS) return &s.lightOn[cap - GL_LIGHT0];
    switch (cap) {
    case GL_LIGHTING: return &s.lighting;
    case GL_TEXTURE_2D: {
        const int unit = activeUnit();
        static bool beyond;   // units past the kept ones: recorded nowhere that matters
        return unit >= 0 && unit < FIXED_TEXTURE_UNITS ? &s.texture2D[unit] : &beyond;
    }
    case GL_TEXTURE_CUBE_MAP: return &s.textureCube;
    case GL_ALPHA_TEST: return &s.alphaTest;
    case GL_FOG: return &s.fog;
    case GL_NORMALIZE: return &s.normalize;
    case GL_COLOR_MATERIAL: return &s.colourMaterial;
    case GL_MULTISAMPLE: return &s.multisample;
    default: break;
    }
    return nullptr;
}

// Enables without any effect in the show's use of them (clip planes are done in its shaders, the
// smoothing switches are off): accepted and forgotten.
static bool isIgnoredCap(GLenum cap) {
    if (cap >= GL_CLIP_PLANE0 && cap <= GL_CLIP_PLANE5) return true;
    return cap == GL_POINT_SMOOTH || cap == GL_LINE_SMOOTH || cap == GL_POLYGON_SMOOTH || cap == GL_TEXTURE_1D ||
           cap == GL_RESCALE_NORMAL || cap == GL_TEXTURE_CUBE_MAP_SEAMLESS;
}

bool setLegacyCap(GLenum cap, bool value) {
    if (isIgnoredCap(cap)) return true;
    bool *flag = legacyCapFlag(cap);
    if (!flag) return false;
    *flag = value;
    if (cap == GL_LIGHTING || (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + FIXED_LIGHTS)) fixedState.lightSerial++;
    return true;
}

bool legacyCapEnabled(GLenum cap, bool *value) {
    if (isIgnoredCap(cap)) {
        *value = false;
        return true;
    }
    bool *flag = legacyCapFlag(cap);
    if (!flag) return false;
    *value = *flag;
    return true;
}

// Positions through the whole modelview, directions through its upper 3 x 3, summed in the order
// of a matrix product.
static void transformPoint(const float m[16], const float *p, float out[4]) {
    for (int r = 0; r < 4; r++) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r] * p[3];
}

static void transformDirection(const float m[16], const float *d, float out[3]) {
    for (int r = 0; r < 3; r++) out[r] = d[0] * m[r] + d[1] * m[4 + r] + d[2] * m[8 + r];
}

void setLight(GLenum light, GLenum name, const float *values) {
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + FIXED_LIGHTS) {
        reportCompat("glLight: light 0x%x is past the %d lights\n", light, FIXED_LIGHTS);
        return;
    }
    FixedLight &l = fixedState.lights[light - GL_LIGHT0];
    switch (name) {
    case GL_AMBIENT: memcpy(l.ambient, values, 4 * sizeof(float)); break;
    case GL_DIFFUSE: memcpy(l.diffuse, values, 4 * sizeof(float)); break;
    case GL_SPECULAR: memcpy(l.specular, values, 4 * sizeof(float)); break;
    case GL_POSITION: transformPoint(modelviewMatrix(), values, l.position); break;
    case GL_SPOT_DIRECTION: transformDirection(modelviewMatrix(), values, l.spotDirection); break;
    case GL_SPOT_EXPONENT: l.spotExponent = values[0]; break;
    case GL_SPOT_CUTOFF: l.spotCutoff = values[0]; break;
    case GL_CONSTANT_ATTENUATION: l.constantAttenuation = values[0]; break;
    case GL_LINEAR_ATTENUATION: l.linearAttenuation = values[0]; break;
    case GL_QUADRATIC_ATTENUATION: l.quadraticAttenuation = values[0]; break;
    default: reportCompat("glLight: parameter 0x%x is not kept\n", name); return;
    }
    fixedState.lightSerial++;
}

void setMaterial(GLenum face, GLenum name, const float *values) {
    (void)face;   // front and back are kept as one: nothing in the show lights back faces differently
    FixedState &s = fixedState;
    switch (name) {
    case GL_AMBIENT: memcpy(s.materialAmbient, values, 4 * sizeof(float)); break;
    case GL_DIFFUSE: memcpy(s.materialDiffuse, values, 4 * sizeof(float)); break;
    case GL_AMBIENT_AND_DIFFUSE:
        memcpy(s.materialAmbient, values, 4 * sizeof(float));
        memcpy(s.materialDiffuse, values, 4 * sizeof(float));
        break;
    case GL_SPECULAR: memcpy(s.materialSpecular, values, 4 * sizeof(float)); break;
    case GL_EMISSION: memcpy(s.materialEmission, values, 4 * sizeof(float)); break;
    case GL_SHININESS: s.shininess = values[0]; break;
    default: reportCompat("glMaterial: parameter 0x%x is not kept\n", name); break;
    }
}

bool pushAttributes() {
    if (attribStack.count == ATTRIB_STACK_DEPTH) return false;
    SavedAttributes &a = attribStack.entries[attribStack.count++];
    a.fixed = fixedState;
    a.blend = realGl.isEnabled(GL_BLEND);
    a.depthTest = realGl.isEnabled(GL_DEPTH_TEST);
    a.cullFace = realGl.isEnabled(GL_CULL_FACE);
    a.scissorTest = realGl.isEnabled(GL_SCISSOR_TEST);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &a.depthMask);
    glGetBooleanv(GL_COLOR_WRITEMASK, a.colourMask);
    realGl.getIntegerv(GL_BLEND_SRC_RGB, &a.blendSrcRgb);
    realGl.getIntegerv(GL_BLEND_DST_RGB, &a.blendDstRgb);
    realGl.getIntegerv(GL_BLEND_SRC_ALPHA, &a.blendSrcAlpha);
    realGl.getIntegerv(GL_BLEND_DST_ALPHA, &a.blendDstAlpha);
    realGl.getIntegerv(GL_DEPTH_FUNC, &a.depthFunc);
    realGl.getIntegerv(GL_CULL_FACE_MODE, &a.cullFaceMode);
    realGl.getIntegerv(GL_VIEWPORT, a.viewport);
    realGl.getIntegerv(GL_SCISSOR_BOX, a.scissorBox);
    realGl.getIntegerv(GL_ACTIVE_TEXTURE, &a.activeTexture);
    realGl.getFloatv(GL_COLOR_CLEAR_VALUE, a.clearColour);
    return true;
}

static void restoreCap(GLenum cap, GLboolean on) {
    if (on) realGl.enable(cap);
    else realGl.disable(cap);
}

bool popAttributes() {
    if (attribStack.count == 0) return false;
    const SavedAttributes &a = attribStack.entries[--attribStack.count];
    const GLuint program = fixedState.program;   // the program in use is no attribute
    // The count goes on from where it is: the saved one may equal a count uploaded since the push.
    const unsigned lightSerial = fixedState.lightSerial;
    fixedState = a.fixed;
    fixedState.program = program;
    fixedState.lightSerial = lightSerial + 1;
    restoreCap(GL_BLEND, a.blend);
    restoreCap(GL_DEPTH_TEST, a.depthTest);
    restoreCap(GL_CULL_FACE, a.cullFace);
    restoreCap(GL_SCISSOR_TEST, a.scissorTest);
    glDepthMask(a.depthMask);
    glColorMask(a.colourMask[0], a.colourMask[1], a.colourMask[2], a.colourMask[3]);
    glBlendFuncSeparate(a.blendSrcRgb, a.blendDstRgb, a.blendSrcAlpha, a.blendDstAlpha);
    glDepthFunc(a.depthFunc);
    glCullFace(a.cullFaceMode);
    glViewport(a.viewport[0], a.viewport[1], a.viewport[2], a.viewport[3]);
    glScissor(a.scissorBox[0], a.scissorBox[1], a.scissorBox[2], a.scissorBox[3]);
    glActiveTexture(a.activeTexture);
    glClearColor(a.clearColour[0], a.clearColour[1], a.clearColour[2], a.clearColour[3]);
    return true;
}

void setProgramInUse(GLuint program) {
    fixedState.program = program;
}

static void lookUpLocations(GLuint program, BuiltinLocations *at) {
    memset(at, 0, sizeof *at);
    at->known = true;
    at->modelview = realGl.getUniformLocation(program, "lr_ModelViewMatrix");
    at->projection = realGl.getUniformLocation(program, "lr_ProjectionMatrix");
    at->modelviewProjection = realGl.getUniformLocation(program, "lr_ModelViewProjectionMatrix");
    at->normal = realGl.getUniformLocation(program, "lr_NormalMatrix");
    for (int i = 0; i < FIXED_LIGHTS; i++)
        for (int m = 0; m < LIGHT_MEMBER_COUNT; m++) {
            char name[64];
            snprintf(name, sizeof name, "lr_LightSource[%d].%s", i, LIGHT_MEMBERS[m]);
            at->light[i][m] = realGl.getUniformLocation(program, name);
            if (at->light[i][m] >= 0) at->usesLights = true;
        }
}

void programLinked(GLuint program) {
    if (program < MAX_TRACKED_PROGRAMS) programs[program].known = false;
}

static void uploadLights(const BuiltinLocations &at) {
    for (int i = 0; i < FIXED_LIGHTS; i++) {
        const FixedLight &l = fixedState.lights[i];
        const GLint *u = at.light[i];
        // The cosine of the cut-off is -1 for the 180 degrees that mean "no spot".
        const float cosCutoff = l.spotCutoff == 180.0f ? -1.0f : cosf(l.spotCutoff * (float)M_PI / 180.0f);
        if (u[L_AMBIENT] >= 0) glUniform4fv(u[L_AMBIENT], 1, l.ambient);
        if (u[L_DIFFUSE] >= 0) glUniform4fv(u[L_DIFFUSE], 1, l.diffuse);
        if (u[L_SPECULAR] >= 0) glUniform4fv(u[L_SPECULAR], 1, l.specular);
        if (u[L_POSITION] >= 0) glUniform4fv(u[L_POSITION], 1, l.position);
        if (u[L_SPOT_DIRECTION] >= 0) glUniform3fv(u[L_SPOT_DIRECTION], 1, l.spotDirection);
        if (u[L_SPOT_EXPONENT] >= 0) glUniform1f(u[L_SPOT_EXPONENT], l.spotExponent);
        if (u[L_SPOT_CUTOFF] >= 0) glUniform1f(u[L_SPOT_CUTOFF], l.spotCutoff);
        if (u[L_SPOT_COS_CUTOFF] >= 0) glUniform1f(u[L_SPOT_COS_CUTOFF], cosCutoff);
        if (u[L_CONSTANT] >= 0) glUniform1f(u[L_CONSTANT], l.constantAttenuation);
        if (u[L_LINEAR] >= 0) glUniform1f(u[L_LINEAR], l.linearAttenuation);
        if (u[L_QUADRATIC] >= 0) glUniform1f(u[L_QUADRATIC], l.quadraticAttenuation);
    }
}

void uploadBuiltinUniforms() {
    const GLuint program = fixedState.program;
    if (program == 0) return;
    BuiltinLocations *at = program < MAX_TRACKED_PROGRAMS ? &programs[program] : &untracked;
    if (!at->known || at == &untracked) lookUpLocations(program, at);
    const unsigned serial = matrixSerial();
    if (at->matrixSerial != serial) {
        at->matrixSerial = serial;
        if (at->modelview >= 0) glUniformMatrix4fv(at->modelview, 1, GL_FALSE, modelviewMatrix());
        if (at->projection >= 0) glUniformMatrix4fv(at->projection, 1, GL_FALSE, projectionMatrix());
        if (at->modelviewProjection >= 0) {
            float mvp[16];
            modelviewProjection(mvp);
            glUniformMatrix4fv(at->modelviewProjection, 1, GL_FALSE, mvp);
        }
        if (at->normal >= 0) {
            float n[9];
            normalMatrix(n);
            glUniformMatrix3fv(at->normal, 1, GL_FALSE, n);
        }
    }
    if (at->usesLights && at->lightSerial != fixedState.lightSerial) {
        at->lightSerial = fixedState.lightSerial;
        uploadLights(*at);
    }
    // The current colour, texture coordinate and normal, for the built-in attributes a draw does
    // not stream.
    glVertexAttrib4fv(BUILTIN_COLOR_LOCATION, fixedState.colour);
    glVertexAttrib4fv(BUILTIN_TEXCOORD_LOCATION, fixedState.texCoord);
    glVertexAttrib3fv(BUILTIN_NORMAL_LOCATION, fixedState.normal);
}
