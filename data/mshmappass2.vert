#version 330 compatibility
// General mesh pass for skinned and static meshes: skinning when hasAnim is 1, then world-space
// position and normal (the modelview is object to world; the camera view lives in the projection),
// texture coordinates and the position in spot light 0's biased clip space.

layout(location = 0) in vec3 vertexPosition;
layout(location = 1) in vec3 vertexNormal;
layout(location = 2) in vec2 textureCoord;
layout(location = 5) in vec4 vertexBones;
layout(location = 6) in vec4 vertexWeights;

uniform int hasAnim;
// Bone matrices are uploaded row by row without transposing, so v * M applies them and the
// translations sit in column 3 of rows 0..2.
uniform mat4 bonePos[64];    // translation to the bone's rest position
uniform mat4 boneRPos[64];   // translation by the frame's position delta
uniform mat4 boneRot[64];    // rotation of the frame relative to the rest pose
uniform mat4 depthBiasMVP[4];

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 uv;
out vec4 shadowCoord;

void main() {
    vec3 p = vertexPosition;
    vec3 n = vertexNormal;
    float total = dot(vertexWeights, vec4(1.0));
    if (hasAnim == 1 && total > 0.0) {
        vec3 sumP = vec3(0.0);
        vec3 sumN = vec3(0.0);
        for (int i = 0; i < 4; i++) {
            if (vertexWeights[i] <= 0.0) continue;
            int b = int(vertexBones[i] + 0.5);
            vec3 pivot = vec3(bonePos[b][0][3], bonePos[b][1][3], bonePos[b][2][3]);
            vec3 delta = vec3(boneRPos[b][0][3], boneRPos[b][1][3], boneRPos[b][2][3]);
            sumP += (pivot + delta + (vec4(p - pivot, 0.0) * boneRot[b]).xyz) * vertexWeights[i];
            sumN += (vec4(n, 0.0) * boneRot[b]).xyz * vertexWeights[i];
        }
        p = sumP / total;
        n = sumN;
    }
    vec4 position = vec4(p, 1.0);
    worldPosition = (gl_ModelViewMatrix * position).xyz;
    worldNormal = gl_NormalMatrix * n;
    uv = textureCoord;
    shadowCoord = depthBiasMVP[0] * position;
    gl_Position = gl_ModelViewProjectionMatrix * position;
}
