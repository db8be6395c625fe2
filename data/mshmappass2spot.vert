#version 330 compatibility
// Receiver of the four spot-light shadows (the room): world-space position, normal and tangent
// frame (the modelview is object to world; the camera view lives in the projection) and the
// position in each spot light's biased clip space.

layout(location = 0) in vec3 vertexPosition;
layout(location = 1) in vec3 vertexNormal;
layout(location = 2) in vec2 textureCoord;
layout(location = 3) in vec3 vertexTangent;
layout(location = 4) in float vertexTangentHandedness;

// The same position, bit for bit, in the receivers and the depth-only pass that goes before them.
invariant gl_Position;

uniform mat4 depthBiasMVP[4];   // bias x light projection x light view x model, per spot light

out vec3 worldPosition;
out vec3 worldNormal;
out vec3 worldTangent;
out float handedness;
out vec2 uv;
out vec4 shadowCoord[4];

void main() {
    vec4 p = vec4(vertexPosition, 1.0);
    worldPosition = (gl_ModelViewMatrix * p).xyz;
    worldNormal = gl_NormalMatrix * vertexNormal;
    worldTangent = mat3(gl_ModelViewMatrix) * vertexTangent;
    handedness = vertexTangentHandedness;
    uv = textureCoord;
    for (int i = 0; i < 4; i++) shadowCoord[i] = depthBiasMVP[i] * p;
    gl_Position = gl_ModelViewProjectionMatrix * p;
}
