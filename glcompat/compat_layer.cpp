// Owns the installation of the layer's functions in the loader's table, generated from the tables of
// interceptions.h, and the stand-ins that keep no state of their own; every other stand-in only
// routes a call to the module that owns its state.
#include "glcompat/compat_layer.h"

#include <stdio.h>
#include <string.h>

#include "es3_entry_points.h"   // generated from glad's ES loader: the names ES 3.0 has
#include "glcompat/cube_faces.h"
#include "glcompat/fixed_state.h"
#include "glcompat/glu_standin.h"
#include "glcompat/immediate.h"
#include "glcompat/interceptions.h"
#include "glcompat/matrix_stack.h"
#include "glcompat/real_gl.h"
#include "glcompat/shader_translate.h"
#include "glcompat/texture_upload.h"

// Set once per install.
static struct {
    GLADloadfunc lookUp;
    GluEntryPoints glu;   // what gluEntryPoints held before the stand-ins took it
    char translated[MAX_TRANSLATED_SOURCE];
} layer;

static GLADapiproc lookUpEs3(const char *name) {
    for (const char *known : ES3_ENTRY_POINTS)
        if (strcmp(known, name) == 0) return layer.lookUp(name);
    return nullptr;
}

// ---- enables and queries ----

static void GLAD_API_PTR compatEnable(GLenum cap) {
    if (!setLegacyCap(cap, true)) realGl.enable(cap);
}

static void GLAD_API_PTR compatDisable(GLenum cap) {
    if (!setLegacyCap(cap, false)) realGl.disable(cap);
}

static GLboolean GLAD_API_PTR compatIsEnabled(GLenum cap) {
    bool value = false;
    if (legacyCapEnabled(cap, &value)) return value ? GL_TRUE : GL_FALSE;
    return realGl.isEnabled(cap);
}

static void GLAD_API_PTR compatGetFloatv(GLenum name, GLfloat *values) {
    switch (name) {
    case GL_MODELVIEW_MATRIX: memcpy(values, modelviewMatrix(), 16 * sizeof(float)); return;
    case GL_PROJECTION_MATRIX: memcpy(values, projectionMatrix(), 16 * sizeof(float)); return;
    case GL_TEXTURE_MATRIX: memcpy(values, textureMatrix(), 16 * sizeof(float)); return;
    case GL_CURRENT_COLOR: memcpy(values, fixedState.colour, 4 * sizeof(float)); return;
    case GL_CURRENT_NORMAL: memcpy(values, fixedState.normal, 3 * sizeof(float)); return;
    case GL_CURRENT_TEXTURE_COORDS: memcpy(values, fixedState.texCoord, 4 * sizeof(float)); return;
    default: realGl.getFloatv(name, values); return;
    }
}

static void GLAD_API_PTR compatGetIntegerv(GLenum name, GLint *values) {
    switch (name) {
    case GL_MAX_LIGHTS: *values = FIXED_LIGHTS; return;
    case GL_MATRIX_MODE: *values = (GLint)currentMatrixMode(); return;
    case GL_MAX_MODELVIEW_STACK_DEPTH:
    case GL_MAX_PROJECTION_STACK_DEPTH:
    case GL_MAX_TEXTURE_STACK_DEPTH: *values = MATRIX_STACK_DEPTH; return;
    case GL_SHADE_MODEL: *values = (GLint)fixedState.shadeModel; return;
    default: realGl.getIntegerv(name, values); return;
    }
}

// Hints of the fixed-function pipeline mean nothing to ES and would be an error there.
static void GLAD_API_PTR compatHint(GLenum target, GLenum mode) {
    if (target == GL_PERSPECTIVE_CORRECTION_HINT || target == GL_POINT_SMOOTH_HINT || target == GL_LINE_SMOOTH_HINT ||
        target == GL_POLYGON_SMOOTH_HINT || target == GL_FOG_HINT)
        return;
    realGl.hint(target, mode);
}

// ---- programs and draws ----

static void GLAD_API_PTR compatUseProgram(GLuint program) {
    setProgramInUse(program);
    realGl.useProgram(program);
}

static void GLAD_API_PTR compatShaderSource(GLuint shader, GLsizei count, const GLchar *const *strings,
                                            const GLint *lengths) {
    // The sources joined into one text first, as the compiler would read them.
    static char joined[MAX_TRANSLATED_SOURCE];
    int length = 0;
    bool fits = true;
    for (int i = 0; i < count && fits; i++) {
        const int part = lengths && lengths[i] >= 0 ? lengths[i] : (int)strlen(strings[i]);
        fits = length + part < (int)sizeof joined;
        if (fits) memcpy(joined + length, strings[i], part);
        length += fits ? part : 0;
    }
    joined[length] = '\0';
    GLint type = GL_VERTEX_SHADER;
    glGetShaderiv(shader, GL_SHADER_TYPE, &type);
    const ShaderStage stage = type == GL_FRAGMENT_SHADER ? STAGE_FRAGMENT : STAGE_VERTEX;
    const char *text = layer.translated;
    if (length == 0) {
        text = joined;   // an empty text fails to compile, as it does on the desktop
    } else if (!fits || !translateShaderSource(joined, stage, layer.translated, (int)sizeof layer.translated)) {
        // The compiler is handed a text that fails with the reason, so the shader's usual failure
        // report carries it.
        static char failing[600];
        snprintf(failing, sizeof failing, "#version 300 es\n#error %.500s\n",
                 fits ? layer.translated : "the source is longer than the translator takes");
        for (char *c = failing + 16; *c; c++)
            if (*c == '\n' && c[1]) *c = ' ';
        text = failing;
    }
    realGl.shaderSource(shader, 1, &text, nullptr);
}

static GLint GLAD_API_PTR compatGetUniformLocation(GLuint program, const GLchar *name) {
    if (!isEsRenamed(name)) return realGl.getUniformLocation(program, name);
    char renamed[256];
    snprintf(renamed, sizeof renamed, "%s%s", ES_RENAMED_PREFIX, name);
    return realGl.getUniformLocation(program, renamed);
}

static void GLAD_API_PTR compatLinkProgram(GLuint program) {
    realGl.linkProgram(program);
    programLinked(program);
}

static void GLAD_API_PTR compatDrawArrays(GLenum mode, GLint first, GLsizei count) {
    uploadBuiltinUniforms();
    realGl.drawArrays(mode, first, count);
}

// ---- textures, framebuffers, pixels ----

static void GLAD_API_PTR compatBindTexture(GLenum target, GLuint texture) {
    if (target == GL_TEXTURE_CUBE_MAP) {
        bindCubeArray(texture);
        return;
    }
    realGl.bindTexture(target == GL_TEXTURE_2D_MULTISAMPLE ? GL_TEXTURE_2D : target, texture);
}

static void GLAD_API_PTR compatFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textureTarget,
                                                    GLuint texture, GLint level) {
    if (textureTarget == GL_TEXTURE_2D_MULTISAMPLE) textureTarget = GL_TEXTURE_2D;
    realGl.framebufferTexture2D(target, attachment, textureTarget, texture, level);
}

// The show attaches only 2D textures this way.
static void GLAD_API_PTR compatFramebufferTexture(GLenum target, GLenum attachment, GLuint texture, GLint level) {
    realGl.framebufferTexture2D(target, attachment, GL_TEXTURE_2D, texture, level);
}

static void GLAD_API_PTR compatRenderbufferStorage(GLenum target, GLenum format, GLsizei width, GLsizei height) {
    // Depth without a size is 24 bits on the desktop drivers the show knows; ES has no 32-bit
    // fixed-point depth, so the deepest fixed-point one stands in.
    if (format == GL_DEPTH_COMPONENT || format == GL_DEPTH_COMPONENT32) format = GL_DEPTH_COMPONENT24;
    realGl.renderbufferStorage(target, format, width, height);
}

static void GLAD_API_PTR compatGetTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint *value) {
    (void)level;
    if (target == GL_TEXTURE_2D_MULTISAMPLE && name == GL_TEXTURE_SAMPLES) {
        *value = multisampleStandInSamples();
        return;
    }
    *value = 0;
    reportCompat("glGetTexLevelParameteriv: 0x%x of 0x%x is not kept on ES\n", name, target);
}

// Timer and sample-count queries are not in ES 3.0: they count nothing and read 0.
static bool isDesktopQuery(GLenum target) {
    return target == GL_TIME_ELAPSED || target == GL_SAMPLES_PASSED || target == GL_PRIMITIVES_GENERATED;
}

static void GLAD_API_PTR compatBeginQuery(GLenum target, GLuint query) {
    if (!isDesktopQuery(target)) realGl.beginQuery(target, query);
}

static void GLAD_API_PTR compatEndQuery(GLenum target) {
    if (!isDesktopQuery(target)) realGl.endQuery(target);
}

static void GLAD_API_PTR compatGetQueryObjectui64v(GLuint query, GLenum name, GLuint64 *value) {
    (void)query;
    (void)name;
    *value = 0;
}

// The program-interface queries of 4.3, through the uniform queries ES 3.0 has.
static GLuint GLAD_API_PTR compatGetProgramResourceIndex(GLuint program, GLenum interface, const GLchar *name) {
    if (interface != GL_UNIFORM) return GL_INVALID_INDEX;
    GLuint index = GL_INVALID_INDEX;
    glGetUniformIndices(program, 1, &name, &index);
    return index;
}

static void GLAD_API_PTR compatGetProgramResourceiv(GLuint program, GLenum interface, GLuint index,
                                                    GLsizei propertyCount, const GLenum *properties, GLsizei count,
                                                    GLsizei *length, GLint *values) {
    if (length) *length = 0;
    if (interface != GL_UNIFORM || propertyCount < 1 || count < 1 || properties[0] != GL_ARRAY_SIZE) return;
    glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_SIZE, values);
    if (length) *length = 1;
}

static void GLAD_API_PTR compatClearDepth(GLdouble depth) {
    glClearDepthf((GLfloat)depth);
}

// ---- the fixed-function entry points ----

static void GLAD_API_PTR compatBegin(GLenum mode) { beginPrimitive(mode); }
static void GLAD_API_PTR compatEnd() { endPrimitive(); }
static void GLAD_API_PTR compatVertex2f(GLfloat x, GLfloat y) { emitVertex(x, y, 0.0f, 1.0f); }
static void GLAD_API_PTR compatVertex3f(GLfloat x, GLfloat y, GLfloat z) { emitVertex(x, y, z, 1.0f); }
static void GLAD_API_PTR compatVertex3fv(const GLfloat *v) { emitVertex(v[0], v[1], v[2], 1.0f); }

static void GLAD_API_PTR compatNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    fixedState.normal[0] = x;
    fixedState.normal[1] = y;
    fixedState.normal[2] = z;
}

static void GLAD_API_PTR compatTexCoord2f(GLfloat s, GLfloat t) {
    fixedState.texCoord[0] = s;
    fixedState.texCoord[1] = t;
    fixedState.texCoord[2] = 0.0f;
    fixedState.texCoord[3] = 1.0f;
}

static void GLAD_API_PTR compatColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    fixedState.colour[0] = r;
    fixedState.colour[1] = g;
    fixedState.colour[2] = b;
    fixedState.colour[3] = a;
}

static void GLAD_API_PTR compatRectf(GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1) { emitRect(x0, y0, x1, y1); }
static void GLAD_API_PTR compatMatrixMode(GLenum mode) { matrixMode(mode); }
static void GLAD_API_PTR compatLoadIdentity() { loadIdentity(); }
static void GLAD_API_PTR compatLoadMatrixf(const GLfloat *m) { loadMatrix(m); }
static void GLAD_API_PTR compatMultMatrixf(const GLfloat *m) { multMatrix(m); }

static void GLAD_API_PTR compatPushMatrix() {
    if (!pushMatrix()) reportCompat("glPushMatrix: the stack holds %d matrices\n", MATRIX_STACK_DEPTH);
}

static void GLAD_API_PTR compatPopMatrix() {
    if (!popMatrix()) reportCompat("glPopMatrix: the stack is at its bottom\n");
}

static void GLAD_API_PTR compatTranslatef(GLfloat x, GLfloat y, GLfloat z) { translate(x, y, z); }
static void GLAD_API_PTR compatRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) { rotate(a, x, y, z); }

static void GLAD_API_PTR compatOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    ortho(l, r, b, t, n, f);
}

static GLuint GLAD_API_PTR compatGenLists(GLsizei count) { return generateLists(count); }
static void GLAD_API_PTR compatNewList(GLuint list, GLenum mode) { newList(list, mode); }
static void GLAD_API_PTR compatEndList() { endList(); }
static void GLAD_API_PTR compatCallList(GLuint list) { callList(list); }
static void GLAD_API_PTR compatLightf(GLenum light, GLenum name, GLfloat value) { setLight(light, name, &value); }
static void GLAD_API_PTR compatLightfv(GLenum light, GLenum name, const GLfloat *v) { setLight(light, name, v); }
static void GLAD_API_PTR compatMaterialf(GLenum face, GLenum name, GLfloat value) { setMaterial(face, name, &value); }
static void GLAD_API_PTR compatMaterialfv(GLenum face, GLenum name, const GLfloat *v) { setMaterial(face, name, v); }

static void GLAD_API_PTR compatShadeModel(GLenum mode) {
    if (mode != GL_SMOOTH) reportCompat("glShadeModel: only smooth shading is offered on ES\n");
    fixedState.shadeModel = mode;
}

static void GLAD_API_PTR compatTexEnvi(GLenum target, GLenum name, GLint value) {
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE) return;
    if (value != GL_MODULATE) reportCompat("glTexEnvi: only GL_MODULATE is offered on ES\n");
    fixedState.textureEnvMode = (GLenum)value;
}

static void GLAD_API_PTR compatPushAttrib(GLbitfield mask) {
    (void)mask;   // everything the layer keeps is saved whatever the mask
    if (!pushAttributes()) reportCompat("glPushAttrib: the stack holds %d entries\n", ATTRIB_STACK_DEPTH);
}

static void GLAD_API_PTR compatPopAttrib() {
    if (!popAttributes()) reportCompat("glPopAttrib: the stack is empty\n");
}

static void GLAD_API_PTR compatPolygonMode(GLenum face, GLenum mode) {
    (void)face;
    if (mode != GL_FILL) reportCompat("glPolygonMode: only GL_FILL is offered on ES\n");
}

// ---- installation ----

static void installStandIns() {
#define INSTALL_REPLACED(entry, standIn, member) INTERCEPT_ENTRY(glad_##entry, realGl.member, standIn);
    COMPAT_REPLACED_ENTRY_POINTS(INSTALL_REPLACED)
#undef INSTALL_REPLACED
#define INSTALL_SUPPLIED(entry, standIn) glad_##entry = standIn;
    COMPAT_SUPPLIED_ENTRY_POINTS(INSTALL_SUPPLIED)
#undef INSTALL_SUPPLIED
#define INSTALL_GLU(member, standIn) INTERCEPT_ENTRY(gluEntryPoints.member, layer.glu.member, standIn);
    COMPAT_GLU_ENTRY_POINTS(INSTALL_GLU)
#undef INSTALL_GLU
#define KEEP_CALLED(entry, member) realGl.member = glad_##entry;
    COMPAT_CALLED_ENTRY_POINTS(KEEP_CALLED)
#undef KEEP_CALLED
}

static void loadLaterDesktopEntryPoints() {
#define LOAD_LATER(entry) glad_##entry = (decltype(glad_##entry))lookUpEs3(#entry);
    ES3_LATER_DESKTOP_ENTRY_POINTS(LOAD_LATER)
#undef LOAD_LATER
}

void forgetCompatObjects() {
    forgetImmediateObjects();
}

bool installCompatLayer(GLADloadfunc lookUp, void (*report)(const char *line)) {
    layer.lookUp = lookUp;
    setCompatReport(report);
    if (gladLoadGL(lookUpEs3) == 0 || !glad_glBlitFramebuffer || !glad_glGenVertexArrays) return false;
    loadLaterDesktopEntryPoints();
    const char *version = (const char *)glad_glGetString(GL_VERSION);
    int major = 0;
    if (!version || sscanf(version, "OpenGL ES %d", &major) != 1 || major < 3) return false;
    resetMatrixStacks();
    resetFixedState();
    resetImmediate();
    resetTextureUpload();
    resetCubeFaces();
    installStandIns();
    return true;
}

void removeCompatLayer() {
#define RESTORE_REPLACED(entry, standIn, member) glad_##entry = realGl.member;
    COMPAT_REPLACED_ENTRY_POINTS(RESTORE_REPLACED)
#undef RESTORE_REPLACED
#define RESTORE_SUPPLIED(entry, standIn) glad_##entry = nullptr;
    COMPAT_SUPPLIED_ENTRY_POINTS(RESTORE_SUPPLIED)
#undef RESTORE_SUPPLIED
#define RESTORE_GLU(member, standIn) gluEntryPoints.member = layer.glu.member;
    COMPAT_GLU_ENTRY_POINTS(RESTORE_GLU)
#undef RESTORE_GLU
    setCompatReport(nullptr);
}
