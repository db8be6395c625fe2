// Turns a desktop GLSL source (110, 120 or 330 compatibility) into GLSL ES 3.00: the version line
// and precision, the compatibility built-ins as the layer's own uniforms, attributes and outputs,
// the old texture functions under their new names, cube-map samplers as the 2D arrays of faces the
// layer keeps them as (cube_faces), their lookups through the layer's face selection. Pure text, no
// GL objects and no state.
#pragma once

constexpr int MAX_TRANSLATED_SOURCE = 256 * 1024;   // bytes; the largest shader of the show is 25 KB

// Vertex attribute locations of the built-in inputs. The position shares location 0 with the
// engine's vertexPosition, as a compatibility context aliases gl_Vertex with attribute 0; the others
// sit above the engine's 0-6.
constexpr int BUILTIN_COLOR_LOCATION = 9;
constexpr int BUILTIN_TEXCOORD_LOCATION = 10;
constexpr int BUILTIN_NORMAL_LOCATION = 11;
constexpr int BUILTIN_TEXCOORD_SETS = 4;   // gl_TexCoord[0..3]
constexpr int BUILTIN_LIGHTS = 8;          // gl_LightSource[0..7]

// Names that GLSL ES reserves (a uniform called "precision") are spelt with this prefix in the
// translation.
constexpr const char *ES_RENAMED_PREFIX = "lr_";
// True when a uniform or attribute of this name is spelt with the prefix in a translated program.
bool isEsRenamed(const char *name);

enum ShaderStage { STAGE_VERTEX, STAGE_FRAGMENT };

// Writes the translation of source (zero-terminated) to out and returns true; on failure (a
// built-in the layer does not offer, or a result longer than capacity) writes the reason to out and
// returns false.
bool translateShaderSource(const char *source, ShaderStage stage, char *out, int capacity);
