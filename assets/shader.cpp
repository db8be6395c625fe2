// Shader programs from vertex and fragment files; owns the builder, which remembers the objects of
// the last build for the clean-up at exit.
#include "assets/shader.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "assets/data_file.h"
#include "assets/load_record.h"
#include "core/diagnostics.h"
#include "platform/gl.h"

// Attribute names bound before every link. Location 5 carries bone indices in skinned programs and
// the second position set in the morphing one; a program declares at most one of the two.
static const struct {
    GLuint location;
    const char *name;
} ATTRIBUTE_BINDINGS[] = {
    {ATTRIB_POSITION, "vertexPosition"},
    {ATTRIB_NORMAL, "vertexNormal"},
    {ATTRIB_TEXCOORD, "textureCoord"},
    {ATTRIB_TANGENT, "vertexTangent"},
    {ATTRIB_HANDEDNESS, "vertexTangentHandedness"},
    {ATTRIB_BONES, "vertexBones"},
    {ATTRIB_BONES, "vertexPosition2"},
    {ATTRIB_WEIGHTS, "vertexWeights"},
};

// Rewritten by every build; read once at exit.
static struct {
    GLuint vertexShader;
    GLuint fragmentShader;
    GLuint program;
} builder;

// Shaders linked in place of a pair that does not compile or link, made on the first failure and
// kept for the run. They draw transparent black, so the broken effect leaves the picture alone, and
// the program stays valid for every later lookup and uniform call.
static const char *STAND_IN_VERTEX = "void main() { gl_Position = ftransform(); }\n";
static const char *STAND_IN_FRAGMENT = "void main() { gl_FragColor = vec4(0.0); }\n";
static struct {
    GLuint vertexShader;
    GLuint fragmentShader;
} standIn;

// Programs and the files they came from, appended by every build during loading; read by reloads.
static struct {
    char files[2][MAX_SHADER_NAME];
    GLuint program;
} shaderPairs[MAX_SHADER_PAIRS];
int shaderPairCount = 0;
int shaderProgramGeneration = 0;

// The show builds every pair once; a second load (tests) takes over the entry.
static void rememberPair(const char *vertexName, const char *fragmentName, GLuint program) {
    if (!vertexName || !fragmentName || strlen(vertexName) >= MAX_SHADER_NAME ||
        strlen(fragmentName) >= MAX_SHADER_NAME)
        return;
    int at = 0;
    while (at < shaderPairCount &&
           (strcmp(shaderPairs[at].files[0], vertexName) != 0 || strcmp(shaderPairs[at].files[1], fragmentName) != 0))
        at++;
    if (at == MAX_SHADER_PAIRS) return;
    if (at == shaderPairCount) shaderPairCount++;
    strcpy(shaderPairs[at].files[0], vertexName);
    strcpy(shaderPairs[at].files[1], fragmentName);
    shaderPairs[at].program = program;
}

char *readShaderSource(const char *name) {
    FILE *file = name ? xfopen(name, "rt") : nullptr;
    if (!file) {
        debugLog("shader file open failed\n");
        return nullptr;
    }
    debugLog("loading shader\n");
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
    rewind(file);
    debugLog("shader file size=%d\n", (int)size);
    char *text;
    if (size >= 1) {
        text = (char *)malloc(size + 2);
        if (!text) {
            fclose(file);
            logError("shader %s: cannot allocate %ld bytes\n", name, size + 2);
            return nullptr;
        }
        // Text mode may deliver fewer bytes than the size: terminate after what was read.
        const size_t got = fread(text, 1, size, file);
        text[got] = '\0';
    } else {
        text = (char *)calloc(3, 1);
    }
    fclose(file);
    return text;
}

// Compiles one shader; on failure returns its info log (to be freed), else null.
static char *compileShader(GLuint shader) {
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE) return nullptr;
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    char *log = (char *)calloc(length > 0 ? length + 1 : 1, 1);
    if (length > 0) glGetShaderInfoLog(shader, length, nullptr, log);
    return log;
}

static GLuint standInShader(GLenum type, const char *text) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    return shader;
}

// First line of a program's link log, for the one-line report.
static void firstLogLine(GLuint program, char *line, int capacity) {
    line[0] = '\0';
    glGetProgramInfoLog(program, capacity, nullptr, line);
    for (int i = 0; line[i]; i++)
        if (line[i] == '\n' || line[i] == '\r') line[i] = '\0';
}

// A program that did not link is replaced in place by the stand-in: same name, usable everywhere.
static void linkStandIn(GLuint program, const char *vertexName, const char *fragmentName, bool missingFile) {
    char reason[256];
    firstLogLine(program, reason, (int)sizeof reason);
    noteLoadFallback("shader %s + %s drawn as nothing", vertexName ? vertexName : "(none)",
                     fragmentName ? fragmentName : "(none)");
    if (!missingFile)
        logError("shader %s + %s does not build, drawn as nothing: %s\n", vertexName ? vertexName : "(none)",
                 fragmentName ? fragmentName : "(none)", reason[0] ? reason : "no link log");
    if (!standIn.vertexShader) {
        standIn.vertexShader = standInShader(GL_VERTEX_SHADER, STAND_IN_VERTEX);
        standIn.fragmentShader = standInShader(GL_FRAGMENT_SHADER, STAND_IN_FRAGMENT);
    }
    glDetachShader(program, builder.fragmentShader);
    glDetachShader(program, builder.vertexShader);
    glAttachShader(program, standIn.fragmentShader);
    glAttachShader(program, standIn.vertexShader);
    glLinkProgram(program);
}

ShaderProgram buildShaderProgram(const char *vertexName, const char *fragmentName) {
    debugLog("shader init... %s,%s\n", vertexName, fragmentName);
    builder.vertexShader = glCreateShader(GL_VERTEX_SHADER);
    builder.fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);

    char *vertexSource = readShaderSource(vertexName);
    char *fragmentSource = readShaderSource(fragmentName);
    if (vertexSource) debugLog("vertex shader file %s loaded\n", vertexName);
    else debugLog("vertex shader file %s not found\n", vertexName);
    if (fragmentSource) debugLog("fragment shader file %s loaded\n", fragmentName);
    else debugLog("fragment shader file %s not found\n", fragmentName);
    if (!vertexSource || !fragmentSource) logError("Either vertex shader or fragment shader file not found.\n");

    // A missing file compiles as an empty text, which fails and is reported like any compile error.
    const char *vertexText = vertexSource ? vertexSource : "";
    const char *fragmentText = fragmentSource ? fragmentSource : "";
    glShaderSource(builder.vertexShader, 1, &vertexText, nullptr);
    glShaderSource(builder.fragmentShader, 1, &fragmentText, nullptr);

    if (char *log = compileShader(builder.vertexShader)) {
        debugLog("SHADER ERROR 1\n");
        debugLog("%s", log);
        free(log);
    }
    if (char *log = compileShader(builder.fragmentShader)) {
        logOut("SHADER ERROR %s\n", log);
        debugLog("SHADER ERROR 2\n");
        debugLog("%s", log);
        free(log);
    }
    // The sources belong to the caller of readShaderSource; here that is this function.
    const bool missingFile = !vertexSource || !fragmentSource;
    free(vertexSource);
    free(fragmentSource);

    builder.program = glCreateProgram();
    glAttachShader(builder.program, builder.fragmentShader);
    glAttachShader(builder.program, builder.vertexShader);
    for (const auto &binding : ATTRIBUTE_BINDINGS)
        glBindAttribLocation(builder.program, binding.location, binding.name);
    glLinkProgram(builder.program);
    GLint linked = GL_FALSE;
    glGetProgramiv(builder.program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) linkStandIn(builder.program, vertexName, fragmentName, missingFile);
    rememberPair(vertexName, fragmentName, builder.program);
    debugLog("%d\n", (int)builder.program);
    return builder.program;
}

void releaseLastShaderProgram() {
    if (!builder.program) return;
    // A program that fell back holds the stand-in shaders instead of its own.
    GLuint attached[2] = {0, 0};
    GLsizei count = 0;
    glGetAttachedShaders(builder.program, 2, &count, attached);
    for (int i = 0; i < count; i++) glDetachShader(builder.program, attached[i]);
    glDeleteShader(builder.vertexShader);
    glDeleteShader(builder.fragmentShader);
    glDeleteProgram(builder.program);
    builder = {};
}

// --- live reload ---------------------------------------------------------------------------------

const char *shaderPairFile(int pair, int which) {
    return shaderPairs[pair].files[which];
}

static void appendText(char *message, int capacity, const char *text) {
    const size_t used = strlen(message);
    if ((int)used + 1 < capacity) snprintf(message + used, capacity - used, "%s", text);
}

// A new shader of the file's text; 0 (and the reason in message) when it cannot be read or compiled.
static GLuint compileFile(GLenum type, const char *name, char *message, int capacity) {
    char *source = readShaderSource(name);
    if (!source) {
        appendText(message, capacity, name);
        appendText(message, capacity, ": cannot be read\n");
        return 0;
    }
    const GLuint shader = glCreateShader(type);
    const char *text = source;
    glShaderSource(shader, 1, &text, nullptr);
    free(source);
    if (char *log = compileShader(shader)) {
        appendText(message, capacity, name);
        appendText(message, capacity, ": ");
        appendText(message, capacity, log[0] ? log : "does not compile\n");
        free(log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// Links the two shaders into a scratch program first: a pair that fails leaves the show's program
// untouched. Returns false with the link log in message.
static bool relinkPair(GLuint program, GLuint vertex, GLuint fragment, const char *vertexName,
                       const char *fragmentName, char *message, int capacity) {
    const GLuint trial = glCreateProgram();
    const GLuint shaders[2] = {fragment, vertex};
    for (GLuint shader : shaders) glAttachShader(trial, shader);
    for (const auto &binding : ATTRIBUTE_BINDINGS) glBindAttribLocation(trial, binding.location, binding.name);
    glLinkProgram(trial);
    GLint linked = GL_FALSE;
    glGetProgramiv(trial, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        char reason[512];
        firstLogLine(trial, reason, (int)sizeof reason);
        char line[MAX_SHADER_NAME * 2 + 600];
        snprintf(line, sizeof line, "%s + %s do not link: %s\n", vertexName, fragmentName, reason);
        appendText(message, capacity, line);
    }
    for (GLuint shader : shaders) glDetachShader(trial, shader);
    glDeleteProgram(trial);
    if (linked != GL_TRUE) return false;

    GLuint attached[2] = {0, 0};
    GLsizei count = 0;
    glGetAttachedShaders(program, 2, &count, attached);
    for (int i = 0; i < count; i++) {
        // A reload's shaders are flagged for deletion already and go with the detach; the stand-ins
        // are shared, and the exit clean-up deletes the last build's own.
        const GLuint old = attached[i];
        GLint flagged = GL_FALSE;
        glGetShaderiv(old, GL_DELETE_STATUS, &flagged);
        glDetachShader(program, old);
        if (!flagged && old != standIn.vertexShader && old != standIn.fragmentShader && old != builder.vertexShader &&
            old != builder.fragmentShader)
            glDeleteShader(old);
    }
    for (GLuint shader : shaders) glAttachShader(program, shader);
    glLinkProgram(program);
    return true;
}

int reloadShaderFile(const char *name, char *message, int capacity) {
    if (capacity > 0) message[0] = '\0';
    int failed = 0;
    for (int i = 0; i < shaderPairCount; i++) {
        auto &pair = shaderPairs[i];
        if (strcmp(pair.files[0], name) != 0 && strcmp(pair.files[1], name) != 0) continue;
        const GLuint vertex = compileFile(GL_VERTEX_SHADER, pair.files[0], message, capacity);
        const GLuint fragment = vertex ? compileFile(GL_FRAGMENT_SHADER, pair.files[1], message, capacity) : 0;
        const bool built = vertex && fragment &&
                           relinkPair(pair.program, vertex, fragment, pair.files[0], pair.files[1], message, capacity);
        // Shaders stay alive while attached; the old ones (and a failed build's) go now.
        if (vertex) glDeleteShader(vertex);
        if (fragment) glDeleteShader(fragment);
        if (!built) failed++;
        else shaderProgramGeneration++;
    }
    return failed;
}
