#version 330 compatibility
// Generic textured mesh under the fixed-function lights: world position and normal for the
// fragment shader (modelview = object to world; the view lives in the projection).

layout(location = 0) in vec3 vertexPosition;
layout(location = 1) in vec3 vertexNormal;
layout(location = 2) in vec2 textureCoord;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 uv;

void main() {
    vec4 p = vec4(vertexPosition, 1.0);
    worldPosition = (gl_ModelViewMatrix * p).xyz;
    worldNormal = gl_NormalMatrix * vertexNormal;
    uv = textureCoord;
    gl_Position = gl_ModelViewProjectionMatrix * p;
}
