#version 330 compatibility
// Unskinned mesh pass seen from the camera (view in the projection, modelview = object to
// world): world position and normal, texture coordinates and the camera's eye-space depth.

layout(location = 0) in vec3 vertexPosition;
layout(location = 1) in vec3 vertexNormal;
layout(location = 2) in vec2 textureCoord;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 uv;
out float eyeDepth;

void main() {
    vec4 p = vec4(vertexPosition, 1.0);
    worldPosition = (gl_ModelViewMatrix * p).xyz;
    worldNormal = gl_NormalMatrix * vertexNormal;
    uv = textureCoord;
    vec4 clip = gl_ModelViewProjectionMatrix * p;
    eyeDepth = clip.w;
    gl_Position = clip;
}
