#version 330 compatibility
// Spot-light depth pass: the caster seen from the light. With usemvp 1 the position comes from
// depthMVP (light projection x view x model), otherwise from the GL matrices, which drawSpotDepth
// loads with the same light. Passes on the light's eye-space depth (clip w), which does not depend
// on the near and far planes, so receivers with other planes compare against it directly.

layout(location = 0) in vec3 vertexPosition;

// The same position, bit for bit, in the receivers and the depth-only pass that goes before them.
invariant gl_Position;

uniform mat4 depthMVP;
uniform int usemvp;

out float lightDepth;
out vec3 worldPosition;

void main() {
    vec4 p = vec4(vertexPosition, 1.0);
    vec4 clip = usemvp == 1 ? depthMVP * p : gl_ModelViewProjectionMatrix * p;
    lightDepth = clip.w;
    worldPosition = (gl_ModelViewMatrix * p).xyz;
    gl_Position = clip;
}
