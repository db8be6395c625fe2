// Owns the vertex batch, the display-list store and the fixed-function stand-in programs.
#include "glcompat/immediate.h"

#include <stddef.h>   // offsetof, for the batch layout
#include <string.h>

#include "glcompat/fixed_state.h"
#include "glcompat/matrix_stack.h"
#include "glcompat/real_gl.h"
#include "glcompat/shader_translate.h"

struct BatchVertex {
    float position[4], colour[4], texCoord[4], normal[4];
};

struct ListEntry {
    GLuint name;
    int first, count;   // vertices in the store, already as triangles
    GLenum mode;        // GL_TRIANGLES, GL_LINES or GL_POINTS after expansion
};

static struct {
    BatchVertex vertices[MAX_BATCH_VERTICES];
    BatchVertex expanded[MAX_BATCH_VERTICES * 2];   // quads and polygons as triangles
    int count;
    GLenum mode;
    bool inside;
    bool overflowReported;
} batch;

static struct {
    BatchVertex vertices[MAX_LIST_VERTICES];
    int used;
    ListEntry entries[MAX_DISPLAY_LISTS];
    int count;
    GLuint nextName;
    GLuint compiling;   // 0 when no list is open
    bool execute;       // GL_COMPILE_AND_EXECUTE
} lists;

static struct {
    GLuint vertexArray, buffer;
    GLuint program[2];          // untextured, textured
    GLint mvp[2], sampler;
} objects;

static const char *FIXED_VERTEX =
    "#version 300 es\n"
    "precision highp float;\n"
    "uniform mat4 mvp;\n"
    "layout(location = 0) in vec4 position;\n"
    "layout(location = 9) in vec4 colour;\n"
    "layout(location = 10) in vec4 texCoord;\n"
    "out vec4 vertexColour;\n"
    "out vec2 uv;\n"
    "void main() { vertexColour = colour; uv = texCoord.xy; gl_Position = mvp * position; }\n";
static const char *FIXED_FRAGMENT[2] = {
    "#version 300 es\n"
    "precision highp float;\n"
    "in vec4 vertexColour;\n"
    "in vec2 uv;\n"
    "layout(location = 0) out vec4 fragColour;\n"
    "void main() { fragColour = vertexColour; }\n",
    "#version 300 es\n"
    "precision highp float;\n"
    "uniform sampler2D unit0;\n"
    "in vec4 vertexColour;\n"
    "in vec2 uv;\n"
    "layout(location = 0) out vec4 fragColour;\n"
    "void main() { fragColour = vertexColour * texture(unit0, uv); }\n",
};

void resetImmediate() {
    batch.count = 0;
    batch.inside = false;
    lists.used = lists.count = 0;
    lists.nextName = 1;
    lists.compiling = 0;
}

void forgetImmediateObjects() {
    objects = {};
}

static GLuint compile(GLenum type, const char *source) {
    const GLuint shader = glCreateShader(type);
    realGl.shaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

static void createObjects() {
    glGenVertexArrays(1, &objects.vertexArray);
    glGenBuffers(1, &objects.buffer);
    GLint boundArray = 0, boundBuffer = 0;
    realGl.getIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    realGl.getIntegerv(GL_ARRAY_BUFFER_BINDING, &boundBuffer);
    glBindVertexArray(objects.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, objects.buffer);
    const GLsizei stride = sizeof(BatchVertex);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, (const void *)offsetof(BatchVertex, position));
    glVertexAttribPointer(BUILTIN_COLOR_LOCATION, 4, GL_FLOAT, GL_FALSE, stride,
                          (const void *)offsetof(BatchVertex, colour));
    glVertexAttribPointer(BUILTIN_TEXCOORD_LOCATION, 4, GL_FLOAT, GL_FALSE, stride,
                          (const void *)offsetof(BatchVertex, texCoord));
    glVertexAttribPointer(BUILTIN_NORMAL_LOCATION, 3, GL_FLOAT, GL_FALSE, stride,
                          (const void *)offsetof(BatchVertex, normal));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(BUILTIN_COLOR_LOCATION);
    glEnableVertexAttribArray(BUILTIN_TEXCOORD_LOCATION);
    glEnableVertexAttribArray(BUILTIN_NORMAL_LOCATION);
    glBindVertexArray((GLuint)boundArray);
    glBindBuffer(GL_ARRAY_BUFFER, (GLuint)boundBuffer);
    const GLuint vertex = compile(GL_VERTEX_SHADER, FIXED_VERTEX);
    for (int textured = 0; textured < 2; textured++) {
        const GLuint program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, compile(GL_FRAGMENT_SHADER, FIXED_FRAGMENT[textured]));
        realGl.linkProgram(program);
        objects.program[textured] = program;
        objects.mvp[textured] = realGl.getUniformLocation(program, "mvp");
    }
    objects.sampler = realGl.getUniformLocation(objects.program[1], "unit0");
    realGl.useProgram(objects.program[1]);
    glUniform1i(objects.sampler, 0);
    realGl.useProgram(fixedState.program);
}

// Quads and polygons as the triangles a compatibility context splits them into (a quad's first
// triangle is 0 1 2, its second 0 2 3; a polygon is a fan from its first vertex). Returns the
// mode to draw and puts the vertices' start and count.
static GLenum expandPrimitive(const BatchVertex **vertices, int *count) {
    const int n = batch.count;
    int out = 0;
    if (batch.mode == GL_QUADS) {
        for (int q = 0; q + 3 < n; q += 4) {
            const int order[6] = {0, 1, 2, 0, 2, 3};
            for (int k : order) batch.expanded[out++] = batch.vertices[q + k];
        }
    } else if (batch.mode == GL_POLYGON || batch.mode == GL_TRIANGLE_FAN) {
        for (int i = 1; i + 1 < n; i++) {
            batch.expanded[out++] = batch.vertices[0];
            batch.expanded[out++] = batch.vertices[i];
            batch.expanded[out++] = batch.vertices[i + 1];
        }
    } else {
        *vertices = batch.vertices;
        *count = n;
        return batch.mode == GL_QUAD_STRIP ? GL_TRIANGLE_STRIP : batch.mode;
    }
    *vertices = batch.expanded;
    *count = out;
    return GL_TRIANGLES;
}

// Draws the vertices with the program in use, or the stand-in for fixed function. Leaves the
// engine's vertex array, buffer and program bound as they were.
static void drawVertices(GLenum mode, const BatchVertex *vertices, int count) {
    if (count == 0) return;
    if (!objects.vertexArray) createObjects();
    GLint boundArray = 0, boundBuffer = 0;
    realGl.getIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    realGl.getIntegerv(GL_ARRAY_BUFFER_BINDING, &boundBuffer);
    glBindVertexArray(objects.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, objects.buffer);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)count * sizeof(BatchVertex), vertices, GL_STREAM_DRAW);
    const bool fixedFunction = fixedState.program == 0;
    if (fixedFunction) {
        const int textured = fixedState.texture2D[0] ? 1 : 0;
        realGl.useProgram(objects.program[textured]);
        float mvp[16];
        modelviewProjection(mvp);
        glUniformMatrix4fv(objects.mvp[textured], 1, GL_FALSE, mvp);
    } else {
        uploadBuiltinUniforms();
    }
    realGl.drawArrays(mode, 0, count);
    if (fixedFunction) realGl.useProgram(0);
    glBindVertexArray((GLuint)boundArray);
    glBindBuffer(GL_ARRAY_BUFFER, (GLuint)boundBuffer);
}

void beginPrimitive(GLenum mode) {
    batch.mode = mode;
    batch.count = 0;
    batch.inside = true;
}

bool insidePrimitive() {
    return batch.inside;
}

void emitVertex(float x, float y, float z, float w) {
    if (!batch.inside) return;
    if (batch.count == MAX_BATCH_VERTICES) {
        if (!batch.overflowReported) reportCompat("glEnd: more than %d vertices, the rest left out\n", MAX_BATCH_VERTICES);
        batch.overflowReported = true;
        return;
    }
    BatchVertex &v = batch.vertices[batch.count++];
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.position[3] = w;
    memcpy(v.colour, fixedState.colour, sizeof v.colour);
    memcpy(v.texCoord, fixedState.texCoord, sizeof v.texCoord);
    memcpy(v.normal, fixedState.normal, 3 * sizeof(float));
    v.normal[3] = 0.0f;
}

static void recordInList(GLenum mode, const BatchVertex *vertices, int count) {
    if (lists.count == MAX_DISPLAY_LISTS || lists.used + count > MAX_LIST_VERTICES) {
        reportCompat("glEndList: list %u does not fit the %d vertices of all lists\n", lists.compiling,
                     MAX_LIST_VERTICES);
        return;
    }
    ListEntry &e = lists.entries[lists.count++];
    e.name = lists.compiling;
    e.first = lists.used;
    e.count = count;
    e.mode = mode;
    memcpy(&lists.vertices[lists.used], vertices, (size_t)count * sizeof(BatchVertex));
    lists.used += count;
}

void endPrimitive() {
    if (!batch.inside) return;
    batch.inside = false;
    const BatchVertex *vertices;
    int count;
    const GLenum mode = expandPrimitive(&vertices, &count);
    if (lists.compiling) recordInList(mode, vertices, count);
    if (!lists.compiling || lists.execute) drawVertices(mode, vertices, count);
}

void emitRect(float x0, float y0, float x1, float y1) {
    beginPrimitive(GL_POLYGON);
    emitVertex(x0, y0, 0.0f, 1.0f);
    emitVertex(x1, y0, 0.0f, 1.0f);
    emitVertex(x1, y1, 0.0f, 1.0f);
    emitVertex(x0, y1, 0.0f, 1.0f);
    endPrimitive();
}

GLuint generateLists(int count) {
    if (count <= 0) return 0;
    const GLuint first = lists.nextName;
    lists.nextName += (GLuint)count;
    return first;
}

void newList(GLuint list, GLenum mode) {
    if (list == 0 || lists.compiling) return;
    lists.compiling = list;
    lists.execute = mode == GL_COMPILE_AND_EXECUTE;
}

void endList() {
    lists.compiling = 0;
}

// Plays every batch recorded under the name, in the order recorded (the show compiles each list once).
void callList(GLuint list) {
    for (int i = 0; i < lists.count; i++) {
        const ListEntry &e = lists.entries[i];
        if (e.name == list) drawVertices(e.mode, &lists.vertices[e.first], e.count);
    }
}

int listVertexCount(GLuint list) {
    int count = 0;
    for (int i = 0; i < lists.count; i++)
        if (lists.entries[i].name == list) count += lists.entries[i].count;
    return count;
}
