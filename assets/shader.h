// Shader programs built from one vertex and one fragment file of the data directory.
#pragma once
#include <stdint.h>

typedef uint32_t ShaderProgram;   // GL program name

// Vertex attribute locations every mesh program is linked with.
enum VertexAttribute {
    ATTRIB_POSITION = 0,     // "vertexPosition"
    ATTRIB_NORMAL = 1,       // "vertexNormal"
    ATTRIB_TEXCOORD = 2,     // "textureCoord"
    ATTRIB_TANGENT = 3,      // "vertexTangent"
    ATTRIB_HANDEDNESS = 4,   // "vertexTangentHandedness"
    ATTRIB_BONES = 5,        // "vertexBones", or "vertexPosition2" for the morphing renderer
    ATTRIB_WEIGHTS = 6,      // "vertexWeights"
};

// The whole file as a new zero-terminated text, or null when it cannot be opened.
char *readShaderSource(const char *name);
// Compiles and links; compile errors are reported and the program is returned all the same. A pair
// that does not link is reported in one line on stderr (a missing file by its own line) and the
// program is linked with stand-in shaders that draw nothing, so it can be used without GL errors.
ShaderProgram buildShaderProgram(const char *vertexName, const char *fragmentName);
// Detaches and deletes the last built program and its shaders (at exit).
void releaseLastShaderProgram();

// Live reload (edit mode). Every program buildShaderProgram made is remembered with its two file
// names (up to MAX_SHADER_PAIRS; later ones cannot be reloaded).
constexpr int MAX_SHADER_PAIRS = 64;       // the show builds about twenty
constexpr int MAX_SHADER_NAME = 64;        // bytes of a file name below data/
extern int shaderPairCount;
// The two file names of a remembered pair (which 0: vertex, 1: fragment).
const char *shaderPairFile(int pair, int which);
// Rebuilds every remembered program built from the named file, in place: the program keeps its GL
// name, so whoever stores it draws with the new code from the next draw on. A pair that does not
// compile or link keeps its last good program and writes the compiler's message (up to capacity
// bytes) to message. Returns the number of pairs that did not build.
int reloadShaderFile(const char *name, char *message, int capacity);
// Counts in-place rebuilds (reloadShaderFile) and programs made anew after a lost context
// (remakeGlObjects): uniform locations cached by program name are stale once it changes.
extern int shaderProgramGeneration;
