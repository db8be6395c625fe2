#version 330 compatibility
// Depth as colour for the raymarch pass: the camera's eye-space depth divided by the depth
// multiplier 20, as 24 bits in RGB. With v = clamp(depth / 20, 0, 1) and
// n = floor(v * 16777215 + 0.5): r = floor(n / 65536), g = floor(n / 256) mod 256, b = n mod 256,
// each stored as value / 255. Decode: n = dot(round(rgb * 255), (65536, 256, 1)), depth =
// n / 16777215 * 20. Alpha is 1. A target cleared to black reads depth 0 (no geometry).

in float eyeDepth;
in vec2 uv;
layout(location = 0) out vec4 fragColour;

const float DEPTH_MULTIPLIER = 20.0;

vec3 packDepth(float v) {
    float n = floor(clamp(v, 0.0, 1.0) * 16777215.0 + 0.5);
    float r = floor(n / 65536.0);
    float g = floor((n - r * 65536.0) / 256.0);
    float b = n - r * 65536.0 - g * 256.0;
    return vec3(r, g, b) / 255.0;
}

void main() {
    fragColour = vec4(packDepth(eyeDepth / DEPTH_MULTIPLIER), 1.0);
}
