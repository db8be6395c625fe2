#version 330 compatibility
// Spot-light depth as colour: eye-space depth from the light / 100 (SPOT_DEPTH_RANGE) as 24 bits
// in RGB: n = floor(v * 16777215 + 0.5), r = n / 65536, g = (n / 256) mod 256, b = n mod 256, each
// / 255. The target is cleared to white, which reads as the far end (no caster). Clip planes as
// in the receivers.

uniform int renderingclipper;
uniform vec4 clipeq1;
uniform vec4 clipeq2;
uniform int renderingmirror;
uniform vec4 clipeq;

in float lightDepth;
in vec3 worldPosition;
layout(location = 0) out vec4 fragColour;

const float SPOT_DEPTH_RANGE = 100.0;

vec3 packDepth(float v) {
    float n = floor(clamp(v, 0.0, 1.0) * 16777215.0 + 0.5);
    float r = floor(n / 65536.0);
    float g = floor((n - r * 65536.0) / 256.0);
    float b = n - r * 65536.0 - g * 256.0;
    return vec3(r, g, b) / 255.0;
}

void main() {
    vec4 p = vec4(worldPosition, 1.0);
    if (renderingclipper == 1 && (dot(p, clipeq1) < 0.0 || dot(p, clipeq2) < 0.0)) discard;
    if (renderingmirror == 1 && dot(p, clipeq) < 0.0) discard;
    fragColour = vec4(packDepth(lightDepth / SPOT_DEPTH_RANGE), 1.0);
}
