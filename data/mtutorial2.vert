#version 330 compatibility
// Depth-as-colour pass of skinned and static meshes, seen from the camera (the view lives in the
// projection matrix, the modelview is the object transform). Passes on the camera's eye-space
// depth: w of the clip position.

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

out float eyeDepth;
out vec2 uv;

vec3 skinPoint(vec3 p, int b) {
    vec3 pivot = vec3(bonePos[b][0][3], bonePos[b][1][3], bonePos[b][2][3]);
    vec3 delta = vec3(boneRPos[b][0][3], boneRPos[b][1][3], boneRPos[b][2][3]);
    return pivot + delta + (vec4(p - pivot, 0.0) * boneRot[b]).xyz;
}

vec3 skinned(vec3 p) {
    float total = dot(vertexWeights, vec4(1.0));
    if (hasAnim == 0 || total <= 0.0) return p;
    vec3 sum = vec3(0.0);
    for (int i = 0; i < 4; i++) {
        if (vertexWeights[i] > 0.0) sum += skinPoint(p, int(vertexBones[i] + 0.5)) * vertexWeights[i];
    }
    return sum / total;
}

void main() {
    vec4 clip = gl_ModelViewProjectionMatrix * vec4(skinned(vertexPosition), 1.0);
    eyeDepth = clip.w;
    uv = textureCoord;
    gl_Position = clip;
}
